// Date and time formats chosen at start-up by the language switch, and a
// small formatter for their patterns.
#pragma once

#include <ctime>
#include <string>

struct DateFormats {
    char DateSeparator = '-';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy/mm/dd"; // '/' stands for DateSeparator
    std::string LongTimeFormat = "hh:mm:ss";    // ':' stands for TimeSeparator
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};

// The formats in force for the run (set once by the language choice).
DateFormats& CurrentDateFormats();

// Patterns: d, dd, m, mm, yy, yyyy, h, hh, n, nn (minutes), s, ss; "/" and
// ":" become the separators; other characters are copied.
std::string FormatDateTimePattern(const std::string& pattern, const std::tm& when,
                                  const DateFormats& formats);
std::string FormatShortDate(const std::tm& when, const DateFormats& formats);
std::string FormatLongTime(const std::tm& when, const DateFormats& formats);
// Short date with another separator, leaving formats untouched ("ABC_06-12-2026").
std::string FormatShortDateWithSeparator(const std::tm& when, const DateFormats& formats,
                                         char separator);
// "<short date> -- <long time>" of the given local time.
std::string FormatReportDateTime(const std::tm& when, const DateFormats& formats);
// Local time now.
std::tm LocalNow();
