// The report model: pressure units, message lookup, the device texts and
// the report's state changes.
#include "report/report_model.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ConvertPressureTest, EachUnitAndItsPattern) {
    std::string pattern = "unset";
    EXPECT_DOUBLE_EQ(ConvertPressure(100, unitBar, &pattern), 10.0);
    EXPECT_EQ(pattern, "#,##0.0");
    EXPECT_EQ(ConvertPressure(100, unitKPa, &pattern), 1000.0);
    EXPECT_EQ(pattern, "#,##0");
    EXPECT_DOUBLE_EQ(ConvertPressure(100, unitPsi, &pattern), 145.05);
    EXPECT_EQ(pattern, "#,##0.0");
    // Full precision is kept; only the pattern rounds for display.
    EXPECT_DOUBLE_EQ(ConvertPressure(1285, unitPsi), 1285 * 1.4505);
}

TEST(ConvertPressureTest, ZeroIsAMeasurementInEveryUnit) {
    for (int unit = 0; unit <= 2; ++unit)
        EXPECT_EQ(ConvertPressure(0, unit), 0.0) << unit;
}

TEST(ConvertPressureTest, LargestValueInKPaIsExact) {
    EXPECT_EQ(ConvertPressure(32767, unitKPa), 327670.0);
}

TEST(ConvertPressureTest, EmptySlotOrUnknownUnitGivesMinusOneAndKeepsThePattern) {
    std::string pattern = "#,##0";
    EXPECT_EQ(ConvertPressure(-1, unitBar, &pattern), -1.0);
    EXPECT_EQ(ConvertPressure(-32768, unitKPa, &pattern), -1.0);
    EXPECT_EQ(ConvertPressure(100, 3, &pattern), -1.0);
    EXPECT_EQ(ConvertPressure(100, -1, &pattern), -1.0);
    EXPECT_EQ(pattern, "#,##0");
}

TEST(LeakagePercentTest, TenthsAreCutOff) {
    EXPECT_EQ(LeakagePercent(59), 5);
    EXPECT_EQ(LeakagePercent(9), 0);
    EXPECT_EQ(LeakagePercent(1000), 100);
}

TEST(MessageTextTest, IndexOutsideTheTableGivesEmptyText) {
    const std::vector<std::string> table(34, "x");
    EXPECT_EQ(MessageText(table, -1), "");
    EXPECT_EQ(MessageText(table, 34), "");
    EXPECT_EQ(MessageText(table, 33), "x");
    EXPECT_EQ(MessageText({}, 0), "");
}

TEST(MessageTextTest, OnlyTheFirstBackslashNBecomesACarriageReturn) {
    const std::vector<std::string> table = {"plain", "one\\ntwo\\nthree", "end\\n", "\\", "a\\nb"};
    EXPECT_EQ(MessageText(table, 0), "plain");
    EXPECT_EQ(MessageText(table, 1), "one\rtwo\\nthree");
    EXPECT_EQ(MessageText(table, 2), "end\r");
    EXPECT_EQ(MessageText(table, 3), "\\");
    EXPECT_EQ(MessageText(table, 4), "a\rb");
    // The table itself is left as it is.
    EXPECT_EQ(table[4], "a\\nb");
}

struct Blocks {
    DeviceInfoBlock Info;
    DeviceStatusBlock Status;
    SensorBlock Sensor;

    void Word(std::uint8_t* p, std::uint16_t v) {
        p[0] = static_cast<std::uint8_t>(v & 0xFF);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
    void Seconds(std::uint32_t s) {
        for (int i = 0; i < 4; ++i)
            Status.Bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(s >> (8 * i));
    }
    DeviceTexts Texts(char separator = '.') const {
        return DeriveDeviceTexts(Info, Status, Sensor, separator);
    }
};

TEST(DeviceTextsTest, VersionsDatesAndNumbers) {
    Blocks b;
    std::memcpy(b.Info.Bytes.data(), "VRX310-0042", 11);
    b.Word(&b.Info.Bytes[32], 0x0203);
    b.Info.Bytes[34] = 0x0B;
    b.Word(&b.Info.Bytes[36], 0x1A0F);
    b.Word(&b.Info.Bytes[38], 65535);
    b.Word(&b.Info.Bytes[40], 0x1207);
    std::memcpy(&b.Sensor.Bytes[18], "S-1", 3);
    b.Word(&b.Sensor.Bytes[34], 0x0324);
    b.Seconds(3725);
    b.Word(&b.Status.Bytes[8], 412);

    const DeviceTexts t = b.Texts();
    EXPECT_EQ(t.DeviceSN, "VRX310-0042");
    EXPECT_EQ(t.FirmwareVersion, "2.03");
    EXPECT_EQ(t.BuiltNummer, "0B");
    EXPECT_EQ(t.PlatinenVersion, "1A.0F");
    EXPECT_EQ(t.HardwareOption, "65535");
    EXPECT_EQ(t.ProdDate, "12/07");
    EXPECT_EQ(t.SensorSN, "S-1");
    EXPECT_EQ(t.SensorProdDate, "03/24");
    EXPECT_EQ(t.Betriebszeit, "1:2:5");
    EXPECT_EQ(t.Batteriespannung, "4.12");
}

TEST(DeviceTextsTest, ZeroBlocksGiveZeroTexts) {
    const DeviceTexts t = Blocks().Texts();
    EXPECT_EQ(t.DeviceSN, "");
    EXPECT_EQ(t.FirmwareVersion, "0.00");
    EXPECT_EQ(t.BuiltNummer, "00");
    EXPECT_EQ(t.HardwareOption, "0");
    EXPECT_EQ(t.ProdDate, "00/00");
    EXPECT_EQ(t.Betriebszeit, "0:0:0");
    EXPECT_EQ(t.Batteriespannung, "0");
}

TEST(DeviceTextsTest, OperatingTimeHoursAreNotLimited) {
    Blocks b;
    b.Seconds(4294967295u);
    EXPECT_EQ(b.Texts().Betriebszeit, "1193046:28:15");
}

TEST(DeviceTextsTest, BatteryVoltageWithoutTrailingZeros) {
    Blocks b;
    const std::pair<std::uint16_t, const char*> cases[] = {
        {412, "4.12"}, {400, "4"}, {410, "4.1"}, {405, "4.05"}, {5, "0.05"}, {65535, "655.35"}};
    for (const auto& [centivolts, text] : cases) {
        b.Word(&b.Status.Bytes[8], centivolts);
        EXPECT_EQ(b.Texts().Batteriespannung, text) << centivolts;
    }
    b.Word(&b.Status.Bytes[8], 412);
    EXPECT_EQ(b.Texts(',').Batteriespannung, "4,12");
}

TEST(DeviceTextsTest, SerialNumbersAreCutAtSixteenOrAtTheNul) {
    Blocks b;
    std::memcpy(b.Info.Bytes.data(), "ABCDEFGHIJKLMNOPQRST", 20);
    std::memset(&b.Sensor.Bytes[18], 'Z', 16); // no NUL in the field at all
    EXPECT_EQ(b.Texts().DeviceSN, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(b.Texts().SensorSN, std::string(16, 'Z'));
    b.Info.Bytes[0] = 0;
    EXPECT_EQ(b.Texts().DeviceSN, "");
}

TEST(DeviceTextFieldsTest, KeysInFileOrder) {
    const char* keys[] = {"Device SN",      "FirmwareVersion", "BuiltNummer", "PlatinenVersion",
                          "HardwareOption", "ProdDate",        "Sensor SN",   "Sensor ProdDate",
                          "Betriebszeit",   "Batteriespannung"};
    DeviceTexts texts;
    for (std::size_t i = 0; i < DeviceTextFields.size(); ++i) {
        EXPECT_STREQ(DeviceTextFields[i].Key, keys[i]);
        texts.*DeviceTextFields[i].Field = std::to_string(i);
    }
    // Each key reaches its own field.
    EXPECT_EQ(texts.DeviceSN, "0");
    EXPECT_EQ(texts.ProdDate, "5");
    EXPECT_EQ(texts.SensorSN, "6");
    EXPECT_EQ(texts.Batteriespannung, "9");
}

TEST(MeasurementReportTest, StartsEmptyWithDefaultAssignments) {
    const MeasurementReport r;
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(r.Compression[static_cast<std::size_t>(i)], -1);
        EXPECT_EQ(r.Leakage[static_cast<std::size_t>(i)], -1);
        EXPECT_EQ(r.CompressionAssignment[static_cast<std::size_t>(i)], i + 1);
        EXPECT_EQ(r.LeakageAssignment[static_cast<std::size_t>(i)], i + 1);
    }
    EXPECT_FALSE(r.ValuesRead);
    EXPECT_FALSE(r.Unsaved);
    EXPECT_EQ(r.Unit, unitBar);
    EXPECT_TRUE(r.FileName.empty());
}

TEST(MeasurementReportTest, ReadingReplacesValuesAndKeepsUserFields) {
    MeasurementReport r;
    r.CarID = "B-XY 123";
    r.Operator = "Meier";
    r.Unit = unitPsi;
    r.FileName = "/tmp/old.vrx";
    r.CompressionAssignment = {3, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 12};
    r.LeakageAssignment.fill(0);

    MeasurementBlock block;
    block.Bytes.fill(0xFF);
    block.SetCompression(0, 1285);
    block.SetLeakage(11, 0);
    r.TakeReading(block, "2026/06/12 -- 10:11:12");

    EXPECT_EQ(r.Compression[0], 1285);
    EXPECT_EQ(r.Compression[1], -1);
    EXPECT_EQ(r.Leakage[11], 0);
    EXPECT_EQ(r.CompressionAssignment[0], 1);
    EXPECT_EQ(r.CompressionAssignment[11], 12);
    EXPECT_EQ(r.LeakageAssignment[5], 6);
    EXPECT_TRUE(r.ValuesRead);
    EXPECT_TRUE(r.Unsaved);
    EXPECT_TRUE(r.FileName.empty());
    EXPECT_EQ(r.DateandTime, "2026/06/12 -- 10:11:12");
    EXPECT_EQ(r.CarID, "B-XY 123");
    EXPECT_EQ(r.Operator, "Meier");
    EXPECT_EQ(r.Unit, unitPsi);
}

} // namespace
