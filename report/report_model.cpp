#include "report/report_model.h"

#include <cstdio>

double ConvertPressure(std::int16_t raw, int unit, std::string* pattern) {
    if (raw < 0 || unit < unitBar || unit > unitPsi)
        return -1.0;
    double value = 0.0;
    const char* newPattern = PatternOneDecimal;
    switch (unit) {
    case unitBar:
        value = raw * 0.1;
        break;
    case unitKPa:
        // Exact in integers: 32767 kPa-tenths stay 327670.
        value = static_cast<double>(static_cast<std::int32_t>(raw) * 10);
        newPattern = PatternWhole;
        break;
    default:
        value = raw * 1.4505;
        break;
    }
    if (pattern != nullptr)
        *pattern = newPattern;
    return value;
}

int LeakagePercent(std::int16_t raw) {
    return raw / 10;
}

std::string MessageText(const std::vector<std::string>& table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return std::string();
    std::string text = table[static_cast<std::size_t>(index)];
    const std::size_t at = text.find("\\n");
    if (at != std::string::npos)
        text.replace(at, 2, 1, '\r');
    return text;
}

const std::array<DeviceTextField, 10> DeviceTextFields = {{
    {"Device SN", &DeviceTexts::DeviceSN},
    {"FirmwareVersion", &DeviceTexts::FirmwareVersion},
    {"BuiltNummer", &DeviceTexts::BuiltNummer},
    {"PlatinenVersion", &DeviceTexts::PlatinenVersion},
    {"HardwareOption", &DeviceTexts::HardwareOption},
    {"ProdDate", &DeviceTexts::ProdDate},
    {"Sensor SN", &DeviceTexts::SensorSN},
    {"Sensor ProdDate", &DeviceTexts::SensorProdDate},
    {"Betriebszeit", &DeviceTexts::Betriebszeit},
    {"Batteriespannung", &DeviceTexts::Batteriespannung},
}};

namespace {

// "2.03" from 0x0203: major without leading zero, minor as two digits.
std::string VersionText(std::uint16_t word) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X.%02X", static_cast<unsigned>(word >> 8),
                  static_cast<unsigned>(word & 0xFF));
    return buffer;
}

// "12/07" from 0x1207.
std::string DateText(std::uint16_t word) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X/%02X", static_cast<unsigned>(word >> 8),
                  static_cast<unsigned>(word & 0xFF));
    return buffer;
}

std::string OperatingTimeText(std::uint32_t seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%u:%u:%u", static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds % 3600 / 60), static_cast<unsigned>(seconds % 60));
    return buffer;
}

// Hundredths of a volt in general number format: 412 -> "4.12", 400 -> "4",
// 405 -> "4.05". Done in integers so no binary rounding can show.
std::string VoltageText(std::uint16_t centivolts, char decimalSeparator) {
    std::string text = std::to_string(centivolts / 100);
    unsigned fraction = centivolts % 100;
    if (fraction != 0) {
        text += decimalSeparator;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

} // namespace

DeviceTexts DeriveDeviceTexts(const DeviceInfoBlock& info, const DeviceStatusBlock& status,
                              const SensorBlock& sensor, char decimalSeparator) {
    DeviceTexts texts;
    texts.DeviceSN = info.SerialText();
    texts.FirmwareVersion = VersionText(info.FirmwareVersion());
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(info.BuildNumber()));
    texts.BuiltNummer = buffer;
    texts.PlatinenVersion = VersionText(info.BoardVersion());
    texts.HardwareOption = std::to_string(info.HardwareOption());
    texts.ProdDate = DateText(info.ProductionDate());
    texts.SensorSN = sensor.SerialText();
    texts.SensorProdDate = DateText(sensor.ProductionDate());
    texts.Betriebszeit = OperatingTimeText(status.OperatingSeconds());
    texts.Batteriespannung = VoltageText(status.BatteryCentivolts(), decimalSeparator);
    return texts;
}

void MeasurementReport::Reset() {
    Compression.fill(-1);
    Leakage.fill(-1);
    ResetAssignments();
    DeviceInfo = DeviceInfoBlock();
    DeviceStatus = DeviceStatusBlock();
    Sensor = SensorBlock();
    Texts = DeviceTexts();
    CarID.clear();
    Operator.clear();
    DateandTime.clear();
    Unit = unitBar;
    FileName.clear();
    ValuesRead = false;
    Unsaved = false;
}

void MeasurementReport::ResetAssignments() {
    for (int p = 0; p < 12; ++p) {
        CompressionAssignment[static_cast<std::size_t>(p)] = p + 1;
        LeakageAssignment[static_cast<std::size_t>(p)] = p + 1;
    }
}

void MeasurementReport::TakeReading(const MeasurementBlock& block, const std::string& dateAndTime) {
    for (int i = 0; i < 12; ++i) {
        Compression[static_cast<std::size_t>(i)] = block.Compression(i);
        Leakage[static_cast<std::size_t>(i)] = block.Leakage(i);
    }
    ResetAssignments();
    DateandTime = dateAndTime;
    FileName.clear();
    ValuesRead = true;
    Unsaved = true;
}

void MeasurementReport::DeriveTexts(char decimalSeparator) {
    Texts = DeriveDeviceTexts(DeviceInfo, DeviceStatus, Sensor, decimalSeparator);
}
