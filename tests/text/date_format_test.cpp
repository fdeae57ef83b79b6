#include "text/date_format.h"

#include "tests/common/env_var.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

DateFormats German() {
    DateFormats f;
    f.DateSeparator = '.';
    f.ShortDateFormat = "dd/mm/yyyy";
    f.LongTimeFormat = "hh:mm:ss";
    return f;
}

DateFormats English() {
    return DateFormats{};
}

} // namespace

TEST(DateFormat, ShortDateAndLongTimeInBothLanguages) {
    const std::tm eve = At(2026, 12, 24, 9, 5, 7);
    EXPECT_EQ(FormatShortDate(eve, German()), "24.12.2026");
    EXPECT_EQ(FormatShortDate(eve, English()), "2026-12-24");
    EXPECT_EQ(FormatLongTime(eve, German()), "09:05:07");
    EXPECT_EQ(FormatLongTime(eve, English()), "09:05:07");
    EXPECT_EQ(FormatReportDateTime(eve, German()), "24.12.2026 -- 09:05:07");
    EXPECT_EQ(FormatReportDateTime(eve, English()), "2026-12-24 -- 09:05:07");

    const std::tm early = At(2026, 1, 4, 0, 0, 0);
    EXPECT_EQ(FormatShortDate(early, German()), "04.01.2026");
    EXPECT_EQ(FormatShortDate(early, English()), "2026-01-04");
    EXPECT_EQ(FormatLongTime(early, German()), "00:00:00");
}

TEST(DateFormat, TokenWidths) {
    const std::tm t = At(2005, 3, 7, 8, 4, 9);
    const DateFormats f = German();
    EXPECT_EQ(FormatDateTimePattern("d/m/yy", t, f), "7.3.05");
    EXPECT_EQ(FormatDateTimePattern("dd/mm/yyyy", t, f), "07.03.2005");
    EXPECT_EQ(FormatDateTimePattern("h:n:s", t, f), "8:4:9");
    EXPECT_EQ(FormatDateTimePattern("hh:nn:ss", t, f), "08:04:09");
    EXPECT_EQ(FormatDateTimePattern("yyyy", At(987, 1, 1, 0, 0, 0), f), "0987");
    EXPECT_EQ(FormatDateTimePattern("DD/MM/YYYY", t, f), "07.03.2005"); // any case
}

TEST(DateFormat, MAfterAnHourMeansMinutes) {
    const std::tm t = At(2026, 12, 24, 9, 5, 7);
    const DateFormats f = German();
    EXPECT_EQ(FormatDateTimePattern("hh:mm:ss", t, f), "09:05:07");
    EXPECT_EQ(FormatDateTimePattern("h m", t, f), "9 5");
    EXPECT_EQ(FormatDateTimePattern("mm/dd hh:mm", t, f), "12.24 09:05");
    // Any other token in between ends the rule.
    EXPECT_EQ(FormatDateTimePattern("hh dd mm", t, f), "09 24 12");
}

TEST(DateFormat, SeparatorsAndLiterals) {
    const std::tm t = At(2026, 6, 12, 14, 30, 0);
    DateFormats f = German();
    f.TimeSeparator = '.';
    EXPECT_EQ(FormatDateTimePattern("hh:nn", t, f), "14.30");
    EXPECT_EQ(FormatDateTimePattern("dd'h'-\"dmy\"", t, f), "12h-dmy");
    EXPECT_EQ(FormatDateTimePattern("'open", t, f), "open");
    // The proposed report file name uses '-' whatever separator is in force.
    EXPECT_EQ(FormatShortDateWithSeparator(t, German(), '-'), "12-06-2026");
    EXPECT_EQ(FormatShortDateWithSeparator(t, English(), '_'), "2026_06_12");
}

TEST(DateFormat, LocalNowIsLocalTime) {
    // A zone far from UTC shows a local/UTC mix-up.
    std::time_t before = 0, after = 0, back = 0;
    {
        ScopedEnv zone("TZ", "XYZ-5");
        tzset();
        before = std::time(nullptr);
        std::tm now = LocalNow();
        after = std::time(nullptr);
        back = std::mktime(&now);
    }
    tzset();
    EXPECT_GE(back, before);
    EXPECT_LE(back, after);
}
