// vrx310-cli read --out: reads the tester and saves what it read as a report
// file that the window opens. Without --out, "read" is the plain reading.
#include "report/report_file.h"
#include "text/cp1252.h"
#include "text/date_format.h"
#include "text/language_choice.h"
#include "tools/vrx310-cli/report_commands.h"
#include "tools/vrx310-cli/report_output.h"
#include "tools/vrx310-cli/tester_reading.h"

namespace {

struct ReadOutOptions {
    std::string File;
    std::string Car;      // Windows-1252
    std::string Operator; // Windows-1252
    int Unit = unitBar;
    bool Json = false;
    bool Erase = false;
};

// Texts come as UTF-8 and are stored as Windows-1252; say so when a
// character has no place there.
std::string StoredText(const std::string& utf8, const char* what) {
    std::string bytes = Utf8ToCp1252(utf8);
    if (Cp1252ToUtf8(bytes) != utf8)
        CliError(std::string("warning: the ") + what +
                 " holds characters Windows-1252 lacks; they are stored as '?'.");
    return bytes;
}

// 0 when parsed, else the exit status.
int ParseReadOut(const CommandArgs& args, ReadOutOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--json") {
            options.Json = true;
        } else if (a == "--erase") {
            options.Erase = true;
        } else if (a == "--out" && hasValue) {
            options.File = args[++i];
        } else if (a == "--car" && hasValue) {
            options.Car = StoredText(args[++i], "vehicle identification");
        } else if (a == "--operator" && hasValue) {
            options.Operator = StoredText(args[++i], "operator name");
        } else if (a == "--unit" && hasValue) {
            const auto unit = ParseUnitName(args[++i]);
            if (!unit) {
                CliError("read: unknown unit '" + args[i] + "' (bar, kPa or psi).");
                return exitUsage;
            }
            options.Unit = *unit;
        } else {
            CliError("read: unexpected argument '" + a + "'.");
            PrintUsage(false);
            return exitUsage;
        }
    }
    if (options.File.empty()) {
        CliError("read: --car, --operator and --unit need --out FILE.");
        PrintUsage(false);
        return exitUsage;
    }
    return exitOk;
}

bool NeedsReportFile(const CommandArgs& args) {
    for (const std::string& a : args) {
        if (a == "--out" || a == "--car" || a == "--operator" || a == "--unit")
            return true;
    }
    return false;
}

int ReadToFile(const ReadOutOptions& options) {
    TesterLink link("AtUsbHid", [](const std::string& message) { CliError(message); });
    MeasurementBlock block;
    if (!ReadTesterMeasures(link, block))
        return exitFailure;

    // The current folder as ".", which needs no conversion of its name.
    const DateFormats formats = ChooseLanguage(".").Formats;
    MeasurementReport report;
    report.TakeReading(block, FormatReportDateTime(LocalNow(), formats));
    report.CarID = options.Car;
    report.Operator = options.Operator;
    report.Unit = options.Unit;
    ReadTesterDetails(link, report);
    report.DeriveTexts(formats.DecimalSeparator);

    // The file comes first: the tester is erased only once its values are
    // safe on disk.
    std::string error;
    if (!SaveReportFile(options.File, report, false, report.DateandTime, &error)) {
        CliError("Error saving file! '" + options.File + "': " + error + ".");
        link.Close();
        return exitFailure;
    }
    report.FileName = options.File;
    bool eraseFailed = false;
    if (options.Erase)
        eraseFailed = !link.EraseMeasurements();
    link.Close();

    const std::string text = options.Json ? ReportJson(report).dump(2) + "\n"
                                          : ReportText(report, report.Unit) + "\nreport saved\n";
    if (!WriteStdout(text))
        return exitFailure;
    if (eraseFailed) {
        CliError("Erasing measurements failed!");
        return exitFailure;
    }
    return exitOk;
}

} // namespace

int RunReadCommand(const CommandArgs& args) {
    if (!NeedsReportFile(args))
        return RunRead(args);
    ReadOutOptions options;
    if (const int status = ParseReadOut(args, options); status != exitOk)
        return status;
    return ReadToFile(options);
}
