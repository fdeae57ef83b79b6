// Payload blocks of the tester's command set. Each block keeps the payload
// bytes exactly as the tester sent them; fields are read and written through
// explicit little-endian accessors, never through host structs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Command codes (byte 0 of a report).
enum TesterCommand : std::uint8_t {
    cmdControlValue = 0x01,
    cmdReadDeviceInfo = 0x10,
    cmdReadDeviceStatus = 0x22,
    cmdReadSensorData = 0x32,
    cmdWriteSensorData = 0x33,
    cmdReadMeasurements = 0x40,
    cmdEraseMeasurements = 0x42,
};

// Reply to 0x40: 12 compression then 12 leakage values, signed 16-bit.
struct MeasurementBlock {
    static constexpr int Size = 48;
    std::array<std::uint8_t, Size> Bytes{};

    std::int16_t Compression(int slotIndex) const; // 0..11, unit 0.1 bar
    std::int16_t Leakage(int slotIndex) const;     // 0..11, unit 0.1 percent
    void SetCompression(int slotIndex, std::int16_t value);
    void SetLeakage(int slotIndex, std::int16_t value);
    bool AllNegative() const;
};

// Reply to 0x10.
struct DeviceInfoBlock {
    static constexpr int Size = 44;
    std::array<std::uint8_t, Size> Bytes{};

    std::string SerialText() const; // up to the first NUL, at most 16 bytes
    std::uint16_t FirmwareVersion() const;
    std::uint8_t BuildNumber() const;
    std::uint16_t BoardVersion() const;
    std::uint16_t HardwareOption() const;
    std::uint16_t ProductionDate() const;
};

// Reply to 0x22.
struct DeviceStatusBlock {
    static constexpr int Size = 12;
    std::array<std::uint8_t, Size> Bytes{};

    std::uint32_t OperatingSeconds() const;
    std::uint16_t BatteryCentivolts() const;
};

// Reply to 0x32 and payload of 0x33.
struct SensorBlock {
    static constexpr int Size = 36;
    static constexpr int FactorOffset = 8;
    static constexpr int SerialOffset = 18;
    static constexpr int SerialLength = 16;
    std::array<std::uint8_t, Size> Bytes{};

    std::int32_t SensorFactor() const;
    void SetSensorFactor(std::int32_t factor);
    std::string SerialText() const; // up to the first NUL, at most 16 bytes
    // Writes the text and its terminating NUL from offset 18; at most 15
    // characters fit. Returns false (block unchanged) for a longer text.
    bool SetSerialText(const std::string& text);
    std::uint16_t ProductionDate() const;
};
