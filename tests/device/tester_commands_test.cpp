// Field access of the payload blocks: signedness, byte order, text fields.
#include "device/tester_commands.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MeasurementBlockTest, ValuesAreSignedLittleEndianPerSlot) {
    MeasurementBlock m;
    m.SetCompression(0, 1285);
    m.SetCompression(11, -32768);
    m.SetLeakage(0, -1);
    m.SetLeakage(11, 32767);
    EXPECT_EQ(m.Bytes[0], 0x05);
    EXPECT_EQ(m.Bytes[1], 0x05);
    EXPECT_EQ(m.Bytes[22], 0x00);
    EXPECT_EQ(m.Bytes[23], 0x80);
    EXPECT_EQ(m.Bytes[24], 0xFF);
    EXPECT_EQ(m.Bytes[25], 0xFF);
    EXPECT_EQ(m.Bytes[47], 0x7F);
    EXPECT_EQ(m.Compression(0), 1285);
    EXPECT_EQ(m.Compression(11), -32768);
    EXPECT_EQ(m.Leakage(0), -1);
    EXPECT_EQ(m.Leakage(11), 32767);
}

TEST(MeasurementBlockTest, OneNonNegativeValueMeansMeasures) {
    MeasurementBlock m;
    m.Bytes.fill(0xFF);
    EXPECT_TRUE(m.AllNegative());
    // A zero leakage value alone is a measurement.
    m.SetLeakage(7, 0);
    EXPECT_FALSE(m.AllNegative());
    m.SetLeakage(7, -5);
    m.SetCompression(3, 1);
    EXPECT_FALSE(m.AllNegative());
}

TEST(DeviceInfoBlockTest, FieldsAtTheirOffsets) {
    DeviceInfoBlock d;
    const std::uint8_t tail[] = {0x03, 0x02, 0x17, 0xEE, 0x0A, 0x01, 0x34, 0x12, 0x07, 0x12};
    std::memcpy(&d.Bytes[32], tail, sizeof tail);
    EXPECT_EQ(d.FirmwareVersion(), 0x0203);
    EXPECT_EQ(d.BuildNumber(), 0x17);
    EXPECT_EQ(d.BoardVersion(), 0x010A);
    EXPECT_EQ(d.HardwareOption(), 0x1234);
    EXPECT_EQ(d.ProductionDate(), 0x1207);
}

TEST(DeviceInfoBlockTest, SerialStopsAtNulOrSixteenCharacters) {
    DeviceInfoBlock d;
    std::memcpy(d.Bytes.data(), "ABCDEFGHIJKLMNOPQRST", 20);
    EXPECT_EQ(d.SerialText(), "ABCDEFGHIJKLMNOP");
    d.Bytes[5] = 0;
    EXPECT_EQ(d.SerialText(), "ABCDE");
    d.Bytes[0] = 0;
    EXPECT_EQ(d.SerialText(), "");
    // Bytes are kept as they are (Windows-1252 on the tester).
    d.Bytes[0] = 0xC4;
    EXPECT_EQ(d.SerialText(), "\xC4"
                              "BCDE");
}

TEST(SensorBlockTest, FactorIsSignedAtOffset8) {
    SensorBlock s;
    s.Bytes.fill(0xAA);
    s.SetSensorFactor(71234);
    EXPECT_EQ(s.SensorFactor(), 71234);
    EXPECT_EQ(s.Bytes[8], 0x42);
    EXPECT_EQ(s.Bytes[9], 0x16);
    EXPECT_EQ(s.Bytes[10], 0x01);
    EXPECT_EQ(s.Bytes[11], 0x00);
    EXPECT_EQ(s.Bytes[7], 0xAA);
    EXPECT_EQ(s.Bytes[12], 0xAA);
    s.SetSensorFactor(-2);
    EXPECT_EQ(s.SensorFactor(), -2);
}

TEST(SensorBlockTest, SerialWriteKeepsTheBytesAfterItsNul) {
    SensorBlock s;
    s.Bytes.fill(0x55);
    EXPECT_EQ(s.SerialText(), std::string(16, '\x55'));
    ASSERT_TRUE(s.SetSerialText("12345"));
    EXPECT_EQ(s.SerialText(), "12345");
    EXPECT_EQ(s.Bytes[23], 0);
    EXPECT_EQ(s.Bytes[24], 0x55);
    EXPECT_EQ(s.Bytes[33], 0x55);
    EXPECT_EQ(s.Bytes[17], 0x55);
}

TEST(SensorBlockTest, SerialOfSixteenCharactersDoesNotFit) {
    SensorBlock s;
    s.Bytes.fill(0x55);
    const SensorBlock before = s;
    EXPECT_FALSE(s.SetSerialText("0123456789ABCDEF"));
    EXPECT_EQ(s.Bytes, before.Bytes);
    ASSERT_TRUE(s.SetSerialText("0123456789ABCDE"));
    EXPECT_EQ(s.Bytes[33], 0);
    EXPECT_EQ(s.Bytes[34], 0x55); // production date untouched
    EXPECT_EQ(s.SerialText(), "0123456789ABCDE");
}

} // namespace
