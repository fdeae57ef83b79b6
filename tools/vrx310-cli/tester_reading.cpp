#include "tools/vrx310-cli/tester_reading.h"

#include "tools/vrx310-cli/report_output.h"

#ifdef _WIN32
#define LIBRARY_FILE "AtUsbHid.dll"
#else
#define LIBRARY_FILE "libAtUsbHid.so"
#endif

bool ReadTesterMeasures(TesterLink& link, MeasurementBlock& block) {
    if (!link.Open()) {
        if (link.LastError() == TesterLink::errLibraryLoad)
            CliError("the HID library AtUsbHid (" LIBRARY_FILE ") was not found.");
        CliError("No VRX-310 device connected!");
        return false;
    }
    if (!link.ReadMeasurements(block)) {
        CliError("Error reading VRX-310 device!");
        return false;
    }
    if (block.AllNegative()) {
        CliError("No measures available.");
        return false;
    }
    return true;
}

void ReadTesterDetails(TesterLink& link, MeasurementReport& report) {
    if (!link.ReadDeviceInfo(report.DeviceInfo))
        CliError("warning: reading the device information failed.");
    if (!link.ReadSensorData(report.Sensor))
        CliError("warning: reading the sensor data failed.");
    if (!link.ReadDeviceStatus(report.DeviceStatus))
        CliError("warning: reading the operating status failed.");
}
