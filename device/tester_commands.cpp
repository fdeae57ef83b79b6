#include "device/tester_commands.h"

#include "device/little_endian.h"

#include <algorithm>

namespace {

// Text of a fixed field: up to the first NUL, never more than maxLength bytes.
std::string FieldText(const std::uint8_t* p, int fieldLength, int maxLength) {
    const int limit = std::min(fieldLength, maxLength);
    int n = 0;
    while (n < limit && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

bool ValidSlot(int slotIndex) {
    return slotIndex >= 0 && slotIndex < 12;
}

} // namespace

std::int16_t MeasurementBlock::Compression(int slotIndex) const {
    if (!ValidSlot(slotIndex))
        return -1;
    return static_cast<std::int16_t>(GetU16(&Bytes[2 * slotIndex]));
}

std::int16_t MeasurementBlock::Leakage(int slotIndex) const {
    if (!ValidSlot(slotIndex))
        return -1;
    return static_cast<std::int16_t>(GetU16(&Bytes[24 + 2 * slotIndex]));
}

void MeasurementBlock::SetCompression(int slotIndex, std::int16_t value) {
    if (ValidSlot(slotIndex))
        PutU16(&Bytes[2 * slotIndex], static_cast<std::uint16_t>(value));
}

void MeasurementBlock::SetLeakage(int slotIndex, std::int16_t value) {
    if (ValidSlot(slotIndex))
        PutU16(&Bytes[24 + 2 * slotIndex], static_cast<std::uint16_t>(value));
}

bool MeasurementBlock::AllNegative() const {
    for (int i = 0; i < 12; ++i) {
        if (Compression(i) >= 0 || Leakage(i) >= 0)
            return false;
    }
    return true;
}

std::string DeviceInfoBlock::SerialText() const {
    return FieldText(&Bytes[0], 32, 16);
}
std::uint16_t DeviceInfoBlock::FirmwareVersion() const {
    return GetU16(&Bytes[32]);
}
std::uint8_t DeviceInfoBlock::BuildNumber() const {
    return Bytes[34];
}
std::uint16_t DeviceInfoBlock::BoardVersion() const {
    return GetU16(&Bytes[36]);
}
std::uint16_t DeviceInfoBlock::HardwareOption() const {
    return GetU16(&Bytes[38]);
}
std::uint16_t DeviceInfoBlock::ProductionDate() const {
    return GetU16(&Bytes[40]);
}

std::uint32_t DeviceStatusBlock::OperatingSeconds() const {
    return GetU32(&Bytes[0]);
}
std::uint16_t DeviceStatusBlock::BatteryCentivolts() const {
    return GetU16(&Bytes[8]);
}

std::int32_t SensorBlock::SensorFactor() const {
    return static_cast<std::int32_t>(GetU32(&Bytes[FactorOffset]));
}

void SensorBlock::SetSensorFactor(std::int32_t factor) {
    PutU32(&Bytes[FactorOffset], static_cast<std::uint32_t>(factor));
}

std::string SensorBlock::SerialText() const {
    return FieldText(&Bytes[SerialOffset], SerialLength, SerialLength);
}

bool SensorBlock::SetSerialText(const std::string& text) {
    // The terminating NUL must fit in the field as well.
    if (text.size() >= static_cast<std::size_t>(SerialLength) ||
        text.find('\0') != std::string::npos)
        return false;
    std::copy(text.begin(), text.end(), Bytes.begin() + SerialOffset);
    Bytes[SerialOffset + text.size()] = 0;
    return true;
}

std::uint16_t SensorBlock::ProductionDate() const {
    return GetU16(&Bytes[34]);
}
