// vrx310-cli on report files: show, export, and read --out against the
// simulator, run as the built program.
#include "report/report_file.h"
#include "tests/common/command_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

namespace {

class CliReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.Valid());
        // Slot 2 at position 1, slot 4 empty, slot 5 above 1000 bar, position 12 hidden.
        MeasurementReport r;
        r.Compression = {1285, 1310, 852, -1, 12345, 0, -1, -1, -1, -1, -1, -1};
        r.Leakage = {62, 81, 348, 55, -1, 7, -1, -1, -1, -1, -1, -1};
        r.CompressionAssignment = {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
        r.CarID = "HH-AB 123, \"blue\"";
        r.Operator = "M\xFCller";
        r.Texts.FirmwareVersion = "2.03";
        ASSERT_TRUE(SaveReportFile(file_, r, true, "06.12.2026 -- 10:11:12", nullptr));
    }

    // Run in the folder, so file names are given as a user types them; a
    // run that hangs is stopped and fails with 124.
    CommandRun Cli(const std::string& args) {
        return RunCommand("cd '" + dir_.File("") + "' && timeout 20 " +
                              OnSimulator(dir_, SIM_HID_DIR, VRX310_CLI_PATH) + " " + args,
                          dir_);
    }

    TempDir dir_;
    const std::string file_ = dir_.File("sample.vrx");
};

TEST_F(CliReportTest, ShowPrintsEachPositionWithItsSlotInTheChosenUnit) {
    CommandRun run = Cli("show sample.vrx");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Has("Operator:             M\xC3\xBCller\n")) << run.Out;
    EXPECT_TRUE(run.Has("Date and Time:        06.12.2026 -- 10:11:12\n"));
    EXPECT_TRUE(run.Has("         1     2     131.0\n")) << run.Out;
    EXPECT_TRUE(run.Has("         4     4       ---\n"));
    EXPECT_TRUE(run.Has("         5     5   1,234.5\n"));
    EXPECT_TRUE(run.Has("         6     6       0.0\n"));
    EXPECT_TRUE(run.Has("        12     -       ---\n"));
    EXPECT_TRUE(run.Has("         3     3      34 %\n")); // whole percent, as the chart
    run = Cli("show sample.vrx --unit kPa");
    EXPECT_TRUE(run.Has("         5     5   123,450\n")) << run.Out;
    run = Cli("show sample.vrx --unit psi");
    EXPECT_TRUE(run.Has("         2     1   1,863.9\n")) << run.Out;
    EXPECT_EQ(Cli("show sample.vrx --unit atm").Status, 2);
}

TEST_F(CliReportTest, ExportGivesJsonAndCsvInUtf8) {
    CommandRun run = Cli("export sample.vrx --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto json = nlohmann::json::parse(run.Out);
    EXPECT_EQ(json["operator"], "M\xC3\xBCller");
    EXPECT_EQ(json["unit"], "bar");
    EXPECT_EQ(json["compression_assignment"],
              nlohmann::json({2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    EXPECT_EQ(json["compression"][4], 12345);
    EXPECT_EQ(json["device"].size(), 10u);
    EXPECT_EQ(json["device"]["FirmwareVersion"], "2.03");

    run = Cli("export sample.vrx --csv --no-evaluation");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string row = "\r\n\"HH-AB 123, \"\"blue\"\"\",M\xC3\xBCller,06.12.2026 -- 10:11:12,";
    EXPECT_EQ(run.Out.substr(0, run.Out.find("\r\n")),
              "car_id,operator,date_and_time,position,compression_slot,compression_raw,"
              "compression_value,compression_unit,leakage_slot,leakage_raw,leakage_percent");
    EXPECT_TRUE(run.Has(row + "1,2,1310,131.0,bar,1,62,6.2\r\n")) << run.Out;
    EXPECT_TRUE(run.Has(row + "4,4,,,bar,4,55,5.5\r\n"));
    EXPECT_TRUE(run.Has(row + "12,,,,bar,12,,\r\n"));
    EXPECT_EQ(Cli("export sample.vrx --json --csv").Status, 2);
}

TEST_F(CliReportTest, EvaluationFollowsTheReportInEveryFormAndTakesARulesFile) {
    // Position 1 shows slot 2 (131.0), position 3 the weak slot 3 (85.2),
    // position 6 a zero, position 12 nothing.
    CommandRun run = Cli("show sample.vrx");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Has("\nEvaluation, rule set: Default (every flag is an indication)\n"));
    EXPECT_TRUE(run.Has("         3       6.9 %      -230.6  Indication: fault\n")) << run.Out;
    EXPECT_TRUE(run.Has("         6       0.0 %      -315.8  Indication: fault\n"));
    EXPECT_TRUE(run.Has("         3      34.8 %       +23.7  Indication: bad\n"));
    EXPECT_FALSE(Cli("show sample.vrx --no-evaluation").Has("Evaluation"));

    // The CSV's own columns stay first; the evaluation's follow.
    run = Cli("export sample.vrx --csv");
    const std::string header = run.Out.substr(0, run.Out.find("\r\n"));
    EXPECT_EQ(header, "car_id,operator,date_and_time,position,compression_slot,compression_raw,"
                      "compression_value,compression_unit,leakage_slot,leakage_raw,leakage_percent,"
                      "compression_percent_of_highest,compression_deviation,compression_flag,"
                      "leakage_deviation_points,leakage_flag,rule_set");
    EXPECT_TRUE(run.Has("1,2,1310,131.0,bar,1,62,6.2,10.6,-184.8,fault,-4.9,good,Default\r\n"))
        << run.Out;
    EXPECT_TRUE(run.Has("12,,,,bar,12,,,,,,,,Default\r\n"));

    // A workshop's rules from an INI file: absolute data in kPa, leakage off.
    WriteFile(dir_.File("rules.ini"), "[Evaluation]\r\nName=Diesel \"A\", 2.0\r\n"
                                      "AbsoluteUnit=1\r\nAbsoluteMinOn=1\r\nAbsoluteMin=9000\r\n"
                                      "AbsoluteSpread=500\r\nRelativeSpreadOn=0\r\n"
                                      "LeakageOn=0\r\n");
    run = Cli("export sample.vrx --json --rules rules.ini");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto e = nlohmann::json::parse(run.Out)["evaluation"];
    EXPECT_EQ(e["rule_set"], "Diesel \"A\", 2.0");
    // Only the wear limit of 90 bar judges: 131.0 and 1,234.5 bar are good.
    EXPECT_EQ(e["compression"][0]["flag"], "good");
    EXPECT_EQ(e["compression"][2]["flag"], "fault");
    EXPECT_EQ(e["compression"][3]["flag"], "good");
    EXPECT_EQ(e["leakage"][2]["flag"], "");
    EXPECT_EQ(nlohmann::json::parse(run.Out)["compression"][4], 12345); // the report's keys stay
    run = Cli("export sample.vrx --csv --rules rules.ini");
    EXPECT_TRUE(run.Has(",\"Diesel \"\"A\"\", 2.0\"\r\n")) << run.Out;

    // In kPa the deviation is whole, as the chart shows it: 13100 less the
    // mean of the five shown (31584 kPa).
    MeasurementReport kpa;
    ASSERT_TRUE(LoadReportFile(file_, &kpa, nullptr));
    kpa.Unit = unitKPa;
    ASSERT_TRUE(SaveReportFile(dir_.File("kpa.vrx"), kpa, true, "now", nullptr));
    run = Cli("export kpa.vrx --csv");
    EXPECT_TRUE(run.Has("1,2,1310,13100,kPa,1,62,6.2,10.6,-18484,fault,")) << run.Out;

    run = Cli("show sample.vrx --rules missing.ini");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("cannot read rules 'missing.ini'"), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty());
}

TEST_F(CliReportTest, BadFilesFailWithAMessageAndAreNeitherCreatedNorChanged) {
    WriteFile(dir_.File("text.vrx"), "not a report");
    for (const std::string command : {"show text.vrx", "export text.vrx --json"}) {
        const CommandRun run = Cli(command);
        EXPECT_EQ(run.Status, 1) << command;
        EXPECT_NE(run.Err.find("not a report file"), std::string::npos) << run.Err;
        EXPECT_TRUE(run.Out.empty());
    }
    EXPECT_EQ(Cli("show none.vrx").Status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("none.vrx")));
    EXPECT_EQ(ReadFile(dir_.File("text.vrx")), "not a report");
}

TEST_F(CliReportTest, HostileTextsNeitherDriveTheTerminalNorRunInASpreadsheet) {
    MeasurementReport r;
    r.Compression = {1285, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    r.Leakage = {62, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    r.CarID = "=HYPERLINK(\"x\",1)";
    r.Operator = "-1+2";
    r.Texts.DeviceSN = std::string("A\x1b]0;t\x07\0B\x9D\x80", 11); // 0x9D becomes a C1 control
    r.Texts.FirmwareVersion = "@SUM(1)";
    ASSERT_TRUE(SaveReportFile(dir_.File("hostile.vrx"), r, false, "\x1b[2J\rnow\x7F", nullptr));

    CommandRun run = Cli("show hostile.vrx");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Has("Vehicle / Test piece: =HYPERLINK(\"x\",1)\n")) << run.Out;
    EXPECT_TRUE(run.Has("Operator:             -1+2\n"));
    EXPECT_TRUE(run.Has("Date and Time:        \\x1b[2J\\x0dnow\\x7f\n")) << run.Out;
    EXPECT_TRUE(run.Has("  Device SN         A\\x1b]0;t\\x07\\x00B\\x9d\xE2\x82\xAC\n")) << run.Out;
    for (const unsigned char c : run.Out)
        ASSERT_TRUE(c >= 0x20 || c == '\n') << "control byte " << int(c) << " in\n" << run.Out;
    EXPECT_EQ(run.Out.find("\xC2\x9D"), std::string::npos);

    run = Cli("export hostile.vrx --csv --no-evaluation");
    ASSERT_EQ(run.Status, 0) << run.Err;
    // Formula texts get an apostrophe, then RFC 4180 quoting; numbers stay numbers.
    EXPECT_TRUE(run.Has("\r\n\"'=HYPERLINK(\"\"x\"\",1)\",'-1+2,\"\x1b[2J\rnow\x7F\",1,1,1285,"
                        "128.5,bar,1,62,6.2\r\n"))
        << run.Out;
    EXPECT_EQ(nlohmann::json::parse(Cli("export hostile.vrx --json").Out)["operator"], "-1+2");

    // '@' starts a formula too; a line feed alone needs the quotes as well.
    r.CarID = "@SUM(1)";
    r.Operator = "two\nlines";
    ASSERT_TRUE(SaveReportFile(dir_.File("hostile2.vrx"), r, false, "now", nullptr));
    run = Cli("export hostile2.vrx --csv --no-evaluation");
    EXPECT_TRUE(run.Has("\r\n'@SUM(1),\"two\nlines\",now,1,")) << run.Out;
}

TEST_F(CliReportTest, ANamedPipeAsReportFailsAtOnce) {
    ASSERT_EQ(::mkfifo(dir_.File("pipe.vrx").c_str(), 0600), 0);
    for (const std::string command : {"show pipe.vrx", "export pipe.vrx --csv"}) {
        const CommandRun run = Cli(command);
        EXPECT_EQ(run.Status, 1) << command; // 124: it hung on the pipe
        EXPECT_NE(run.Err.find("cannot open report 'pipe.vrx'"), std::string::npos) << run.Err;
        EXPECT_TRUE(run.Out.empty());
    }
    // Reading into it: nothing is saved, so nothing is erased.
    WriteFile(dir_.File("sim.state"), "compression=1285\n");
    const CommandRun run = Cli("read --out pipe.vrx --erase");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Error saving file!"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(dir_.File("sim.log")).find("42 00"), std::string::npos);
}

// A report piped in reads as the file itself; more than a report file may
// hold is refused.
TEST_F(CliReportTest, AReportOnStandardInputReadsAsTheFile) {
    for (const std::string after : {"", " --unit psi"}) {
        const CommandRun piped = RunCommand("cd '" + dir_.File("") + "' && cat sample.vrx | " +
                                                "timeout 20 " + VRX310_CLI_PATH + " show -" + after,
                                            dir_);
        ASSERT_EQ(piped.Status, 0) << piped.Err;
        // The same, less the line that names the file.
        std::string expected = Cli("show sample.vrx" + after).Out;
        expected.erase(expected.find("Report file:"), expected.find('\n') + 1);
        EXPECT_EQ(piped.Out, expected);
    }
    EXPECT_EQ(Cli("export - --csv < sample.vrx").Out, Cli("export sample.vrx --csv").Out);
    // Exactly the bound is read (and is no report); one byte more is not.
    const CommandRun bound = RunCommand("head -c 16777216 /dev/zero | timeout 20 " +
                                            std::string(VRX310_CLI_PATH) + " show -",
                                        dir_);
    EXPECT_EQ(bound.Status, 1);
    EXPECT_NE(bound.Err.find("not a report file"), std::string::npos) << bound.Err;
    const CommandRun endless = Cli("show - < /dev/zero");
    EXPECT_EQ(endless.Status, 1);
    EXPECT_NE(endless.Err.find("too large"), std::string::npos) << endless.Err;
    EXPECT_TRUE(endless.Out.empty());
}

TEST_F(CliReportTest, HistoryListsTheFolderByDateNotByName) {
    MeasurementReport r;
    ASSERT_TRUE(LoadReportFile(file_, &r, nullptr));
    ASSERT_TRUE(SaveReportFile(dir_.File("a.vrx"), r, true, "07.12.2026 -- 08:00:00", nullptr));
    const CommandRun run = Cli("history .");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.find("06.12.2026 -- 10:11:12 | "), 0u) << run.Out;
    EXPECT_NE(run.Out.find("\n07.12.2026 -- 08:00:00 | "), std::string::npos) << run.Out;
}

TEST_F(CliReportTest, ReadOutSavesBeforeItErases) {
    WriteFile(dir_.File("sim.state"), "compression=1285 0 -1\nleakage=-1 59\n");
    CommandRun run = Cli("read --out read.vrx --car 'Gro\xC3\x9F 7' --operator 'J\xC3\xBCrgen' "
                         "--unit psi --erase --json");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFile(dir_.File("sim.log")), "40 00\n10 00\n32 00\n22 00\n42 00\n");
    MeasurementReport r;
    ASSERT_TRUE(LoadReportFile(dir_.File("read.vrx"), &r, nullptr));
    EXPECT_EQ(r.CarID, "Gro\xDF 7");
    EXPECT_EQ(r.Operator, "J\xFCrgen");
    EXPECT_EQ(r.Unit, unitPsi);
    EXPECT_EQ(r.Compression[0], 1285);
    EXPECT_EQ(r.Leakage[1], 59);
    EXPECT_EQ(r.Texts.FirmwareVersion, "2.03");
    EXPECT_EQ(r.DateandTime.substr(4, 1) + r.DateandTime.substr(10, 4), "- -- ") << r.DateandTime;

    // A file that cannot take the report: nothing is erased.
    WriteFile(dir_.File("sim.state"), "compression=1285\n");
    std::remove(dir_.File("sim.log").c_str());
    WriteFile(dir_.File("text.vrx"), "not a report");
    run = Cli("read --out text.vrx --erase");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Error saving file!"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(dir_.File("text.vrx")), "not a report");
    EXPECT_EQ(ReadFile(dir_.File("sim.log")).find("42 00"), std::string::npos);
}

} // namespace
