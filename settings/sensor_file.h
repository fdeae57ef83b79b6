// Sensor files (*.sens): the calibration of a replacement sensor, supplied
// by the maker of the tester. An INI text of single bytes; only two keys
// of the section "Sensorfactor" mean anything here: the sensor's serial
// number holding the factor, and "Prüfwert" (with the byte 0xFC) holding
// the sum of the factor's five decimal digits.
#pragma once

#include "settings/profile_text.h"

#include <cstddef>
#include <string>

class SensorFile {
public:
    // Real sensor files are a few lines long; anything larger is refused.
    static constexpr std::size_t MaxBytes = 64u * 1024;

    SensorFile() = default;
    explicit SensorFile(std::string content);

    // False for a missing, unreadable or oversized file; the values then
    // all read as 0.
    bool Load(const std::string& path);

    // The factor stored under the serial number (Windows-1252 bytes, key
    // compared without regard to case); 0 when the key is missing or its
    // value is not a decimal integer.
    int Factor(const std::string& serialCp1252) const;
    // The stored verification value; 0 when missing or not an integer.
    int VerificationValue() const;

private:
    ProfileText text_;
};

// Shorthands that open the file for one value.
int ReadSensorFactor(const std::string& path, const std::string& serialCp1252);
int ReadVerificationValue(const std::string& path);

// Only factors strictly between 60000 and 80000 are possible.
bool IsPossibleSensorFactor(int factor);
// The sum of the five decimal digits of a possible factor.
int SensorVerificationValue(int factor);
// "Prüfwert" as it is written in the file.
extern const char* const kSensorVerificationKey;
extern const char* const kSensorSection;
