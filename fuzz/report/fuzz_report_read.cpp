// Arbitrary bytes as a report file: loaded as show, export and the window's
// Open File load it, then written as show (text), export --json and
// export --csv write it. The text must hold no control character but the
// line ends, the CSV must read back as 13 records of 11 fields, the JSON
// must parse.
#include "fuzz/fuzz_support.h"
#include "report/report_file.h"
#include "tools/vrx310-cli/report_output.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Records of RFC 4180 CSV with CRLF line ends: the field count of each.
std::vector<std::size_t> CsvRecords(const std::string& csv) {
    std::vector<std::size_t> records;
    std::size_t fields = 1;
    bool quoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < csv.size() && csv[i + 1] == '"') {
                    ++i;
                } else {
                    quoted = false;
                }
            }
        } else if (c == '"') {
            Check(i == 0 || csv[i - 1] == ',' || csv[i - 1] == '\n'); // quotes open a field
            quoted = true;
        } else if (c == ',') {
            ++fields;
        } else if (c == '\r') {
            Check(i + 1 < csv.size() && csv[i + 1] == '\n'); // no bare CR outside quotes
            records.push_back(fields);
            fields = 1;
            ++i;
        } else {
            Check(c != '\n');
        }
    }
    Check(!quoted);
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratchFile file("fuzz_report_", ".vrx");
    if (!file.Hold(data, size)) {
        return 0;
    }
    const std::string& path = file.Path();

    MeasurementReport report;
    if (!LoadReportFile(path, &report, nullptr)) {
        return 0;
    }
    const int unit = UnitName(report.Unit).empty() ? unitBar : report.Unit;
    for (int u : {unit, (unit + 1) % 3}) {
        const std::string text = ReportText(report, u);
        for (const unsigned char c : text) {
            Check(c >= 0x20 || c == '\n');
            Check(c != 0x7F);
        }
        for (unsigned char c1 = 0x80; c1 < 0xA0; ++c1) { // no C1 control
            Check(text.find(std::string("\xC2") + static_cast<char>(c1)) == std::string::npos);
        }
    }
    const std::string json = ReportJson(report).dump(2);
    Check(!nlohmann::json::parse(json, nullptr, false).is_discarded());

    const std::vector<std::size_t> records = CsvRecords(ReportCsv(report));
    Check(records.size() == 13);
    for (std::size_t fields : records) {
        Check(fields == 11);
    }
    return 0;
}
