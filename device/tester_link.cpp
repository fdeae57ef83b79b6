// <windows.h> first: fileio/safe_file.h takes back its ReplaceFile macro.
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "device/tester_link.h"

#ifdef _WIN32
#include "fileio/safe_file.h"
#endif

#include <chrono>
#include <cstring>
#include <thread>

namespace {

#ifdef _WIN32
void* OpenLibrary(const std::string& name) {
    // A library that cannot be loaded is error 5, silently: no system box
    // about a damaged file or a drive that is not ready.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE library = nullptr;
    std::wstring wide = safefile::WidePath(name);
    if (name.find_first_of("/\\") == std::string::npos) {
        // LoadLibrary appends ".dll" and searches the program's folder, the
        // system folders and PATH.
        library = ::LoadLibraryW(wide.c_str());
    } else {
        // A path; the DLL's own folder then comes first for what it needs,
        // and that search order takes only backslashes.
        for (wchar_t& c : wide) {
            if (c == L'/')
                c = L'\\';
        }
        library = ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    ::SetThreadErrorMode(oldMode, nullptr);
    return reinterpret_cast<void*>(library);
}
void* Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}
void CloseLibrary(void* library) {
    ::FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* OpenLibrary(const std::string& name) {
    // A bare name goes through the dynamic loader's search (LD_LIBRARY_PATH,
    // the loader cache, the system directories); a name with a '/' is a path.
    const std::string file = name.find('/') != std::string::npos ? name : "lib" + name + ".so";
    return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(void* library, const char* name) {
    return ::dlsym(library, name);
}
void CloseLibrary(void* library) {
    ::dlclose(library);
}
#endif

template <typename F> bool Resolve(void* library, const char* name, F& target) {
    void* address = Symbol(library, name);
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

    void* library = OpenLibrary(libraryName);
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
        CloseLibrary(library);
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
