// The payload blocks: what counts as measures, the sensor fields a
// sensor change writes.
#include "device/tester_commands.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

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

TEST(MeasurementBlockTest, OnlyTwelveSlotsAreReadOrWritten) {
    MeasurementBlock m;
    for (std::size_t i = 0; i < m.Bytes.size(); ++i)
        m.Bytes[i] = static_cast<std::uint8_t>(i);
    const MeasurementBlock before = m;
    EXPECT_EQ(m.Compression(11), 0x1716);
    EXPECT_EQ(m.Leakage(11), 0x2F2E);
    for (int slot : {-1, 12}) {
        EXPECT_EQ(m.Compression(slot), -1) << slot;
        EXPECT_EQ(m.Leakage(slot), -1) << slot;
        m.SetCompression(slot, 99);
        m.SetLeakage(slot, 99);
    }
    EXPECT_EQ(m.Bytes, before.Bytes);
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
