// The history core: the search fold, report dates, hostile folders, and
// two reports compared.
#include "history/report_compare.h"
#include "history/report_history.h"
#include "history/text_fold.h"
#include "report/report_file.h"
#include "tests/common/temp_dir.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

MeasurementReport Reading(const std::string& car, const std::string& when, std::int16_t base) {
    MeasurementReport r;
    r.CarID = Utf8ToCp1252(car);
    r.Operator = "Hans";
    r.DateandTime = when;
    r.Texts.DeviceSN = "VRX310-24-00815";
    for (int s = 0; s < 4; ++s) {
        r.Compression[s] = static_cast<std::int16_t>(base + 10 * s);
        r.Leakage[s] = static_cast<std::int16_t>(50 + 20 * s);
    }
    return r;
}

std::vector<std::string> Names(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> names;
    for (const HistoryEntry& e : entries)
        names.push_back(std::filesystem::path(e.Path).filename().string() + ":" +
                        HistoryProblemText(e.Problem));
    return names;
}

} // namespace

TEST(TextFold, IgnoresCaseAndAccentsOfLatinLetters) {
    EXPECT_TRUE(ContainsFolded("Müller Golf", "MULLER"));
    EXPECT_TRUE(ContainsFolded("Škoda Fabia", "skoda"));
    EXPECT_TRUE(ContainsFolded("Łódź Żuk", "LODZ ZUK"));
    EXPECT_TRUE(ContainsFolded("Straße", "STRASSE"));
    EXPECT_TRUE(ContainsFolded("anything", ""));
    EXPECT_FALSE(ContainsFolded("Miller", "müller"));
    EXPECT_EQ(FoldForSearch("ÀÉÎÕÜÇÑŒ×"), "aeiouc"
                                          "n"
                                          "oe×");
    // A byte that is no UTF-8 stays as it is and stops nothing after it.
    EXPECT_EQ(FoldForSearch("A\xFF"
                            "B\xC3"),
              "a\xFF"
              "b\xC3");
}

TEST(ReportDate, BothDateOrdersAndNothingElse) {
    EXPECT_EQ(ParseReportDate("2026/12/06 -- 09:05:07"), 20261206090507);
    EXPECT_EQ(ParseReportDate("06.12.2026 -- 09:05:07"), 20261206090507);
    EXPECT_EQ(ParseReportDate("2026-12-06"), 20261206000000);
    EXPECT_EQ(ParseReportDate("31.12.2026 -- 23:59:59"), 20261231235959);
    EXPECT_FALSE(ParseReportDate("(not available)"));
    EXPECT_FALSE(ParseReportDate(""));
    EXPECT_FALSE(ParseReportDate("2026/13/06 -- 09:05:07"));
    EXPECT_FALSE(ParseReportDate("2026/12/06 -- 25:00:00"));
    EXPECT_FALSE(ParseReportDate("12/06/26 -- 09:05:07"));
}

TEST(ReportHistory, ListsReportsByDateAndFiltersTheVehicle) {
    TempDir dir;
    ASSERT_TRUE(SaveReportFile(dir.File("c.vrx"),
                               Reading("Müller Golf", "07.12.2026 -- 08:00:00", 900), false,
                               "07.12.2026 -- 08:00:00", nullptr));
    ASSERT_TRUE(SaveReportFile(dir.File("a.vrx"), Reading("MÜLLER golf", "x", 950), false,
                               "yesterday", nullptr));
    ASSERT_TRUE(SaveReportFile(dir.File("b.VRX"), Reading("Schmidt", "", 1000), false,
                               "2026/12/01 -- 10:00:00", nullptr));
    WriteFile(dir.File("notes.txt"), "not listed");
    std::vector<HistoryEntry> all = ListReportHistory(dir.Path().string(), false);
    std::stable_sort(all.begin(), all.end(), HistoryDateLess);
    ASSERT_EQ(Names(all), (std::vector<std::string>{"b.VRX:", "c.vrx:", "a.vrx:"}));
    EXPECT_FALSE(all[2].When); // "yesterday" sorts last
    EXPECT_EQ(all[1].Cylinders, 4);
    EXPECT_EQ(all[1].Report.Texts.DeviceSN, "VRX310-24-00815");
    EXPECT_TRUE(HistoryVehicleMatches(all[1], "muller"));
    EXPECT_TRUE(HistoryVehicleMatches(all[2], "muller"));
    EXPECT_FALSE(HistoryVehicleMatches(all[0], "muller"));
    // Readings saved in the same second keep their file names' order.
    HistoryEntry same = all[0];
    same.Path += "2";
    EXPECT_TRUE(HistoryDateLess(all[0], same));
    EXPECT_FALSE(HistoryDateLess(same, all[0]));
}

#ifndef _WIN32
TEST(ReportHistory, HostileFolderIsListedWithReasonsAndLeftAsItWas) {
    TempDir dir;
    namespace fs = std::filesystem;
    ASSERT_TRUE(SaveReportFile(dir.File("good.vrx"), Reading("A", "", 900), false,
                               "2026/12/01 -- 10:00:00", nullptr));
    ASSERT_TRUE(SaveReportFile(dir.File("gone.vrx"), Reading("B", "", 900), false,
                               "2026/12/02 -- 10:00:00", nullptr));
    ASSERT_EQ(mkfifo(dir.File("pipe.vrx").c_str(), 0600), 0);
    ASSERT_EQ(truncate((WriteFile(dir.File("x.vrx"), ""), dir.File("x.vrx")).c_str(), 2LL << 30),
              0);
    WriteFile(dir.File("junk.vrx"), "RRFB but nothing else");
    WriteFile(dir.File("bad\xFFname.vrx"), ReadFile(dir.File("good.vrx")));
    fs::create_directories(dir.File("sub/deeper"));
    fs::create_directory_symlink("..", dir.File("sub/deeper/loop"));
    fs::create_directory_symlink(dir.Path(), dir.File("sub/link.vrx"));
    fs::create_symlink("missing", dir.File("sub/dangling.vrx"));
    fs::create_directory(dir.File("closed"));
    WriteFile(dir.File("closed/hidden.vrx"), "x");
    chmod(dir.File("closed").c_str(), 0);

    std::vector<HistoryEntry> seen;
    HistoryOptions options;
    options.Subfolders = true;
    options.FirstBatch = 1;
    bool first = true;
    ASSERT_TRUE(ListReportHistory(dir.Path().string(), options,
                                  [&](std::vector<HistoryEntry>&& batch, HistoryProgress progress) {
                                      // Between listing and reading a report vanishes.
                                      if (first)
                                          fs::remove(dir.File("gone.vrx"));
                                      first = false;
                                      EXPECT_LE(progress.Done, progress.Total);
                                      for (HistoryEntry& e : batch)
                                          seen.push_back(std::move(e));
                                  }));
    chmod(dir.File("closed").c_str(), 0700);
    std::vector<std::string> expected = {"bad\xFFname.vrx:",
                                         "gone.vrx:the file has vanished",
                                         "good.vrx:",
                                         "junk.vrx:not a report file, or damaged",
                                         "pipe.vrx:not a regular file",
                                         "x.vrx:too large for a report file",
                                         "dangling.vrx:the file has vanished"};
    // root reads any folder; everyone else is told this one cannot be read.
    if (geteuid() != 0)
        expected.insert(expected.begin() + 6, "closed:the folder cannot be read");
    else
        expected.insert(expected.begin() + 6, "hidden.vrx:not a report file, or damaged");
    EXPECT_EQ(Names(seen), expected);
    EXPECT_EQ(fs::file_size(dir.File("x.vrx")), 2ULL << 30);
}

TEST(ReportHistory, CancelStopsTheListing) {
    TempDir dir;
    for (int i = 0; i < 40; ++i)
        WriteFile(dir.File(std::to_string(i) + ".vrx"), "no report");
    std::atomic<bool> cancel{false};
    HistoryOptions options;
    options.FirstBatch = 1;
    options.Batch = 1;
    std::size_t rows = 0;
    EXPECT_FALSE(ListReportHistory(
        dir.Path().string(), options,
        [&](std::vector<HistoryEntry>&& batch, HistoryProgress) {
            rows += batch.size();
            cancel = rows >= 3;
        },
        &cancel));
    EXPECT_EQ(rows, 3u);
}
#endif

TEST(ReportCompare, LaterMinusEarlierInTheUnitShownWithWarnings) {
    MeasurementReport later = Reading("A", "2026/12/08 -- 10:00:00", 1000);
    MeasurementReport earlier = Reading("A", "2026/12/01 -- 10:00:00", 900);
    later.Leakage[1] = 59;
    earlier.Leakage[0] = 0;               // no leakage at all is a value
    earlier.CompressionAssignment[3] = 0; // position 4 shows nothing
    ReportComparison c = CompareReports(later, earlier, unitKPa);
    EXPECT_TRUE(c.EarlierIsSecond);
    EXPECT_EQ(c.Positions[0].CompressionEarlier, 9000.0);
    EXPECT_EQ(c.Positions[0].CompressionDifference, 1000.0);
    EXPECT_EQ(c.Positions[1].LeakageDifference, 5 - 7);
    EXPECT_EQ(c.Positions[0].LeakageDifference, 5 - 0);
    EXPECT_FALSE(c.Positions[3].CompressionDifference);
    EXPECT_EQ(c.Positions[3].CompressionLater, 10300.0);
    EXPECT_FALSE(c.Positions[4].CompressionLater);
    EXPECT_FALSE(c.UnitsDiffer);
    EXPECT_FALSE(c.TestersDiffer);
    EXPECT_FALSE(c.CylinderCountsDiffer); // position 4 still shows leakage

    earlier.Unit = unitPsi;
    earlier.Texts.DeviceSN = "VRX310-24-00999";
    earlier.LeakageAssignment[3] = 0;
    c = CompareReports(earlier, later, unitBar);
    EXPECT_FALSE(c.EarlierIsSecond);
    EXPECT_DOUBLE_EQ(*c.Positions[2].CompressionDifference, 102.0 - 92.0);
    EXPECT_TRUE(c.UnitsDiffer);
    EXPECT_TRUE(c.TestersDiffer);
    EXPECT_TRUE(c.CylinderCountsDiffer);
}
