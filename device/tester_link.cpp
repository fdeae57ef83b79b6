#include "device/tester_link.h"

#include "device/tester_link_platform.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

template <typename F> bool Resolve(void* library, const char* name, F& target) {
    void* address = hidlibrary::Symbol(library, name);
    if (address == nullptr)
        return false;
    target = reinterpret_cast<F>(address);
    return true;
}

// Largest payload a 64-byte report can carry after command and length bytes.
constexpr int MaxPayload = ATUSBHID_REPORT_SIZE - 2;

} // namespace

TesterLink::TesterLink(const std::string& libraryName, MessageCallback onMessage) {
    LoadHidLibrary(libraryName, onMessage);
}

TesterLink::~TesterLink() {
    Close();
    // The library stays loaded until the program ends.
}

void TesterLink::LoadHidLibrary(const std::string& libraryName, const MessageCallback& onMessage) {
    open_ = false;
    library_ = nullptr;
    lastError_ = errNone;

    void* library = hidlibrary::OpenLibrary(libraryName);
    if (library == nullptr) {
        lastError_ = errLibraryLoad;
        return;
    }

    Functions fn;
    const bool complete =
        Resolve(library, "findHidDevice", fn.findHidDevice) &&
        Resolve(library, "closeDevice", fn.closeDevice) &&
        Resolve(library, "writeData", fn.writeData) && Resolve(library, "readData", fn.readData) &&
        Resolve(library, "hidRegisterDeviceNotification", fn.hidRegisterDeviceNotification) &&
        Resolve(library, "hidUnregisterDeviceNotification", fn.hidUnregisterDeviceNotification) &&
        Resolve(library, "isMyDeviceNotification", fn.isMyDeviceNotification) &&
        Resolve(library, "setFeature", fn.setFeature) &&
        Resolve(library, "getOutputReportLength", fn.getOutputReportLength) &&
        Resolve(library, "getInputReportLength", fn.getInputReportLength) &&
        Resolve(library, "getFeatureReportLength", fn.getFeatureReportLength);
    if (!complete) {
        if (onMessage)
            onMessage(MissingFunctionMessage);
        hidlibrary::CloseLibrary(library);
        lastError_ = errFunctionMissing;
        return;
    }
    fn_ = fn;
    library_ = library;
}

bool TesterLink::Open() {
    if (!open_ && library_ != nullptr) {
        if (fn_.findHidDevice(VendorId, ProductId))
            open_ = true;
        else
            lastError_ = errNotFound;
    }
    return open_;
}

void TesterLink::Close() {
    if (open_) {
        fn_.closeDevice();
        open_ = false;
    }
}

bool TesterLink::Exchange(Report& report, bool readReply) {
    if (!open_)
        return false;
    if (!fn_.writeData(report.data()))
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(PauseMs));
    if (readReply && !fn_.readData(report.data()))
        return false;
    return true;
}

bool TesterLink::RequestReply(Report& report, int expectedLength, std::uint8_t* out) {
    if (!open_ || expectedLength < 0 || expectedLength > MaxPayload)
        return false;
    if (!Exchange(report, true))
        return false;
    if (report[1] != expectedLength)
        return false;
    if (out != nullptr && expectedLength > 0)
        std::memcpy(out, report.data() + 2, static_cast<std::size_t>(expectedLength));
    return true;
}

bool TesterLink::RequestOnly(Report& report) {
    return Exchange(report, false);
}

namespace {

TesterLink::Report Request(std::uint8_t command, std::uint8_t length = 0) {
    TesterLink::Report report{};
    report[0] = command;
    report[1] = length;
    return report;
}

} // namespace

bool TesterLink::ReadMeasurements(MeasurementBlock& block) {
    Report report = Request(cmdReadMeasurements);
    return RequestReply(report, MeasurementBlock::Size, block.Bytes.data());
}

bool TesterLink::ReadDeviceInfo(DeviceInfoBlock& block) {
    Report report = Request(cmdReadDeviceInfo);
    return RequestReply(report, DeviceInfoBlock::Size, block.Bytes.data());
}

bool TesterLink::ReadDeviceStatus(DeviceStatusBlock& block) {
    Report report = Request(cmdReadDeviceStatus);
    return RequestReply(report, DeviceStatusBlock::Size, block.Bytes.data());
}

bool TesterLink::ReadSensorData(SensorBlock& block) {
    Report report = Request(cmdReadSensorData);
    return RequestReply(report, SensorBlock::Size, block.Bytes.data());
}

bool TesterLink::WriteSensorData(const SensorBlock& block) {
    Report report = Request(cmdWriteSensorData, SensorBlock::Size);
    std::memcpy(report.data() + 2, block.Bytes.data(), SensorBlock::Size);
    return RequestOnly(report);
}

bool TesterLink::EraseMeasurements() {
    Report report = Request(cmdEraseMeasurements);
    return RequestOnly(report);
}

int TesterLink::SendControlValue(std::uint8_t value) {
    Report report = Request(cmdControlValue, 1);
    report[2] = value;
    if (!Exchange(report, true))
        return 0;
    return report[1] != 0 ? report[2] : -1;
}
