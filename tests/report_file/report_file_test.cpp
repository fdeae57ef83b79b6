// Report files: the schema as written into a new and an existing database,
// reading with the schema's defaults, and the whole-file save and load.
#include "fileio/safe_file.h"
#include "freebase/fb_file.h"
#include "report/report_file.h"
#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#undef ReplaceFile
#endif

namespace {

std::uint32_t U16At(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b.at(at)) | static_cast<std::uint8_t>(b.at(at + 1)) << 8;
}
std::uint32_t U32At(const std::string& b, std::size_t at) {
    return U16At(b, at) | U16At(b, at + 2) << 16;
}

MeasurementReport SampleReport() {
    MeasurementReport r;
    for (int i = 0; i < 12; ++i) {
        r.Compression[i] = static_cast<std::int16_t>(100 + i);
        r.Leakage[i] = static_cast<std::int16_t>(10 * i);
    }
    r.Compression[4] = -1; // an empty slot
    r.CompressionAssignment = {3, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    r.LeakageAssignment = {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 0};
    r.CarID = "\x80-Gr\xF6\xDF"; // Windows-1252: euro sign, o umlaut, sharp s
    r.Operator = "M\xFCller";
    r.Unit = unitKPa;
    r.Texts.DeviceSN = "SN000123";
    r.Texts.Batteriespannung = "4.12";
    return r;
}

// "name:type" of every entry below path, depth first, in file order.
void Walk(TFreeBase& db, const std::string& path, std::vector<std::string>& out, int& nodes,
          int& tags) {
    TFBSearchInfo info;
    for (bool ok = db.FindFirst(path, TFBEntryType::any, info); ok; ok = db.FindNext(info)) {
        out.push_back(info.Name + ":" + std::to_string(static_cast<int>(info.Entry->EntryType)));
        tags += info.Entry->Tag != 0;
        if (info.Entry->EntryType == TFBEntryType::node) {
            ++nodes;
            Walk(db, path.empty() ? info.Name : path + "\\" + info.Name, out, nodes, tags);
        }
    }
}

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Valid()); }
    void TearDown() override { safefile::SetWriteLimitForTesting(-1); }
    bool OpenForReading(TFreeBase& db, const std::string& path) {
        db.SetOpenFlag(TFBOpenFlag::ReadOnly);
        db.SetFileName(path);
        return db.Open();
    }
    TempDir dir_;
};

TEST_F(ReportFileTest, NewFileHasTheSchemaInOrderAndItsExactSize) {
    const MeasurementReport r = SampleReport();
    const std::string date = "2026-12-06 -- 10:11:12", path = dir_.File("new.vrx");
    ASSERT_TRUE(SaveReportFile(path, r, false, date, nullptr));

    std::size_t texts = r.CarID.size() + r.Operator.size() + date.size();
    for (const DeviceTextField& f : DeviceTextFields)
        texts += (r.Texts.*f.Field).size();
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 2269u + texts);
    EXPECT_EQ(U16At(bytes, 6), 2u);                        // version 2
    EXPECT_EQ(U32At(bytes, U32At(bytes, 76)), 117u);       // index records
    EXPECT_EQ(std::string(bytes.c_str() + 26), "VRX-310"); // information text

    TFreeBase db;
    ASSERT_TRUE(OpenForReading(db, path));
    std::vector<std::string> entries;
    int nodes = 0, tags = 0;
    Walk(db, "", entries, nodes, tags);
    std::vector<std::string> expected = {"CarID:3", "Operator:3", "DateandTime:3", "Unit:2"};
    for (const char* measures : {"MeasuresComp:1", "MeasuresLeak:1"}) {
        expected.push_back(measures);
        for (int n = 0; n < 12; ++n) {
            expected.push_back(std::to_string(n) + ":1");
            expected.push_back("Cylinder:2");
            expected.push_back("Value:2");
        }
    }
    expected.push_back("Device:1");
    for (const DeviceTextField& f : DeviceTextFields)
        expected.push_back(std::string(f.Key) + ":3");
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(entries.size(), 89u);
    EXPECT_EQ(nodes, 27);
    EXPECT_EQ(tags, 0);
    // Sign-extended values; without "Save what you see" the default assignment.
    EXPECT_EQ(db.ReadInteger("MeasuresComp\\4\\Value", 0), -1);
    EXPECT_EQ(db.ReadInteger("MeasuresComp\\2\\Cylinder", -1), 3);
    EXPECT_EQ(db.ReadInteger("MeasuresLeak\\11\\Cylinder", -1), 12);
    db.Abort();
}

TEST_F(ReportFileTest, RoundTripsWithAndWithoutSaveWhatYouSee) {
    const MeasurementReport r = SampleReport();
    const std::string off = dir_.File("off.vrx"), on = dir_.File("on.vrx");
    ASSERT_TRUE(SaveReportFile(off, r, false, "d", nullptr));
    ASSERT_TRUE(SaveReportFile(on, r, true, "d", nullptr));
    MeasurementReport a, b;
    ASSERT_TRUE(LoadReportFile(off, &a, nullptr));
    ASSERT_TRUE(LoadReportFile(on, &b, nullptr));
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(a.CompressionAssignment[k], k + 1);
        EXPECT_EQ(a.LeakageAssignment[k], k + 1);
    }
    EXPECT_EQ(b.CompressionAssignment, r.CompressionAssignment); // 0 stays none
    EXPECT_EQ(b.LeakageAssignment, r.LeakageAssignment);
    for (const MeasurementReport* x : {&a, &b}) {
        EXPECT_EQ(x->Compression, r.Compression);
        EXPECT_EQ(x->Leakage, r.Leakage);
        EXPECT_EQ(x->CarID, r.CarID); // Windows-1252 bytes unchanged
        EXPECT_EQ(x->Operator, r.Operator);
        EXPECT_EQ(x->Unit, unitKPa);
        EXPECT_EQ(x->Texts.Batteriespannung, "4.12");
    }
    EXPECT_NE(ReadFile(on).find(std::string("\x06\x00\x00\x00M\xFCller", 10)), std::string::npos);
    EXPECT_EQ(b.FileName, on);
}

TEST_F(ReportFileTest, ReadingKeepsTheLowWordAndFallsBackToTheSchemaDefaults) {
    const std::string path = dir_.File("sparse.vrx");
    {
        TFreeBase db;
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetFileName(path);
        ASSERT_TRUE(db.Open());
        db.WriteInteger("MeasuresComp\\0\\Value", 70000);
        db.WriteInteger("MeasuresLeak\\1\\Value", -70000);
        db.WriteInteger("MeasuresComp\\2\\Cylinder", 99); // kept as stored
        db.WriteString("Unit", "2");                      // another type counts as missing
        db.WriteInteger("Device\\Device SN", 5);
        db.WriteString("Operator", std::string(3u << 20, 'o')); // hostile
        db.WriteString("Device\\Sensor SN", std::string(300, 's'));
        db.Close();
    }
    MeasurementReport r;
    r.ValuesRead = true;
    r.DeviceInfo.Bytes[0] = 0x5A;
    TFreeBase db;
    ASSERT_TRUE(OpenForReading(db, path));
    const ReportFileLabels labels = ReadReport(db, r, "(n/a)");
    db.Abort();

    EXPECT_EQ(r.Compression[0], 4464);
    EXPECT_EQ(r.Leakage[1], -4464);
    EXPECT_EQ(r.Compression[1], -1);
    EXPECT_EQ(r.CompressionAssignment[2], 99);
    EXPECT_EQ(r.LeakageAssignment[11], 0);
    EXPECT_EQ(r.Unit, unitBar);
    EXPECT_EQ(r.DateandTime, "(n/a)");
    EXPECT_EQ(r.Texts.DeviceSN, "");
    EXPECT_EQ(labels.DeviceSN, "(n/a)");
    // Texts are cut before they reach the window and the settings.
    EXPECT_EQ(r.Operator, std::string(MaxReportTextBytes, 'o'));
    EXPECT_EQ(labels.SensorSN, std::string(MaxReportTextBytes, 's'));
    EXPECT_TRUE(r.ValuesRead); // what a file does not hold is not touched
    EXPECT_EQ(r.DeviceInfo.Bytes[0], 0x5A);
}

TEST_F(ReportFileTest, SavingIntoAnExistingReportKeepsItsCreatedDateOrderAndForeignEntries) {
    const std::string path = dir_.File("old.vrx");
    TFBDateTime created = 0;
    {
        TFreeBase db;
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetSaveAsVersion(TSaveAsVersion::Version1);
        db.SetFileName(path);
        ASSERT_TRUE(db.Open());
        db.WriteString("Workshop\\Note", "keep me");
        db.WriteString("Operator", "old");
        db.WriteTag("Operator", TFBEntryType::str32, 7);
        created = db.GetCreated();
        db.Close();
    }
    ASSERT_TRUE(SaveReportFile(path, SampleReport(), false, "now", nullptr));
    TFreeBase db;
    ASSERT_TRUE(OpenForReading(db, path));
    EXPECT_EQ(db.Version(), 2);
    EXPECT_EQ(db.GetCreated(), created);
    EXPECT_EQ(db.ReadString("Workshop\\Note", ""), "keep me");
    EXPECT_EQ(db.ReadString("Operator", ""), "M\xFCller");
    EXPECT_EQ(db.ReadTag("Operator", TFBEntryType::str32, 0), 7);
    TFBSearchInfo info;
    ASSERT_TRUE(db.FindFirst("", TFBEntryType::any, info));
    EXPECT_EQ(info.Name, "Workshop");
    ASSERT_TRUE(db.FindNext(info));
    EXPECT_EQ(info.Name, "Operator");
    ASSERT_TRUE(db.FindNext(info));
    EXPECT_EQ(info.Name, "CarID");
    db.Abort();
}

TEST_F(ReportFileTest, FilesThatAreNoSoundReportAreNeitherLoadedNorChanged) {
    const std::string garbage = dir_.File("notes.vrx"), damaged = dir_.File("damaged.vrx");
    WriteFile(garbage, "not a database");
    ASSERT_TRUE(SaveReportFile(damaged, SampleReport(), false, "d", nullptr));
    std::string bytes = ReadFile(damaged);
    bytes[100] ^= 0x01;
    WriteFile(damaged, bytes);

    MeasurementReport r;
    std::string error;
    EXPECT_FALSE(SaveReportFile(garbage, SampleReport(), false, "d", &error));
    EXPECT_FALSE(LoadReportFile(garbage, &r, &error));
    EXPECT_EQ(r.CarID, ""); // untouched on failure
    EXPECT_EQ(ReadFile(garbage), "not a database");
    EXPECT_FALSE(LoadReportFile(damaged, &r, &error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_FALSE(SaveReportFile(damaged, SampleReport(), false, "d", nullptr));
    EXPECT_EQ(ReadFile(damaged), bytes);

    // Loading refuses a missing file instead of creating it, and never writes.
    EXPECT_FALSE(LoadReportFile(dir_.File("missing.vrx"), &r, &error));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.vrx")));
    const std::string good = dir_.File("good.vrx");
    ASSERT_TRUE(SaveReportFile(good, SampleReport(), true, "d", nullptr));
    const auto stamp = std::filesystem::last_write_time(good);
    const std::string before = ReadFile(good);
    ASSERT_TRUE(LoadReportFile(good, &r, &error));
    EXPECT_EQ(ReadFile(good), before);
    EXPECT_EQ(std::filesystem::last_write_time(good), stamp);
}

TEST_F(ReportFileTest, AFailedWriteLeavesTheOldFileOrNoFile) {
    const std::string path = dir_.File("w.vrx");
    safefile::SetWriteLimitForTesting(500);
    std::string error;
    EXPECT_FALSE(SaveReportFile(path, SampleReport(), false, "d", &error));
    EXPECT_NE(error.find("writing"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path)); // no empty remnant

    safefile::SetWriteLimitForTesting(-1);
    ASSERT_TRUE(SaveReportFile(path, SampleReport(), false, "d", nullptr));
    const std::string before = ReadFile(path);
    safefile::SetWriteLimitForTesting(500);
    EXPECT_FALSE(SaveReportFile(path, MeasurementReport(), false, "d", nullptr));
    EXPECT_EQ(ReadFile(path), before);
}

#ifdef _WIN32
// A report another program holds open (a viewer that shares it for reading
// only, or one that shares it with nobody) is neither saved nor opened, the
// user hears why, and nothing is left beside it.
TEST_F(ReportFileTest, AReportAnotherProgramHoldsOpenIsInUseAndStaysAsItWas) {
    const std::string path = dir_.File("held.vrx");
    ASSERT_TRUE(SaveReportFile(path, SampleReport(), false, "d", nullptr));
    const std::string before = ReadFile(path);
    const std::wstring wide = safefile::WidePath(path);
    for (const DWORD share : {DWORD(FILE_SHARE_READ), DWORD(0)}) {
        HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::string error;
        EXPECT_FALSE(SaveReportFile(path, MeasurementReport(), false, "d", &error));
        EXPECT_EQ(error, "the file is in use by another program") << share;
        if (share == 0) {
            MeasurementReport loaded;
            EXPECT_FALSE(LoadReportFile(path, &loaded, &error));
            EXPECT_EQ(error, "the file is in use by another program");
        }
        CloseHandle(held);
        EXPECT_EQ(ReadFile(path), before);
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.File("")))
            ++entries;
        EXPECT_EQ(entries, 1u) << "something was left beside the report";
    }
    EXPECT_TRUE(SaveReportFile(path, MeasurementReport(), false, "d", nullptr));
    EXPECT_NE(ReadFile(path), before);
}
#endif

} // namespace
