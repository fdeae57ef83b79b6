// vrx310-cli history and compare: one vehicle's tests over time.
#include "evaluation/rule_storage.h"
#include "history/report_compare.h"
#include "history/report_history.h"
#include "settings/settings_file.h"
#include "text/cp1252.h"
#include "tools/vrx310-cli/report_commands.h"
#include "tools/vrx310-cli/report_output.h"

#include <algorithm>
#include <cstdio>

namespace {

// A path or text that may be no valid UTF-8 (a file name) must not stop the
// JSON output: such bytes become U+FFFD there.
std::string Dump(const nlohmann::ordered_json& j) {
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string Optional(const std::optional<double>& v, int decimals) {
    return v ? FormatGrouped(*v, decimals) : std::string("-");
}

std::string Signed(double v, int decimals) {
    return (v > 0 ? "+" : "") + FormatGrouped(v, decimals);
}

int UnitDecimals(int unit) {
    return unit == unitKPa ? 0 : 1;
}

} // namespace

int RunHistory(const CommandArgs& args) {
    std::string folder, vehicle, settingsFile;
    bool json = false, subfolders = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--subfolders") {
            subfolders = true;
        } else if (args[i] == "--settings" && i + 1 < args.size()) {
            settingsFile = args[++i];
        } else if (args[i] == "--vehicle" && i + 1 < args.size()) {
            vehicle = args[++i];
        } else if (folder.empty() && !args[i].empty() && args[i][0] != '-') {
            folder = args[i];
        } else {
            CliError("history: unexpected argument '" + args[i] + "'.");
            PrintUsage(false);
            return exitUsage;
        }
    }
    if (folder.empty()) {
        PrintUsage(false);
        return exitUsage;
    }
    // The worst flag by the workshop's rule set when a settings file is
    // named, else by the defaults; the tool never creates a settings file.
    const RuleSet rules =
        settingsFile.empty() ? DefaultRules() : ReadRules(SettingsFile(settingsFile));
    std::vector<HistoryEntry> entries = ListReportHistory(folder, subfolders, &rules);
    if (entries.size() == 1 && entries[0].Problem == HistoryProblem::FolderUnreadable &&
        entries[0].Path == folder) {
        CliError("history: cannot read the folder '" + EscapeControls(folder) + "'.");
        return exitFailure;
    }
    std::erase_if(entries, [&](const HistoryEntry& e) {
        return !vehicle.empty() && !HistoryVehicleMatches(e, vehicle);
    });
    std::stable_sort(entries.begin(), entries.end(), HistoryDateLess);

    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const HistoryEntry& e : entries) {
            nlohmann::ordered_json row;
            row["path"] = e.Path;
            if (e.Problem != HistoryProblem::None) {
                row["problem"] = HistoryProblemText(e.Problem);
            } else {
                row["date_and_time"] = Cp1252ToUtf8(e.Report.DateandTime);
                row["date_known"] = e.When.has_value();
                row["car_id"] = Cp1252ToUtf8(e.Report.CarID);
                row["operator"] = Cp1252ToUtf8(e.Report.Operator);
                row["device_sn"] = Cp1252ToUtf8(e.Report.Texts.DeviceSN);
                row["cylinders"] = e.Cylinders;
                row["unit"] = UnitName(e.Report.Unit);
                row["worst_flag"] = FlagText(e.Worst);
            }
            list.push_back(row);
        }
        return WriteStdout(Dump(list)) ? exitOk : exitFailure;
    }
    std::string text;
    for (const HistoryEntry& e : entries) {
        if (e.Problem != HistoryProblem::None) {
            text += EscapeControls(e.Path) + ": " + HistoryProblemText(e.Problem) + "\n";
            continue;
        }
        const MeasurementReport& r = e.Report;
        text += ShownText(r.DateandTime) + (e.When ? "" : " (date not understood)") + " | " +
                ShownText(r.CarID) + " | " + ShownText(r.Operator) + " | " +
                ShownText(r.Texts.DeviceSN) + " | " + std::to_string(e.Cylinders) + " | " +
                UnitName(r.Unit) + " | " + FlagText(e.Worst) + " | " + EscapeControls(e.Path) +
                "\n";
    }
    return WriteStdout(text) ? exitOk : exitFailure;
}

int RunCompare(const CommandArgs& args) {
    std::vector<std::string> files;
    bool json = false;
    std::optional<int> unit;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--unit" && i + 1 < args.size()) {
            unit = ParseUnitName(args[++i]);
            if (!unit) {
                CliError("compare: unknown unit '" + args[i] + "' (bar, kPa or psi).");
                return exitUsage;
            }
        } else if (files.size() < 2 && !args[i].empty() && args[i][0] != '-') {
            files.push_back(args[i]);
        } else {
            CliError("compare: unexpected argument '" + args[i] + "'.");
            PrintUsage(false);
            return exitUsage;
        }
    }
    if (files.size() != 2) {
        PrintUsage(false);
        return exitUsage;
    }
    MeasurementReport a, b;
    if (!LoadReportOrSay(files[0], a) || !LoadReportOrSay(files[1], b))
        return exitFailure;
    const ReportComparison c = CompareReports(a, b, 0);
    const MeasurementReport& earlier = c.EarlierIsSecond ? b : a;
    const MeasurementReport& later = c.EarlierIsSecond ? a : b;
    if (!unit)
        unit = ReportUnitOrBar(later, "compared");
    const ReportComparison shown = CompareReports(a, b, *unit);
    const std::string& earlierFile = c.EarlierIsSecond ? files[1] : files[0];
    const std::string& laterFile = c.EarlierIsSecond ? files[0] : files[1];
    std::vector<std::string> warnings;
    if (shown.UnitsDiffer)
        warnings.push_back("the two tests were saved in different units; both are shown in " +
                           UnitName(*unit));
    if (shown.TestersDiffer)
        warnings.push_back("the two tests were made with different testers (" +
                           ShownText(earlier.Texts.DeviceSN) + ", " +
                           ShownText(later.Texts.DeviceSN) + ")");
    if (shown.CylinderCountsDiffer)
        warnings.push_back("the two tests show a different number of cylinders (" +
                           std::to_string(CylindersShown(earlier)) + ", " +
                           std::to_string(CylindersShown(later)) + ")");

    if (json) {
        nlohmann::ordered_json j;
        j["earlier"] = {{"path", earlierFile},
                        {"date_and_time", Cp1252ToUtf8(earlier.DateandTime)}};
        j["later"] = {{"path", laterFile}, {"date_and_time", Cp1252ToUtf8(later.DateandTime)}};
        j["unit"] = UnitName(*unit);
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        const auto value = [](const auto& v) { return v ? nlohmann::ordered_json(*v) : nullptr; };
        for (int p = 0; p < 12; ++p) {
            const CylinderComparison& x = shown.Positions[p];
            rows.push_back({{"position", p + 1},
                            {"compression_earlier", value(x.CompressionEarlier)},
                            {"compression_later", value(x.CompressionLater)},
                            {"compression_difference", value(x.CompressionDifference)},
                            {"leakage_earlier", value(x.LeakageEarlier)},
                            {"leakage_later", value(x.LeakageLater)},
                            {"leakage_difference", value(x.LeakageDifference)}});
        }
        j["positions"] = rows;
        j["warnings"] = warnings;
        return WriteStdout(Dump(j)) ? exitOk : exitFailure;
    }
    const int d = UnitDecimals(*unit);
    std::string text = "earlier: " + ShownText(earlier.DateandTime) + "  " +
                       EscapeControls(earlierFile) + "\nlater:   " + ShownText(later.DateandTime) +
                       "  " + EscapeControls(laterFile) + "\n";
    text += "position | compression (" + UnitName(*unit) +
            ") earlier, later, difference | leakage (%) earlier, later, difference\n";
    for (int p = 0; p < 12; ++p) {
        const CylinderComparison& x = shown.Positions[p];
        const auto leak = [](const std::optional<int>& v) {
            return v ? std::to_string(*v) : std::string("-");
        };
        text += std::to_string(p + 1) + " | " + Optional(x.CompressionEarlier, d) + ", " +
                Optional(x.CompressionLater, d) + ", " +
                (x.CompressionDifference ? Signed(*x.CompressionDifference, d) : "-") + " | " +
                leak(x.LeakageEarlier) + ", " + leak(x.LeakageLater) + ", " +
                (x.LeakageDifference
                     ? (*x.LeakageDifference > 0 ? "+" : "") + std::to_string(*x.LeakageDifference)
                     : std::string("-")) +
                "\n";
    }
    for (const std::string& w : warnings)
        text += "warning: " + w + "\n";
    return WriteStdout(text) ? exitOk : exitFailure;
}
