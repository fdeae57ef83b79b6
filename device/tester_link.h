// The connection to the tester through the HID library "AtUsbHid", loaded by
// name at run time, and the tester's command set on top of it.
#pragma once

#include "device/at_usb_hid.h"
#include "device/tester_commands.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class TesterLink {
public:
    static constexpr unsigned VendorId = 0x20A0;
    static constexpr unsigned ProductId = 0x412C;
    static constexpr int PauseMs = 100;

    enum Error { errNone = 0, errNotFound = 2, errLibraryLoad = 5, errFunctionMissing = 6 };

    using Report = std::array<std::uint8_t, 64>;
    // The core shows no window: the window layer turns this into a message box.
    using MessageCallback = std::function<void(const std::string& message)>;

    // libraryName "AtUsbHid" is looked up by the platform's library search
    // (libAtUsbHid.so on Linux, AtUsbHid.dll on Windows); a name holding a
    // '/' (on Windows also a '\\') is loaded as a path.
    explicit TesterLink(const std::string& libraryName = "AtUsbHid",
                        MessageCallback onMessage = {});
    ~TesterLink();
    TesterLink(const TesterLink&) = delete;
    TesterLink& operator=(const TesterLink&) = delete;

    bool Open();
    void Close();
    bool IsOpen() const { return open_; }
    int LastError() const { return lastError_; }
    bool LibraryLoaded() const { return library_ != nullptr; }

    // report[0] = command and report[1] = request length already set.
    // On success copies the first expectedLength payload bytes to out.
    bool RequestReply(Report& report, int expectedLength, std::uint8_t* out);
    bool RequestOnly(Report& report);

    // Command set. On failure an output block is left unchanged.
    bool ReadMeasurements(MeasurementBlock& block);
    bool ReadDeviceInfo(DeviceInfoBlock& block);
    bool ReadDeviceStatus(DeviceStatusBlock& block);
    bool ReadSensorData(SensorBlock& block);
    bool WriteSensorData(const SensorBlock& block);
    bool EraseMeasurements();
    // 0 when closed or the exchange failed; reply byte 2 when byte 1 is
    // non-zero; -1 when byte 1 is zero.
    int SendControlValue(std::uint8_t value);

    // The message shown once when the library lacks one of its functions.
    static constexpr const char* MissingFunctionMessage = "Error: Cannot get address of function.";

private:
    // The eleven entry points, in the order they are resolved.
    struct Functions {
        findHidDevice_t findHidDevice = nullptr;
        closeDevice_t closeDevice = nullptr;
        writeData_t writeData = nullptr;
        readData_t readData = nullptr;
        hidRegisterDeviceNotification_t hidRegisterDeviceNotification = nullptr;
        hidUnregisterDeviceNotification_t hidUnregisterDeviceNotification = nullptr;
        isMyDeviceNotification_t isMyDeviceNotification = nullptr;
        setFeature_t setFeature = nullptr;
        getOutputReportLength_t getOutputReportLength = nullptr;
        getInputReportLength_t getInputReportLength = nullptr;
        getFeatureReportLength_t getFeatureReportLength = nullptr;
    };

    void LoadHidLibrary(const std::string& libraryName, const MessageCallback& onMessage);
    // Write, pause, and optionally read the reply into the same buffer.
    bool Exchange(Report& report, bool readReply);

    void* library_ = nullptr;
    bool open_ = false;
    int lastError_ = errNone;
    Functions fn_;
};
