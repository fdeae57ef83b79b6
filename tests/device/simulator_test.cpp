// The simulated tester end to end through TesterLink: its default content,
// erase and sensor write persisting in the state file, the fault switches
// and the request log.
#include "device/tester_link.h"
#include "tests/common/env_var.h"
#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.Valid());
        state_ = dir_.File("sim.state");
        log_ = dir_.File("sim.log");
        SetEnvVar("VRX310_SIM_STATE", state_.c_str());
        SetEnvVar("VRX310_SIM_LOG", log_.c_str());
    }
    void TearDown() override {
        SetEnvVar("VRX310_SIM_STATE", nullptr);
        SetEnvVar("VRX310_SIM_LOG", nullptr);
    }

    void SetState(const std::string& lines) { WriteFile(state_, lines); }

    TempDir dir_;
    std::string state_;
    std::string log_;
};

TEST_F(SimulatorTest, DefaultTesterHoldsASixCylinderMeasurement) {
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    MeasurementBlock m;
    DeviceInfoBlock d;
    SensorBlock s;
    DeviceStatusBlock st;
    ASSERT_TRUE(link.ReadMeasurements(m));
    ASSERT_TRUE(link.ReadDeviceInfo(d));
    ASSERT_TRUE(link.ReadSensorData(s));
    ASSERT_TRUE(link.ReadDeviceStatus(st));

    int weakest = -1;
    for (int i = 0; i < 6; ++i) {
        EXPECT_GE(m.Compression(i), 0) << i;
        EXPECT_GE(m.Leakage(i), 0) << i;
        if (weakest < 0 || m.Compression(i) < m.Compression(weakest))
            weakest = i;
    }
    for (int i = 6; i < 12; ++i) {
        EXPECT_LT(m.Compression(i), 0) << i;
        EXPECT_LT(m.Leakage(i), 0) << i;
    }
    // The weak cylinder is also the leaky one.
    for (int i = 0; i < 6; ++i)
        EXPECT_LE(m.Leakage(i), m.Leakage(weakest)) << i;

    EXPECT_EQ(d.FirmwareVersion(), 0x0203);
    EXPECT_FALSE(d.SerialText().empty());
    EXPECT_GT(s.SensorFactor(), 60000);
    EXPECT_LT(s.SensorFactor(), 80000);
    EXPECT_FALSE(s.SerialText().empty());
    EXPECT_GT(st.BatteryCentivolts(), 0);
    // No file was needed and none is written by reading.
    EXPECT_FALSE(std::filesystem::exists(state_));
}

TEST_F(SimulatorTest, EraseEmptiesAllValuesAndPersists) {
    {
        TesterLink link(SIM_HID_PATH);
        ASSERT_TRUE(link.Open());
        ASSERT_TRUE(link.EraseMeasurements());
    }
    TesterLink again(SIM_HID_PATH);
    ASSERT_TRUE(again.Open());
    MeasurementBlock m;
    ASSERT_TRUE(again.ReadMeasurements(m));
    EXPECT_TRUE(m.AllNegative());
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(m.Compression(i), -1);
        EXPECT_EQ(m.Leakage(i), -1);
    }
    EXPECT_NE(ReadFile(state_).find("compression=-1 -1 -1"), std::string::npos);
}

// A state file too large to be read is not the simulator's: an erase
// leaves it exactly as it was.
TEST_F(SimulatorTest, AStateFileRefusedWhenReadIsNeverWritten) {
    const std::string huge = "compression=1 2 3\n" + std::string(70 * 1024, '#');
    WriteFile(state_, huge);
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    EXPECT_TRUE(link.EraseMeasurements());
    EXPECT_EQ(ReadFile(state_), huge);
}

TEST_F(SimulatorTest, WrittenSensorBlockIsReadBackByANewLink) {
    SensorBlock written;
    {
        TesterLink link(SIM_HID_PATH);
        ASSERT_TRUE(link.Open());
        ASSERT_TRUE(link.ReadSensorData(written));
        written.SetSensorFactor(65432);
        ASSERT_TRUE(written.SetSerialText("12345"));
        ASSERT_TRUE(link.WriteSensorData(written));
    }
    TesterLink again(SIM_HID_PATH);
    ASSERT_TRUE(again.Open());
    SensorBlock read;
    ASSERT_TRUE(again.ReadSensorData(read));
    EXPECT_EQ(read.Bytes, written.Bytes);
    EXPECT_EQ(read.SensorFactor(), 65432);
    EXPECT_EQ(read.SerialText(), "12345");
    // A block one byte short is not taken.
    TesterLink::Report part{};
    part[0] = 0x33;
    part[1] = static_cast<std::uint8_t>(SensorBlock::Size - 1);
    ASSERT_TRUE(again.RequestOnly(part));
    ASSERT_TRUE(again.ReadSensorData(read));
    EXPECT_EQ(read.Bytes, written.Bytes);
}

TEST_F(SimulatorTest, StateFileSetsValuesAndBlocks) {
    SetState("# only leakage measured\n"
             "compression=-1 -1 -1\n"
             "leakage= 0, 59 ,-7\n"
             "device_status=10000000 00000000 9001 0000\n");
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    MeasurementBlock m;
    DeviceStatusBlock st;
    ASSERT_TRUE(link.ReadMeasurements(m));
    ASSERT_TRUE(link.ReadDeviceStatus(st));
    EXPECT_FALSE(m.AllNegative());
    EXPECT_EQ(m.Leakage(0), 0);
    EXPECT_EQ(m.Leakage(1), 59);
    EXPECT_EQ(m.Leakage(2), -7);
    for (int i = 3; i < 12; ++i)
        EXPECT_EQ(m.Leakage(i), -1) << i;
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(m.Compression(i), -1) << i;
    EXPECT_EQ(st.OperatingSeconds(), 16u);
    EXPECT_EQ(st.BatteryCentivolts(), 400);
}

TEST_F(SimulatorTest, DamagedStateLinesFallBackToTheDefaults) {
    SetState("device_status=" + std::string(26, '1') + // one byte too many
             "\n"
             "compression=1 2 x\n"                     // bad number
             "leakage=1 2 3 4 5 6 7 8 9 10 11 12 13\n" // too many
             "device_info=0102\n"                      // wrong length
             "sensor=ZZ" +
             std::string(70, '0') +
             "\n" // not hex
             "connected=maybe\n"
             "\x01\xFF garbage without equals\n");
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    MeasurementBlock m;
    DeviceInfoBlock d;
    SensorBlock s;
    ASSERT_TRUE(link.ReadMeasurements(m));
    ASSERT_TRUE(link.ReadDeviceInfo(d));
    ASSERT_TRUE(link.ReadSensorData(s));
    DeviceStatusBlock st;
    ASSERT_TRUE(link.ReadDeviceStatus(st));
    EXPECT_EQ(st.BatteryCentivolts(), 412);
    EXPECT_GT(m.Compression(0), 100);
    EXPECT_GT(m.Leakage(0), 10);
    EXPECT_EQ(d.FirmwareVersion(), 0x0203);
    EXPECT_GT(s.SensorFactor(), 60000);
}

TEST_F(SimulatorTest, DisconnectedTesterIsNotFoundAndUnpluggingFailsRequests) {
    SetState("connected=0\n");
    TesterLink link(SIM_HID_PATH);
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(link.LastError(), TesterLink::errNotFound);

    SetState("connected=1\n");
    ASSERT_TRUE(link.Open());
    SetState("connected=0\n");
    MeasurementBlock m;
    EXPECT_FALSE(link.ReadMeasurements(m));
    EXPECT_FALSE(link.EraseMeasurements());
    // The link does not notice by itself.
    EXPECT_TRUE(link.IsOpen());
    SetState("connected=1\n");
    EXPECT_TRUE(link.ReadMeasurements(m));
}

TEST_F(SimulatorTest, WrongLengthFaultRejectsOnlyThatCommand) {
    SetState("fault_length=0x10\n");
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    DeviceInfoBlock d;
    d.Bytes.fill(0x33);
    const DeviceInfoBlock before = d;
    EXPECT_FALSE(link.ReadDeviceInfo(d));
    EXPECT_EQ(d.Bytes, before.Bytes);
    SensorBlock s;
    EXPECT_TRUE(link.ReadSensorData(s));
    // The control value reply then has length byte 0.
    SetState("fault_length=01\n");
    EXPECT_EQ(link.SendControlValue(9), -1);
    SetState("");
    EXPECT_EQ(link.SendControlValue(9), 9);
}

TEST_F(SimulatorTest, WriteAndReadFaults) {
    SetState("fault_write=42\nfault_read=0x40 0x32\n");
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    EXPECT_FALSE(link.EraseMeasurements());
    MeasurementBlock m;
    EXPECT_FALSE(link.ReadMeasurements(m));
    SensorBlock s;
    EXPECT_FALSE(link.ReadSensorData(s));
    DeviceInfoBlock d;
    EXPECT_TRUE(link.ReadDeviceInfo(d));

    // The refused erase did not reach the tester.
    SetState("");
    ASSERT_TRUE(link.ReadMeasurements(m));
    EXPECT_FALSE(m.AllNegative());
}

TEST_F(SimulatorTest, LogHoldsEveryRequestWritten) {
    SetState("fault_write=0x42\n");
    TesterLink link(SIM_HID_PATH);
    ASSERT_TRUE(link.Open());
    MeasurementBlock m;
    SensorBlock s;
    link.ReadMeasurements(m);
    link.EraseMeasurements();
    link.ReadSensorData(s);
    s.SetSensorFactor(0x01020304);
    link.WriteSensorData(s);
    link.SendControlValue(0);

    const std::vector<std::string> lines = Lines(ReadFile(log_));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "40 00");
    EXPECT_EQ(lines[1], "42 00 (not delivered)");
    EXPECT_EQ(lines[2], "32 00");
    EXPECT_EQ(lines[3].substr(0, 6), "33 24 ");
    EXPECT_EQ(lines[3].size(), 38u * 3 - 1);
    EXPECT_EQ(lines[3].substr(8 * 3 + 6, 11), "04 03 02 01");
    EXPECT_EQ(lines[4], "01 01 00");
}

} // namespace
