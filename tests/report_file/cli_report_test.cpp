// vrx310-cli on report files: show, export, and read --out against the
// simulator, run as the built program.
#include "report/report_file.h"
#include "tests/report_file/report_temp.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

namespace {

struct CliRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

class CliReportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Valid()); }

    CliRun Cli(const std::string& args) {
        const std::string out = dir_.File("stdout"), err = dir_.File("stderr");
        const std::string command = "cd '" + dir_.File("") + "' && env LD_LIBRARY_PATH='" +
                                    SIM_HID_DIR + "' VRX310_SIM_STATE='" + dir_.File("sim.state") +
                                    "' VRX310_SIM_LOG='" + dir_.File("sim.log") + "' '" +
                                    VRX310_CLI_PATH "' " + args + " >'" + out + "' 2>'" + err + "'";
        CliRun run;
        const int raw = std::system(command.c_str());
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Out = ReadAll(out);
        run.Err = ReadAll(err);
        return run;
    }

    // A report with a Windows-1252 operator, one empty slot, one hidden
    // position and positions 1 and 2 swapped in the compression chart.
    std::string SampleFile() {
        MeasurementReport r;
        r.Compression = {1285, 1310, 852, -1, 12345, 0, -1, -1, -1, -1, -1, -1};
        r.Leakage = {62, 81, 348, 55, -1, 7, -1, -1, -1, -1, -1, -1};
        r.CompressionAssignment = {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
        r.LeakageAssignment = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        r.CarID = "HH-AB 123, \"blue\"";
        r.Operator = "M\xFCller";
        r.Unit = unitBar;
        r.Texts.DeviceSN = "VRX310-24-00815";
        r.Texts.FirmwareVersion = "2.03";
        const std::string path = dir_.File("sample.vrx");
        EXPECT_TRUE(SaveReportFile(path, r, true, "06.12.2026 -- 10:11:12", nullptr));
        return path;
    }

    ReportTempDir dir_;
};

TEST_F(CliReportTest, ShowPrintsEachPositionWithItsSlotInTheChosenUnit) {
    const std::string file = SampleFile();
    CliRun run = Cli("show '" + file + "'");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Operator:             M\xC3\xBCller\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Date and Time:        06.12.2026 -- 10:11:12\n"), std::string::npos);
    EXPECT_NE(run.Out.find("Compression (bar)\n"), std::string::npos);
    // Position 1 shows slot 2, position 2 slot 1; slot 4 is empty; slot 5
    // groups its thousands; position 12 shows none.
    EXPECT_NE(run.Out.find("         1     2     131.0\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("         2     1     128.5\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("         4     4       ---\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("         5     5   1,234.5\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("         6     6       0.0\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("        12     -       ---\n"), std::string::npos) << run.Out;
    // Leakage in whole percent as the chart draws it.
    EXPECT_NE(run.Out.find("         3     3      34 %\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("  Device SN         VRX310-24-00815\n"), std::string::npos);

    run = Cli("show '" + file + "' --unit kPa");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Compression (kPa)\n"), std::string::npos);
    EXPECT_NE(run.Out.find("         5     5   123,450\n"), std::string::npos) << run.Out;
    run = Cli("show '" + file + "' --unit psi");
    EXPECT_NE(run.Out.find("         2     1   1,863.9\n"), std::string::npos) << run.Out;

    EXPECT_EQ(Cli("show '" + file + "' --unit atm").Status, 2);
}

TEST_F(CliReportTest, ExportGivesJsonAndCsvInUtf8) {
    const std::string file = SampleFile();
    CliRun run = Cli("export '" + file + "' --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto json = nlohmann::json::parse(run.Out);
    EXPECT_EQ(json["car_id"], "HH-AB 123, \"blue\"");
    EXPECT_EQ(json["operator"], "M\xC3\xBCller");
    EXPECT_EQ(json["date_and_time"], "06.12.2026 -- 10:11:12");
    EXPECT_EQ(json["unit"], "bar");
    EXPECT_EQ(json["compression_assignment"],
              nlohmann::json({2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    EXPECT_EQ(json["leakage_assignment"][11], 12);
    EXPECT_EQ(json["compression"],
              nlohmann::json({1285, 1310, 852, -1, 12345, 0, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(json["leakage"][2], 348);
    ASSERT_EQ(json["device"].size(), 10u);
    EXPECT_EQ(json["device"]["FirmwareVersion"], "2.03");
    EXPECT_EQ(json["device"]["Sensor SN"], "");

    run = Cli("export '" + file + "' --csv");
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < run.Out.size();) {
        const std::size_t end = run.Out.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        lines.push_back(run.Out.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "car_id,operator,date_and_time,position,compression_slot,"
                        "compression_raw,compression_value,compression_unit,leakage_slot,"
                        "leakage_raw,leakage_percent");
    const std::string common = "\"HH-AB 123, \"\"blue\"\"\",M\xC3\xBCller,06.12.2026 -- 10:11:12,";
    EXPECT_EQ(lines[1], common + "1,2,1310,131.0,bar,1,62,6.2");
    EXPECT_EQ(lines[4], common + "4,4,,,bar,4,55,5.5");
    EXPECT_EQ(lines[5], common + "5,5,12345,1234.5,bar,5,,");
    EXPECT_EQ(lines[12], common + "12,,,,bar,12,,");

    EXPECT_EQ(Cli("export '" + file + "'").Status, 2);
    EXPECT_EQ(Cli("export '" + file + "' --json --csv").Status, 2);
}

TEST_F(CliReportTest, BadFilesFailWithAMessageAndAreNeitherCreatedNorChanged) {
    WriteAll(dir_.File("text.vrx"), "not a report");
    for (const char* command : {"show", "export"}) {
        const std::string suffix = std::string(command) == "export" ? " --json" : "";
        CliRun run = Cli(std::string(command) + " '" + dir_.File("text.vrx") + "'" + suffix);
        EXPECT_EQ(run.Status, 1) << command;
        EXPECT_NE(run.Err.find("not a report file"), std::string::npos) << run.Err;
        EXPECT_TRUE(run.Out.empty());

        run = Cli(std::string(command) + " '" + dir_.File("none.vrx") + "'" + suffix);
        EXPECT_EQ(run.Status, 1) << command;
        EXPECT_NE(run.Err.find("does not exist"), std::string::npos) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(dir_.File("none.vrx")));
    }
    EXPECT_EQ(ReadAll(dir_.File("text.vrx")), "not a report");
}

TEST_F(CliReportTest, ReadOutSavesWhatItReadAsAReportFile) {
    WriteAll(dir_.File("sim.state"), "compression=1285 0 -1\nleakage=-1 59\n");
    const std::string file = dir_.File("read.vrx");
    CliRun run = Cli("read --out '" + file +
                     "' --car 'Gro\xC3\x9F 7' --operator 'J\xC3\xBCrgen' "
                     "--unit psi --erase --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(nlohmann::json::parse(run.Out)["operator"], "J\xC3\xBC"
                                                          "rgen");
    // Saved first, erased afterwards.
    EXPECT_EQ(ReadAll(dir_.File("sim.log")), "40 00\n10 00\n32 00\n22 00\n42 00\n");

    MeasurementReport r;
    std::string error;
    ASSERT_TRUE(LoadReportFile(file, &r, &error)) << error;
    EXPECT_EQ(r.CarID, "Gro\xDF 7");
    EXPECT_EQ(r.Operator, "J\xFCrgen");
    EXPECT_EQ(r.Unit, unitPsi);
    EXPECT_EQ(r.Compression[0], 1285);
    EXPECT_EQ(r.Compression[1], 0);
    EXPECT_EQ(r.Compression[2], -1);
    EXPECT_EQ(r.Leakage[1], 59);
    EXPECT_EQ(r.CompressionAssignment[11], 12);
    EXPECT_EQ(r.Texts.FirmwareVersion, "2.03");
    // English date form in a folder without the German module.
    EXPECT_EQ(r.DateandTime.size(), 22u) << r.DateandTime;
    EXPECT_EQ(r.DateandTime.substr(10, 4), " -- ") << r.DateandTime;
    EXPECT_EQ(r.DateandTime[4], '-') << r.DateandTime;
}

TEST_F(CliReportTest, ReadOutThatCannotSaveKeepsTheTesterFull) {
    WriteAll(dir_.File("sim.state"), "compression=1285\n");
    WriteAll(dir_.File("busy.vrx"), "not a report");
    CliRun run = Cli("read --out '" + dir_.File("busy.vrx") + "' --erase");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Error saving file!"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadAll(dir_.File("busy.vrx")), "not a report");
    EXPECT_EQ(ReadAll(dir_.File("sim.log")).find("42 00"), std::string::npos);

    EXPECT_EQ(Cli("read --car X").Status, 2); // names without a file
}

} // namespace
