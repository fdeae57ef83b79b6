// Report files on the command line: the text a technician reads, the JSON
// and CSV forms for workshop systems, and the options they share.
#pragma once

#include "report/report_model.h"

struct Evaluation;

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

// "bar", "kPa", "psi" -> 0, 1, 2 (letter case ignored); nothing otherwise.
std::optional<int> ParseUnitName(const std::string& name);
// The unit's name, or "" outside 0..2.
std::string UnitName(int unit);

// A value with a "#,##0.0" / "#,##0" pattern: `decimals` places, thousands
// grouped with ','.
std::string FormatGrouped(double value, int decimals);

// Position p (0..11) with assignment a: the slot number 1..12, or 0 when the
// position shows none (also for values outside 0..12 from a damaged file).
int ShownSlot(int assignment);

// A Windows-1252 text in UTF-8 for a terminal: every control character
// (bytes below 0x20, 0x7F, and bytes that become C1 controls) is written as
// \xHH with the byte on disk in lower-case hex, so no text can move the
// cursor or change the terminal; everything else is converted unchanged.
std::string ShownText(std::string_view cp1252);
// The same for a text that is not Windows-1252 (a file name): bytes below
// 0x20 and 0x7F as \xHH, all others unchanged.
std::string EscapeControls(std::string_view bytes);

// The report as text: vehicle, operator, date, both charts position by
// position in `unit`, the device texts. Texts are converted to UTF-8 and
// shown through ShownText.
std::string ReportText(const MeasurementReport& report, int unit);

// The report as JSON (UTF-8): the keys of "read --json" ("compression",
// "leakage", "device") and "car_id", "operator", "date_and_time", "unit",
// "compression_assignment", "leakage_assignment".
nlohmann::ordered_json ReportJson(const MeasurementReport& report);
// The ten device texts under their keys, as "device" of both JSON forms.
nlohmann::ordered_json DeviceJson(const MeasurementReport& report);

// The report as CSV (RFC 4180, CRLF line ends): a header line, then one line
// per position 1..12. A text starting with '=', '+', '-', '@', tab or CR gets
// a leading apostrophe, so a spreadsheet never runs it as a formula.
// With an evaluation, its columns follow the report's own.
std::string ReportCsv(const MeasurementReport& report, const Evaluation* evaluation = nullptr);

// Opens a report file for show, export and print; false after the message.
// A report file name, or "-" for a report piped in on standard input.
bool IsFileArgument(const std::string& arg);
// Loads a report file, or for "-" standard input; says why on failure.
bool LoadReportOrSay(const std::string& file, MeasurementReport& report);

// The report's own unit, or bar when the file holds an unknown one; `done`
// ("shown", "printed") completes the warning about that.
int ReportUnitOrBar(const MeasurementReport& report, const char* done);

// Writes text to stdout; false (with a message) when that fails.
bool WriteStdout(const std::string& text);
void CliError(const std::string& message);
