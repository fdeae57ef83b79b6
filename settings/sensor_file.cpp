#include "settings/sensor_file.h"

#include "fileio/safe_file.h"

#include <climits>
#include <optional>
#include <utility>

const char* const kSensorVerificationKey = "Pr\xFC"
                                           "fwert";
const char* const kSensorSection = "Sensorfactor";

namespace {

// A whole decimal integer with an optional sign; "65432abc", "6.5e4", an
// empty text or a number beyond int are not integers.
std::optional<int> StrictInteger(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace

SensorFile::SensorFile(std::string content) : text_(std::move(content)) {}

bool SensorFile::Load(const std::string& path) {
    std::string content;
    if (path.empty() ||
        safefile::ReadRegularFile(path, content, MaxBytes) != safefile::ReadStatus::Ok) {
        text_ = ProfileText();
        return false;
    }
    text_ = ProfileText(std::move(content));
    return true;
}

int SensorFile::Factor(const std::string& serialCp1252) const {
    // A key can hold neither a line break nor '=', nor start or end with a
    // blank: such a serial number is in no file.
    if (!ProfileText::IsUsableName(kSensorSection, serialCp1252)) {
        return 0;
    }
    const auto value = text_.Value(kSensorSection, serialCp1252);
    return value ? StrictInteger(*value).value_or(0) : 0;
}

int SensorFile::VerificationValue() const {
    const auto value = text_.Value(kSensorSection, kSensorVerificationKey);
    return value ? StrictInteger(*value).value_or(0) : 0;
}

int ReadSensorFactor(const std::string& path, const std::string& serialCp1252) {
    SensorFile file;
    file.Load(path);
    return file.Factor(serialCp1252);
}

int ReadVerificationValue(const std::string& path) {
    SensorFile file;
    file.Load(path);
    return file.VerificationValue();
}

bool IsPossibleSensorFactor(int factor) {
    return factor > 60000 && factor < 80000;
}

int SensorVerificationValue(int factor) {
    return factor % 10 + factor / 10 % 10 + factor / 100 % 10 + factor / 1000 % 10 + factor / 10000;
}
