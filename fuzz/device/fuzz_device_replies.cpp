// Arbitrary reply payloads of the tester (measurements 0x40, device
// information 0x10, operating status 0x22, sensor data 0x32), decoded by the
// command set into a report as "read" and the window take them, then shown
// as "show" shows them. Every field accessor is read; writing back what was
// read changes no byte; the shown text holds no control character.
#include "device/tester_commands.h"
#include "fuzz/fuzz_support.h"
#include "report/report_model.h"
#include "tools/vrx310-cli/report_output.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

template <typename Block> void Take(Block& block, const std::uint8_t*& data, std::size_t& size) {
    const std::size_t n = std::min<std::size_t>(size, Block::Size);
    std::copy(data, data + n, block.Bytes.begin());
    data += n;
    size -= n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const char decimalSeparator = (data[0] & 1) ? ',' : '.';
    ++data;
    --size;
    MeasurementBlock measures;
    MeasurementReport report;
    Take(measures, data, size);
    Take(report.DeviceInfo, data, size);
    Take(report.DeviceStatus, data, size);
    Take(report.Sensor, data, size);

    volatile std::uint64_t sink = 0;
    MeasurementBlock copy = measures;
    for (int i = 0; i < 12; ++i) {
        copy.SetCompression(i, measures.Compression(i));
        copy.SetLeakage(i, measures.Leakage(i));
    }
    Check(copy.Bytes == measures.Bytes);
    sink = sink + measures.AllNegative();

    const DeviceInfoBlock& info = report.DeviceInfo;
    Check(info.SerialText().size() <= 16);
    sink = sink + info.FirmwareVersion() + info.BuildNumber() + info.BoardVersion() +
           info.HardwareOption() + info.ProductionDate();
    sink = sink + report.DeviceStatus.OperatingSeconds() + report.DeviceStatus.BatteryCentivolts();

    SensorBlock sensor = report.Sensor;
    const std::string serial = sensor.SerialText();
    Check(serial.size() <= 16);
    sensor.SetSensorFactor(report.Sensor.SensorFactor());
    if (sensor.SetSerialText(serial)) {
        Check(sensor.SerialText() == serial);
    }
    sink = sink + sensor.ProductionDate();

    report.TakeReading(measures, "now");
    report.DeriveTexts(decimalSeparator);
    for (int u = 0; u < 3; ++u) {
        const std::string text = ReportText(report, u);
        for (const unsigned char c : text) {
            Check((c >= 0x20 || c == '\n') && c != 0x7F);
        }
    }
    (void)ReportJson(report).dump();
    return 0;
}
