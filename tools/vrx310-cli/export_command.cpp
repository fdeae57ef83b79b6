// vrx310-cli export: a report file as JSON or CSV for workshop systems.
#include "tools/vrx310-cli/report_commands.h"
#include "tools/vrx310-cli/report_output.h"

int RunExport(const CommandArgs& args) {
    std::string file;
    bool json = false, csv = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--csv") {
            csv = true;
        } else if (file.empty() && IsFileArgument(a)) {
            file = a;
        } else {
            CliError("export: unexpected argument '" + a + "'.");
            PrintUsage(false);
            return exitUsage;
        }
    }
    if (file.empty() || json == csv) {
        CliError("export: give a report file and exactly one of --json and --csv.");
        PrintUsage(false);
        return exitUsage;
    }

    MeasurementReport report;
    if (!LoadReportOrSay(file, report))
        return exitFailure;
    const std::string text = json ? ReportJson(report).dump(2) + "\n" : ReportCsv(report);
    return WriteStdout(text) ? exitOk : exitFailure;
}
