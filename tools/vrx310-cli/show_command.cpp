// vrx310-cli show: a report file as a technician reads it.
#include "tools/vrx310-cli/evaluation_output.h"
#include "tools/vrx310-cli/report_commands.h"
#include "tools/vrx310-cli/report_output.h"

int RunShow(const CommandArgs& args) {
    std::string file;
    std::optional<int> unit;
    EvaluationChoice evaluation;
    int status = exitOk;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeEvaluationOption(args, i, evaluation, status)) {
            if (status != exitOk)
                return status;
        } else if (args[i] == "--unit" && i + 1 < args.size()) {
            unit = ParseUnitName(args[++i]);
            if (!unit) {
                CliError("show: unknown unit '" + args[i] + "' (bar, kPa or psi).");
                return exitUsage;
            }
        } else if (file.empty() && IsFileArgument(args[i])) {
            file = args[i];
        } else {
            CliError("show: unexpected argument '" + args[i] + "'.");
            PrintUsage(false);
            return exitUsage;
        }
    }
    if (file.empty()) {
        PrintUsage(false);
        return exitUsage;
    }

    MeasurementReport report;
    if (!LoadReportOrSay(file, report))
        return exitFailure;
    if (!unit)
        unit = ReportUnitOrBar(report, "shown");
    std::string text = ReportText(report, *unit);
    if (evaluation.On) {
        // Judged in the unit shown, as the window judges what it shows.
        MeasurementReport shown = report;
        shown.Unit = *unit;
        text += EvaluationText(Evaluate(shown, evaluation.Rules));
    }
    return WriteStdout(text) ? exitOk : exitFailure;
}
