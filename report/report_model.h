// The one current measurement report of the main window, pressure units,
// the device texts and the message-table lookup. Texts are byte strings as
// stored on disk (single-byte Windows-1252).
#pragma once

#include "device/tester_commands.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum PressureUnit { unitBar = 0, unitKPa = 1, unitPsi = 2 };

// Chart number patterns set by ConvertPressure.
inline constexpr const char* PatternOneDecimal = "#,##0.0"; // bar, psi
inline constexpr const char* PatternWhole = "#,##0";        // kPa
inline constexpr const char* PatternPercent = "##0%";       // leakage chart

// Displayed compression value for a raw value (0.1 bar) in the given unit;
// -1.0 for a negative raw value or a unit outside 0..2. When the unit is
// valid and pattern is given, *pattern becomes the chart's number pattern;
// otherwise *pattern is left unchanged.
double ConvertPressure(std::int16_t raw, int unit, std::string* pattern = nullptr);

// Whole-percent leakage shown in the chart: raw / 10, truncated toward zero.
int LeakagePercent(std::int16_t raw);

// Entry `index` of a message table, "" outside it; the first backslash-n
// pair becomes a single carriage return (13), later ones stay.
std::string MessageText(const std::vector<std::string>& table, int index);

struct DeviceTexts {
    std::string DeviceSN;
    std::string FirmwareVersion;
    std::string BuiltNummer;
    std::string PlatinenVersion;
    std::string HardwareOption;
    std::string ProdDate;
    std::string SensorSN;
    std::string SensorProdDate;
    std::string Betriebszeit;
    std::string Batteriespannung;
};

// The ten texts in file order, with their keys below "Device\" in a report file.
struct DeviceTextField {
    const char* Key;
    std::string DeviceTexts::*Field;
};
extern const std::array<DeviceTextField, 10> DeviceTextFields;

// decimalSeparator is the locale's, used for the battery voltage.
DeviceTexts DeriveDeviceTexts(const DeviceInfoBlock& info, const DeviceStatusBlock& status,
                              const SensorBlock& sensor, char decimalSeparator = '.');

struct MeasurementReport {
    std::array<std::int16_t, 12> Compression{}; // slot k at index k-1; negative = empty
    std::array<std::int16_t, 12> Leakage{};
    std::array<int, 12> CompressionAssignment{}; // position p at index p-1; 0 = none
    std::array<int, 12> LeakageAssignment{};
    DeviceInfoBlock DeviceInfo;
    DeviceStatusBlock DeviceStatus;
    SensorBlock Sensor;
    DeviceTexts Texts;
    std::string CarID;
    std::string Operator;
    std::string DateandTime;
    int Unit = unitBar;
    std::string FileName;
    bool ValuesRead = false;
    bool Unsaved = false;

    MeasurementReport() { Reset(); }
    // Start-up state: all values -1, default assignments, zero blocks, empty
    // texts (the window shows "(not available)" for an empty DateandTime),
    // unit bar, flags false.
    void Reset();
    void ResetAssignments(); // position p shows slot p
    // A successful read: values from the tester, default assignments,
    // FileName empty, ValuesRead and Unsaved true, DateandTime given.
    void TakeReading(const MeasurementBlock& block, const std::string& dateAndTime);
    void DeriveTexts(char decimalSeparator = '.');
};
