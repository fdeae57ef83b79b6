#include "tools/vrx310-cli/report_output.h"
#include "tools/vrx310-cli/evaluation_output.h"

#include "freebase/fb_file.h"
#include "report/report_file.h"
#include "text/cp1252.h"
#include "tools/common/tool_console.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

const char* const UnitNames[] = {"bar", "kPa", "psi"};

bool SameLetters(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        const char x = static_cast<char>(a[i] | 0x20), y = static_cast<char>(b[i] | 0x20);
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string Padded(const std::string& text, std::size_t width, bool right) {
    // Width counts characters, and the texts here are UTF-8.
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80;
    if (chars >= width)
        return text;
    const std::string fill(width - chars, ' ');
    return right ? fill + text : text + fill;
}

// The value shown at one position of the compression chart in `unit`, or
// "---" when the position shows none or its slot is empty.
std::string CompressionCell(const MeasurementReport& report, int position, int unit) {
    const int slot = ShownSlot(report.CompressionAssignment[position]);
    if (slot == 0 || report.Compression[slot - 1] < 0)
        return "---";
    return FormatGrouped(ConvertPressure(report.Compression[slot - 1], unit),
                         unit == unitKPa ? 0 : 1);
}

std::string LeakageCell(const MeasurementReport& report, int position) {
    const int slot = ShownSlot(report.LeakageAssignment[position]);
    if (slot == 0 || report.Leakage[slot - 1] < 0)
        return "---";
    return std::to_string(LeakagePercent(report.Leakage[slot - 1])) + " %";
}

std::string SlotCell(int assignment) {
    const int slot = ShownSlot(assignment);
    return slot == 0 ? "-" : std::to_string(slot);
}

// A text field: a leading '=', '+', '-', '@', tab or CR would make a
// spreadsheet take it as a formula, so an apostrophe goes first.
std::string CsvText(const std::string& utf8) {
    std::string text = utf8;
    if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos)
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Plain number with a point and the given places, for machine readers.
std::string Plain(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

} // namespace

std::optional<int> ParseUnitName(const std::string& name) {
    for (int u = 0; u < 3; ++u) {
        if (SameLetters(name, UnitNames[u]))
            return u;
    }
    return std::nullopt;
}

std::string UnitName(int unit) {
    return unit >= 0 && unit < 3 ? UnitNames[unit] : std::string();
}

std::string FormatGrouped(double value, int decimals) {
    std::string digits = Plain(std::fabs(value), decimals);
    const std::size_t point = digits.find('.');
    std::size_t end = point == std::string::npos ? digits.size() : point;
    for (std::size_t at = end; at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    // "-0.0" is no value a chart shows.
    const bool negative = value < 0 && digits.find_first_not_of("0.,") != std::string::npos;
    return negative ? "-" + digits : digits;
}

int ShownSlot(int assignment) {
    return assignment >= 1 && assignment <= 12 ? assignment : 0;
}

namespace {

void PutEscaped(std::string& out, unsigned char byte) {
    static const char* const hex = "0123456789abcdef";
    out += "\\x";
    out += hex[byte >> 4];
    out += hex[byte & 15];
}

} // namespace

std::string EscapeControls(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            PutEscaped(out, b);
        else
            out += c;
    }
    return out;
}

std::string ShownText(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        const std::string utf8 = Cp1252ToUtf8(std::string_view(&c, 1));
        // A byte that becomes a C1 control (U+0080..U+009F) is as live as ESC.
        const bool c1 = utf8.size() == 2 && static_cast<unsigned char>(utf8[0]) == 0xC2 &&
                        static_cast<unsigned char>(utf8[1]) < 0xA0;
        if (b < 0x20 || b == 0x7F || c1)
            PutEscaped(out, b);
        else
            out += utf8;
    }
    return out;
}

std::string ReportText(const MeasurementReport& report, int unit) {
    std::string out;
    auto line = [&out](const std::string& label, const std::string& value) {
        out += Padded(label, 22, false) + value + "\n";
    };
    if (!report.FileName.empty())
        line("Report file:", EscapeControls(report.FileName));
    line("Vehicle / Test piece:", ShownText(report.CarID));
    line("Operator:", ShownText(report.Operator));
    line("Date and Time:", ShownText(report.DateandTime));

    out += "\nCompression (" + UnitName(unit) + ")\n";
    out += "  Cylinder  Slot     Value\n";
    for (int p = 0; p < 12; ++p) {
        out += Padded(std::to_string(p + 1), 10, true) +
               Padded(SlotCell(report.CompressionAssignment[p]), 6, true) +
               Padded(CompressionCell(report, p, unit), 10, true) + "\n";
    }
    out += "\nLeakage (%, base reference 4 bar)\n";
    out += "  Cylinder  Slot     Value\n";
    for (int p = 0; p < 12; ++p) {
        out += Padded(std::to_string(p + 1), 10, true) +
               Padded(SlotCell(report.LeakageAssignment[p]), 6, true) +
               Padded(LeakageCell(report, p), 10, true) + "\n";
    }
    out += "\nDevice information\n";
    for (const DeviceTextField& f : DeviceTextFields)
        out += "  " + Padded(f.Key, 18, false) + ShownText(report.Texts.*f.Field) + "\n";
    return out;
}

nlohmann::ordered_json ReportJson(const MeasurementReport& report) {
    nlohmann::ordered_json out;
    out["car_id"] = Cp1252ToUtf8(report.CarID);
    out["operator"] = Cp1252ToUtf8(report.Operator);
    out["date_and_time"] = Cp1252ToUtf8(report.DateandTime);
    const std::string unit = UnitName(report.Unit);
    out["unit"] = unit.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(unit);
    nlohmann::ordered_json comp = nlohmann::ordered_json::array();
    nlohmann::ordered_json leak = nlohmann::ordered_json::array();
    for (int p = 0; p < 12; ++p) {
        comp.push_back(ShownSlot(report.CompressionAssignment[p]));
        leak.push_back(ShownSlot(report.LeakageAssignment[p]));
    }
    out["compression_assignment"] = comp;
    out["leakage_assignment"] = leak;
    out["compression"] = report.Compression;
    out["leakage"] = report.Leakage;
    out["device"] = DeviceJson(report);
    return out;
}

nlohmann::ordered_json DeviceJson(const MeasurementReport& report) {
    nlohmann::ordered_json device = nlohmann::ordered_json::object();
    for (const DeviceTextField& f : DeviceTextFields)
        device[f.Key] = Cp1252ToUtf8(report.Texts.*f.Field);
    return device;
}

std::string ReportCsv(const MeasurementReport& report, const Evaluation* evaluation) {
    const std::string unit = UnitName(report.Unit);
    const int shownUnit = unit.empty() ? unitBar : report.Unit;
    std::string out = "car_id,operator,date_and_time,position,compression_slot,compression_raw,"
                      "compression_value,compression_unit,leakage_slot,leakage_raw,"
                      "leakage_percent";
    if (evaluation)
        out += EvaluationCsvHeader();
    out += "\r\n";
    const std::string common = CsvText(Cp1252ToUtf8(report.CarID)) + "," +
                               CsvText(Cp1252ToUtf8(report.Operator)) + "," +
                               CsvText(Cp1252ToUtf8(report.DateandTime)) + ",";
    for (int p = 0; p < 12; ++p) {
        std::string row = common + std::to_string(p + 1) + ",";
        const int cs = ShownSlot(report.CompressionAssignment[p]);
        if (cs != 0 && report.Compression[cs - 1] >= 0) {
            const std::int16_t raw = report.Compression[cs - 1];
            row += std::to_string(cs) + "," + std::to_string(raw) + "," +
                   Plain(ConvertPressure(raw, shownUnit), shownUnit == unitKPa ? 0 : 1) + ",";
        } else {
            row += (cs != 0 ? std::to_string(cs) : std::string()) + ",,,";
        }
        row += UnitName(shownUnit) + ",";
        const int ls = ShownSlot(report.LeakageAssignment[p]);
        if (ls != 0 && report.Leakage[ls - 1] >= 0) {
            const std::int16_t raw = report.Leakage[ls - 1];
            row += std::to_string(ls) + "," + std::to_string(raw) + "," + Plain(raw / 10.0, 1);
        } else {
            row += (ls != 0 ? std::to_string(ls) : std::string()) + ",,";
        }
        if (evaluation)
            row += EvaluationCsvFields(*evaluation, p) + "," +
                   CsvText(Cp1252ToUtf8(evaluation->RuleSetName));
        out += row + "\r\n";
    }
    return out;
}

bool IsFileArgument(const std::string& arg) {
    return toolconsole::IsStandardStream(arg) || (!arg.empty() && arg[0] != '-');
}

namespace {

// A report piped in: read within the file bound, then every check of a file.
bool LoadReportFromStdin(MeasurementReport& report, std::string& error) {
    std::vector<std::uint8_t> image;
    if (toolconsole::ReadInput("-", image, fbfile::MaxFileBytes) != safefile::ReadStatus::Ok) {
        error = "standard input cannot be read or is too large";
        return false;
    }
    return LoadReportImage(image, &report, &error);
}

} // namespace

bool LoadReportOrSay(const std::string& file, MeasurementReport& report) {
    std::string error;
    if (toolconsole::IsStandardStream(file) ? LoadReportFromStdin(report, error)
                                            : LoadReportFile(file, &report, &error))
        return true;
    CliError("cannot open report '" + file + "': " + error + ".");
    return false;
}

int ReportUnitOrBar(const MeasurementReport& report, const char* done) {
    if (!UnitName(report.Unit).empty())
        return report.Unit;
    std::fprintf(stderr, "vrx310-cli: the report's unit %d is unknown; %s in bar.\n", report.Unit,
                 done);
    return unitBar;
}

bool WriteStdout(const std::string& text) {
    const bool ok =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (!ok)
        CliError("writing the output failed.");
    return ok;
}

void CliError(const std::string& message) {
    std::fprintf(stderr, "vrx310-cli: %s\n", message.c_str());
}
