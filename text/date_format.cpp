#include "text/date_format.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {

std::string Padded(long value, int width) {
    std::string digits = std::to_string(std::labs(value));
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

// Longest run of the same letter (any case) starting at i, at most max.
size_t RunLength(const std::string& s, size_t i, size_t max) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    size_t n = 1;
    while (i + n < s.size() && n < max && std::tolower(static_cast<unsigned char>(s[i + n])) == c) {
        ++n;
    }
    return n;
}

} // namespace

DateFormats& CurrentDateFormats() {
    static DateFormats formats;
    return formats;
}

std::string FormatDateTimePattern(const std::string& pattern, const std::tm& when,
                                  const DateFormats& formats) {
    std::string out;
    // "m" right after an hour token (separators between do not count)
    // means minutes, so "hh:mm:ss" reads as a time.
    bool afterHour = false;
    size_t i = 0;
    while (i < pattern.size()) {
        const char raw = pattern[i];
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(raw)));
        if (raw == '\'' || raw == '"') {
            // Quoted text is copied as it is, without the quotes.
            const size_t end = pattern.find(raw, i + 1);
            const size_t stop = end == std::string::npos ? pattern.size() : end;
            out.append(pattern, i + 1, stop - i - 1);
            i = stop == pattern.size() ? stop : stop + 1;
            continue;
        }
        size_t n = 1;
        switch (c) {
        case 'd':
            n = RunLength(pattern, i, 2);
            out += Padded(when.tm_mday, static_cast<int>(n));
            afterHour = false;
            break;
        case 'm':
            n = RunLength(pattern, i, 2);
            out += afterHour ? Padded(when.tm_min, static_cast<int>(n))
                             : Padded(when.tm_mon + 1L, static_cast<int>(n));
            afterHour = false;
            break;
        case 'y': {
            n = RunLength(pattern, i, 4);
            const long year = when.tm_year + 1900L;
            out += n <= 2 ? Padded(((year % 100) + 100) % 100, 2) : Padded(year, 4);
            afterHour = false;
            break;
        }
        case 'h':
            n = RunLength(pattern, i, 2);
            out += Padded(when.tm_hour, static_cast<int>(n));
            afterHour = true;
            break;
        case 'n':
            n = RunLength(pattern, i, 2);
            out += Padded(when.tm_min, static_cast<int>(n));
            afterHour = false;
            break;
        case 's':
            n = RunLength(pattern, i, 2);
            out += Padded(when.tm_sec, static_cast<int>(n));
            afterHour = false;
            break;
        case '/':
            if (formats.DateSeparator != '\0') {
                out += formats.DateSeparator;
            }
            break;
        case ':':
            if (formats.TimeSeparator != '\0') {
                out += formats.TimeSeparator;
            }
            break;
        default:
            out += raw;
            break;
        }
        i += n;
    }
    return out;
}

std::string FormatShortDate(const std::tm& when, const DateFormats& formats) {
    return FormatDateTimePattern(formats.ShortDateFormat, when, formats);
}

std::string FormatLongTime(const std::tm& when, const DateFormats& formats) {
    return FormatDateTimePattern(formats.LongTimeFormat, when, formats);
}

std::string FormatShortDateWithSeparator(const std::tm& when, const DateFormats& formats,
                                         char separator) {
    DateFormats local = formats;
    local.DateSeparator = separator;
    return FormatDateTimePattern(local.ShortDateFormat, when, local);
}

std::string FormatReportDateTime(const std::tm& when, const DateFormats& formats) {
    return FormatShortDate(when, formats) + " -- " + FormatLongTime(when, formats);
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm result{};
#ifdef _WIN32
    localtime_s(&result, &now);
#else
    localtime_r(&now, &result);
#endif
    return result;
}
