// Report files: the schema as written into a new and an existing database,
// reading with the schema's defaults, and the whole-file save and load.
#include "freebase/fb_file.h"
#include "report/report_file.h"
#include "tests/report_file/report_temp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

MeasurementReport SampleReport() {
    MeasurementReport r;
    for (int i = 0; i < 12; ++i) {
        r.Compression[i] = static_cast<std::int16_t>(100 + i);
        r.Leakage[i] = static_cast<std::int16_t>(10 * i);
    }
    r.Compression[4] = -1; // an empty slot
    r.CarID = "HH-AB 123";
    r.Operator = "Kurt";
    r.Unit = unitKPa;
    r.Texts.DeviceSN = "SN000123";
    r.Texts.FirmwareVersion = "2.03";
    r.Texts.SensorSN = "S42";
    r.Texts.Betriebszeit = "1:2:5";
    r.Texts.Batteriespannung = "4.12";
    return r;
}

// The names of the direct children of path, in file order, with their types.
std::vector<std::pair<std::string, TFBEntryType>> Children(TFreeBase& db, const std::string& path) {
    std::vector<std::pair<std::string, TFBEntryType>> out;
    TFBSearchInfo info;
    for (bool ok = db.FindFirst(path, TFBEntryType::any, info); ok; ok = db.FindNext(info))
        out.emplace_back(info.Name, info.Entry->EntryType);
    return out;
}

// Counts entries and nodes below e and checks that every tag is 0.
void CountTree(const TFBEntry* e, int& entries, int& nodes, int& nonZeroTags) {
    for (const TFBEntry* c = e->FirstChild(); c; c = c->Next) {
        ++entries;
        nonZeroTags += c->Tag != 0;
        if (c->EntryType == TFBEntryType::node) {
            ++nodes;
            CountTree(c, entries, nodes, nonZeroTags);
        }
    }
}

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Valid()); }
    void TearDown() override { fbfile::SetWriteLimitForTesting(-1); }

    // Opens path for inspection; the caller aborts.
    bool OpenForReading(TFreeBase& db, const std::string& path) {
        db.SetOpenFlag(TFBOpenFlag::ReadOnly);
        db.SetFileName(path);
        return db.Open();
    }

    ReportTempDir dir_;
};

TEST_F(ReportFileTest, NewFileHasTheSchemaInOrderAndItsExactSize) {
    MeasurementReport r = SampleReport();
    const std::string date = "2026-12-06 -- 10:11:12";
    const std::string path = dir_.File("new.vrx");
    std::string error;
    ASSERT_TRUE(SaveReportFile(path, r, false, date, &error)) << error;

    std::size_t texts = r.CarID.size() + r.Operator.size() + date.size();
    for (const DeviceTextField& f : DeviceTextFields)
        texts += (r.Texts.*f.Field).size();
    const std::string bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 2269u + texts);
    // Version 2, and the index count at the offset the check block names.
    EXPECT_EQ(bytes.substr(0, 4), "RRFB");
    EXPECT_EQ(U16At(bytes, 6), 2u);
    EXPECT_EQ(U32At(bytes, U32At(bytes, 76)), 117u);
    // The information text in the header, zero-terminated.
    EXPECT_EQ(std::string(bytes.c_str() + 26), "VRX-310");

    TFreeBase db;
    ASSERT_TRUE(OpenForReading(db, path));
    EXPECT_EQ(db.GetDatabaseInfo(), "VRX-310");
    int entries = 0, nodes = 0, nonZeroTags = 0;
    CountTree(db.Root(), entries, nodes, nonZeroTags);
    EXPECT_EQ(entries, 89);
    EXPECT_EQ(nodes, 27);
    EXPECT_EQ(nonZeroTags, 0);

    using T = TFBEntryType;
    const std::vector<std::pair<std::string, T>> top = {
        {"CarID", T::str32}, {"Operator", T::str32},    {"DateandTime", T::str32},
        {"Unit", T::int32},  {"MeasuresComp", T::node}, {"MeasuresLeak", T::node},
        {"Device", T::node}};
    EXPECT_EQ(Children(db, ""), top);
    for (const char* measures : {"MeasuresComp", "MeasuresLeak"}) {
        const auto numbers = Children(db, measures);
        ASSERT_EQ(numbers.size(), 12u) << measures;
        for (int n = 0; n < 12; ++n) {
            EXPECT_EQ(numbers[n], std::make_pair(std::to_string(n), T::node));
            const std::vector<std::pair<std::string, T>> pair = {{"Cylinder", T::int32},
                                                                 {"Value", T::int32}};
            EXPECT_EQ(Children(db, std::string(measures) + "\\" + std::to_string(n)), pair);
        }
    }
    const auto device = Children(db, "Device");
    ASSERT_EQ(device.size(), 10u);
    for (std::size_t i = 0; i < device.size(); ++i)
        EXPECT_EQ(device[i], std::make_pair(std::string(DeviceTextFields[i].Key), T::str32));

    // The stored values: texts, unit, sign-extended slot values.
    EXPECT_EQ(db.ReadString("DateandTime", ""), date);
    EXPECT_EQ(db.ReadInteger("Unit", -5), unitKPa);
    EXPECT_EQ(db.ReadInteger("MeasuresComp\\4\\Value", 0), -1);
    EXPECT_EQ(db.ReadInteger("MeasuresComp\\11\\Value", 0), 111);
    EXPECT_EQ(db.ReadInteger("MeasuresLeak\\3\\Value", 0), 30);
    EXPECT_EQ(db.ReadString("Device\\Batteriespannung", ""), "4.12");
    db.Abort();
}

TEST_F(ReportFileTest, SaveWhatYouSeeDecidesOnlyTheCylinderEntries) {
    MeasurementReport r = SampleReport();
    r.CompressionAssignment = {3, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    r.LeakageAssignment = {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 0};
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
    EXPECT_EQ(b.CompressionAssignment, r.CompressionAssignment);
    EXPECT_EQ(b.LeakageAssignment, r.LeakageAssignment);
    // The values are all twelve either way.
    EXPECT_EQ(a.Compression, r.Compression);
    EXPECT_EQ(b.Compression, r.Compression);
    EXPECT_EQ(a.Leakage, r.Leakage);
    EXPECT_EQ(b.Leakage, r.Leakage);
    // Everything else comes back as saved.
    EXPECT_EQ(b.CarID, r.CarID);
    EXPECT_EQ(b.Operator, r.Operator);
    EXPECT_EQ(b.Unit, r.Unit);
    EXPECT_EQ(b.DateandTime, "d");
    EXPECT_EQ(b.Texts.SensorSN, "S42");
    EXPECT_EQ(b.FileName, on);
}

TEST_F(ReportFileTest, ReadingKeepsTheLowWordAndFallsBackToTheSchemaDefaults) {
    const std::string path = dir_.File("sparse.vrx");
    {
        TFreeBase db;
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetFileName(path);
        ASSERT_TRUE(db.Open());
        db.WriteString("CarID", "X");
        db.WriteInteger("MeasuresComp\\0\\Value", 70000);
        db.WriteInteger("MeasuresLeak\\1\\Value", -70000);
        db.WriteInteger("MeasuresComp\\2\\Cylinder", 99); // kept as stored
        db.WriteString("Unit", "2");                      // wrong type counts as missing
        db.WriteInteger("Device\\Device SN", 5);          // likewise
        db.Close();
        ASSERT_EQ(db.LastError(), 0);
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
    EXPECT_EQ(r.Leakage[0], -1);
    EXPECT_EQ(r.CompressionAssignment[2], 99);
    EXPECT_EQ(r.CompressionAssignment[0], 0);
    EXPECT_EQ(r.LeakageAssignment[11], 0);
    EXPECT_EQ(r.Unit, unitBar);
    EXPECT_EQ(r.CarID, "X");
    EXPECT_EQ(r.Operator, "");
    EXPECT_EQ(r.DateandTime, "(n/a)");
    EXPECT_EQ(r.Texts.DeviceSN, "");
    EXPECT_EQ(labels.DeviceSN, "(n/a)");
    EXPECT_EQ(labels.SensorSN, "(n/a)");
    // What a file does not hold is not touched.
    EXPECT_TRUE(r.ValuesRead);
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
        db.WriteString("CarID", "old");
        created = db.GetCreated();
        db.Close();
        ASSERT_EQ(db.LastError(), 0);
    }
    const MeasurementReport r = SampleReport();
    ASSERT_TRUE(SaveReportFile(path, r, false, "now", nullptr));

    TFreeBase db;
    ASSERT_TRUE(OpenForReading(db, path));
    EXPECT_EQ(db.Version(), 2);
    EXPECT_EQ(db.GetCreated(), created);
    EXPECT_EQ(db.ReadString("Workshop\\Note", ""), "keep me");
    const auto top = Children(db, "");
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(top[0].first, "Workshop");
    EXPECT_EQ(top[1].first, "Operator");
    EXPECT_EQ(top[2].first, "CarID");
    EXPECT_EQ(top[3].first, "DateandTime");
    EXPECT_EQ(db.ReadString("Operator", ""), "Kurt");
    EXPECT_EQ(db.ReadTag("Operator", TFBEntryType::str32, 0), 7);
    EXPECT_EQ(db.GetDatabaseInfo(), "VRX-310");
    db.Abort();
}

TEST_F(ReportFileTest, Windows1252TextsTravelByteForByte) {
    MeasurementReport r = SampleReport();
    r.Operator = "M\xFCller";
    r.CarID = "\x80-Gr\xF6\xDF"; // euro sign, o umlaut, sharp s
    const std::string path = dir_.File("cp.vrx");
    ASSERT_TRUE(SaveReportFile(path, r, false, "d", nullptr));
    const std::string bytes = ReadAll(path);
    EXPECT_NE(bytes.find(std::string("\x06\x00\x00\x00M\xFCller", 10)), std::string::npos);

    MeasurementReport back;
    ASSERT_TRUE(LoadReportFile(path, &back, nullptr));
    EXPECT_EQ(back.Operator, r.Operator);
    EXPECT_EQ(back.CarID, r.CarID);
}

TEST_F(ReportFileTest, FilesThatAreNoReportStayAsTheyWere) {
    const std::string garbage = dir_.File("notes.vrx");
    WriteAll(garbage, "this is a text file, not a database\n");
    std::string error;
    EXPECT_FALSE(SaveReportFile(garbage, SampleReport(), false, "d", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(garbage), "this is a text file, not a database\n");

    MeasurementReport r = SampleReport();
    error.clear();
    EXPECT_FALSE(LoadReportFile(garbage, &r, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(r.CarID, "HH-AB 123"); // untouched on failure

    // A damaged report: one changed byte in its data.
    const std::string damaged = dir_.File("damaged.vrx");
    ASSERT_TRUE(SaveReportFile(damaged, SampleReport(), false, "d", nullptr));
    std::string bytes = ReadAll(damaged);
    bytes[100] ^= 0x01;
    WriteAll(damaged, bytes);
    EXPECT_FALSE(LoadReportFile(damaged, &r, &error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_FALSE(SaveReportFile(damaged, SampleReport(), false, "d", nullptr));
    EXPECT_EQ(ReadAll(damaged), bytes);
}

TEST_F(ReportFileTest, LoadingNeverCreatesOrChangesAFile) {
    const std::string missing = dir_.File("missing.vrx");
    MeasurementReport r;
    std::string error;
    EXPECT_FALSE(LoadReportFile(missing, &r, &error));
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string path = dir_.File("r.vrx");
    ASSERT_TRUE(SaveReportFile(path, SampleReport(), true, "d", nullptr));
    const std::string before = ReadAll(path);
    const auto stamp = std::filesystem::last_write_time(path);
    ASSERT_TRUE(LoadReportFile(path, &r, &error)) << error;
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
}

TEST_F(ReportFileTest, AFailedWriteLeavesTheOldFileOrNoFile) {
    const std::string path = dir_.File("w.vrx");
    fbfile::SetWriteLimitForTesting(500);
    std::string error;
    EXPECT_FALSE(SaveReportFile(path, SampleReport(), false, "d", &error));
    EXPECT_NE(error.find("writing"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path)); // no empty remnant

    fbfile::SetWriteLimitForTesting(-1);
    ASSERT_TRUE(SaveReportFile(path, SampleReport(), false, "d", nullptr));
    const std::string before = ReadAll(path);
    MeasurementReport changed = SampleReport();
    changed.CarID = "other";
    fbfile::SetWriteLimitForTesting(500);
    EXPECT_FALSE(SaveReportFile(path, changed, false, "d", nullptr));
    EXPECT_EQ(ReadAll(path), before);
}

} // namespace
