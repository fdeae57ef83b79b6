// vrx310-cli export: a report file as JSON or CSV for workshop systems.
#include "tools/vrx310-cli/evaluation_output.h"
#include "tools/vrx310-cli/report_commands.h"
#include "tools/vrx310-cli/report_output.h"

#include <optional>

int RunExport(const CommandArgs& args) {
    std::string file;
    bool json = false, csv = false;
    EvaluationChoice evaluation;
    int status = exitOk;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (TakeEvaluationOption(args, i, evaluation, status)) {
            if (status != exitOk)
                return status;
        } else if (a == "--json") {
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
    std::optional<Evaluation> e;
    if (evaluation.On) {
        // An unknown unit is written as bar (as the CSV's values are).
        MeasurementReport shown = report;
        if (UnitName(shown.Unit).empty())
            shown.Unit = unitBar;
        e = Evaluate(shown, evaluation.Rules);
    }
    std::string text;
    if (json) {
        nlohmann::ordered_json out = ReportJson(report);
        if (e)
            out["evaluation"] = EvaluationJson(*e);
        text = out.dump(2) + "\n";
    } else {
        text = ReportCsv(report, e ? &*e : nullptr);
    }
    return WriteStdout(text) ? exitOk : exitFailure;
}
