// vrx310-cli read against the simulator, found through LD_LIBRARY_PATH as
// the program finds its library.
#include "tests/common/command_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

class CliReadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Valid()); }

    CommandRun Cli(const std::string& args, const std::string& libraryDir = SIM_HID_DIR) {
        return RunCommand(OnSimulator(dir_, libraryDir, VRX310_CLI_PATH) + " " + args, dir_);
    }

    TempDir dir_;
};

TEST_F(CliReadTest, JsonHoldsTheValuesAndTheTenDeviceTexts) {
    // Serial numbers in Windows-1252: 0xC4 is "Ä".
    WriteFile(dir_.File("sim.state"), "compression=1285 0 -1\n"
                                      "leakage=-1 59\n"
                                      "device_info=C4424300" +
                                          std::string(56, '0') +
                                          "0302 17 00 0201 0500 0712 0000\n");
    const CommandRun run = Cli("read --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto json = nlohmann::json::parse(run.Out);
    EXPECT_EQ(json["compression"],
              nlohmann::json({1285, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(json["leakage"], nlohmann::json({-1, 59, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
    const auto& device = json["device"];
    ASSERT_EQ(device.size(), 10u);
    EXPECT_EQ(device["Device SN"], "\xC3\x84"
                                   "BC");
    EXPECT_EQ(device["FirmwareVersion"], "2.03");
    EXPECT_EQ(device["BuiltNummer"], "17");
    EXPECT_EQ(device["PlatinenVersion"], "1.02");
    EXPECT_EQ(device["HardwareOption"], "5");
    EXPECT_EQ(device["ProdDate"], "12/07");
    for (const char* key : {"Sensor SN", "Sensor ProdDate", "Betriebszeit", "Batteriespannung"})
        EXPECT_TRUE(device.contains(key)) << key;
    // The program's sequence, and no erase without being asked.
    EXPECT_EQ(ReadFile(dir_.File("sim.log")), "40 00\n10 00\n32 00\n22 00\n");
}

TEST_F(CliReadTest, TextFormListsSlotsAndDeviceTexts) {
    const CommandRun run = Cli("read");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("FirmwareVersion   2.03"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("  12           -1       -1"), std::string::npos) << run.Out;
}

TEST_F(CliReadTest, EraseComesBeforeTheDeviceInformationAndEmptiesTheTester) {
    CommandRun run = Cli("read --erase --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    // The values printed are those read before the erase.
    EXPECT_GE(nlohmann::json::parse(run.Out)["compression"][0].get<int>(), 0);
    EXPECT_EQ(ReadFile(dir_.File("sim.log")), "40 00\n42 00\n10 00\n32 00\n22 00\n");

    run = Cli("read");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("No measures available."), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty());
}

TEST_F(CliReadTest, FailedEraseIsReportedAfterTheValues) {
    WriteFile(dir_.File("sim.state"), "fault_write=0x42\n");
    const CommandRun run = Cli("read --erase");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find("Device SN"), std::string::npos);
    EXPECT_NE(run.Err.find("Erasing measurements failed!"), std::string::npos) << run.Err;
}

TEST_F(CliReadTest, MissingTesterOrFailedReadStopsWithStatus1) {
    WriteFile(dir_.File("sim.state"), "connected=0\n");
    CommandRun run = Cli("read --json");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("No VRX-310 device connected!"), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty());

    WriteFile(dir_.File("sim.state"), "fault_read=0x40\n");
    run = Cli("read --json");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Error reading VRX-310 device!"), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty());

    // No library on the search path at all.
    run = Cli("read", dir_.File("nothing-here"));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("No VRX-310 device connected!"), std::string::npos) << run.Err;
}

TEST_F(CliReadTest, BadArgumentsGiveUsageAndStatus2) {
    for (const char* args : {"", "reed", "read --jsn", "read --json extra"}) {
        const CommandRun run = Cli(args);
        EXPECT_EQ(run.Status, 2) << args;
        EXPECT_NE(run.Err.find("usage:"), std::string::npos) << args;
        EXPECT_TRUE(run.Out.empty()) << args;
    }
    // Nothing was sent to the tester.
    EXPECT_EQ(ReadFile(dir_.File("sim.log")), "");
}

} // namespace
