#include "tools/vrx310-cli/evaluation_output.h"

#include "evaluation/rule_storage.h"
#include "fileio/safe_file.h"
#include "settings/settings_file.h"
#include "text/cp1252.h"
#include "tools/vrx310-cli/commands.h"
#include "tools/vrx310-cli/report_output.h"

#include <cstdio>

namespace {

std::string Plain(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Signed(double value, int decimals) {
    const std::string text = Plain(value, decimals);
    return value > 0 && text.find_first_not_of("0.") != std::string::npos ? "+" + text : text;
}

std::string Right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string HintLine(const Hint& h) {
    std::string text = HintText(h.Kind);
    for (const auto& [mark, value] : {std::pair{"%1", h.First}, std::pair{"%2", h.Second}}) {
        const auto at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, 2, std::to_string(value));
    }
    return text;
}

const char* HintKey(HintKind kind) {
    switch (kind) {
    case HintKind::AdjacentLow:
        return "adjacent_low";
    case HintKind::AdjacentLeaking:
        return "adjacent_leaking";
    case HintKind::AllLow:
        return "all_low";
    case HintKind::AllLeaking:
        return "all_leaking";
    case HintKind::SingleLow:
        return "single_low";
    case HintKind::SingleLeaking:
        return "single_leaking";
    }
    return "";
}

int Decimals(int unit) {
    return unit == unitKPa ? 0 : 1;
}

nlohmann::ordered_json SummaryJson(const ChartSummary& s, int decimals) {
    nlohmann::ordered_json out;
    out["count"] = s.Count;
    if (s.Count > 0) {
        out["min"] = std::stod(Plain(s.Min, decimals));
        out["max"] = std::stod(Plain(s.Max, decimals));
        out["mean"] = std::stod(Plain(s.Mean, 2));
        out["spread"] = std::stod(Plain(s.Spread, decimals));
    }
    out["worst"] = FlagKey(s.Worst);
    return out;
}

} // namespace

bool TakeEvaluationOption(const std::vector<std::string>& args, std::size_t& i,
                          EvaluationChoice& choice, int& status) {
    if (args[i] == "--no-evaluation") {
        choice.On = false;
        return true;
    }
    if (args[i] != "--rules" || i + 1 >= args.size())
        return false;
    const std::string& file = args[++i];
    // Read as the window reads its settings: the same fallbacks rule by rule.
    const SettingsFile settings(file);
    if (safefile::CheckRegularFile(file, SettingsFile::MaxBytes) != safefile::ReadStatus::Ok ||
        !settings.Inspect([](const ProfileText&) {})) {
        CliError("cannot read rules '" + EscapeControls(file) + "'.");
        status = exitFailure;
        return true;
    }
    choice.Rules = ReadRules(settings);
    return true;
}

std::string FlagKey(EvalFlag flag) {
    switch (flag) {
    case EvalFlag::Good:
        return "good";
    case EvalFlag::Acceptable:
        return "acceptable";
    case EvalFlag::Warning:
        return "warning";
    case EvalFlag::Check:
        return "check";
    case EvalFlag::Fault:
        return "fault";
    case EvalFlag::Bad:
        return "bad";
    case EvalFlag::None:
        break;
    }
    return "";
}

std::string EvaluationText(const Evaluation& e) {
    const int d = Decimals(e.Unit);
    std::string out =
        "\nEvaluation, rule set: " + ShownText(e.RuleSetName) + " (every flag is an indication)\n";
    out += "Compression (" + UnitName(e.Unit) + ")\n";
    out += "  Cylinder  of highest   Deviation  Flag\n";
    for (const CylinderResult& c : e.Compression) {
        if (!c.Evaluated)
            continue;
        out += Right(std::to_string(c.Position), 10) + Right(Plain(c.PercentOfMax, 1) + " %", 12) +
               Right(Signed(c.Deviation, d), 12) + "  " + FlagText(c.Flag) + "\n";
    }
    const ChartSummary& cs = e.CompressionSummary;
    if (cs.Count > 0)
        out += "  min " + Plain(cs.Min, d) + ", max " + Plain(cs.Max, d) + ", mean " +
               Plain(cs.Mean, d) + ", spread " + Plain(cs.Spread, d) + " (" +
               Plain(cs.SpreadPercent, 1) + " %)\n";
    out += "Leakage (%)\n";
    out += "  Cylinder       Value   Deviation  Flag\n";
    for (const CylinderResult& l : e.Leakage) {
        if (!l.Evaluated)
            continue;
        out += Right(std::to_string(l.Position), 10) + Right(Plain(l.Value, 1) + " %", 12) +
               Right(Signed(l.Deviation, 1), 12) + "  " + FlagText(l.Flag) + "\n";
    }
    const ChartSummary& ls = e.LeakageSummary;
    if (ls.Count > 0)
        out += "  min " + Plain(ls.Min, 1) + ", max " + Plain(ls.Max, 1) + ", mean " +
               Plain(ls.Mean, 1) + ", spread " + Plain(ls.Spread, 1) + " points\n";
    for (const Hint& h : e.Hints)
        out += "Hint: " + HintLine(h) + "\n";
    return out;
}

nlohmann::ordered_json EvaluationJson(const Evaluation& e) {
    const int d = Decimals(e.Unit);
    nlohmann::ordered_json out;
    out["rule_set"] = Cp1252ToUtf8(e.RuleSetName);
    out["unit"] = UnitName(e.Unit);
    out["worst"] = FlagKey(e.Worst);
    nlohmann::ordered_json comp = nlohmann::ordered_json::array();
    for (const CylinderResult& c : e.Compression) {
        if (!c.Evaluated)
            continue;
        comp.push_back({{"position", c.Position},
                        {"slot", c.Slot},
                        {"percent_of_highest", std::stod(Plain(c.PercentOfMax, 1))},
                        {"deviation", std::stod(Plain(c.Deviation, d))},
                        {"deviation_percent", std::stod(Plain(c.DeviationPercent, 1))},
                        {"flag", FlagKey(c.Flag)}});
    }
    nlohmann::ordered_json leak = nlohmann::ordered_json::array();
    for (const CylinderResult& l : e.Leakage) {
        if (!l.Evaluated)
            continue;
        leak.push_back({{"position", l.Position},
                        {"slot", l.Slot},
                        {"deviation_points", std::stod(Plain(l.Deviation, 1))},
                        {"flag", FlagKey(l.Flag)}});
    }
    out["compression"] = comp;
    out["compression_summary"] = SummaryJson(e.CompressionSummary, d);
    out["leakage"] = leak;
    out["leakage_summary"] = SummaryJson(e.LeakageSummary, 1);
    nlohmann::ordered_json hints = nlohmann::ordered_json::array();
    for (const Hint& h : e.Hints)
        hints.push_back({{"kind", HintKey(h.Kind)}, {"text", HintLine(h)}});
    out["hints"] = hints;
    return out;
}

std::string EvaluationCsvHeader() {
    return ",compression_percent_of_highest,compression_deviation,compression_flag,"
           "leakage_deviation_points,leakage_flag,rule_set";
}

std::string EvaluationCsvFields(const Evaluation& e, int p) {
    const CylinderResult& c = e.Compression[p];
    const CylinderResult& l = e.Leakage[p];
    std::string out;
    out += "," + (c.Evaluated ? Plain(c.PercentOfMax, 1) : std::string());
    out += "," + (c.Evaluated ? Plain(c.Deviation, Decimals(e.Unit)) : std::string());
    out += "," + FlagKey(c.Flag);
    out += "," + (l.Evaluated ? Plain(l.Deviation, 1) : std::string());
    out += "," + FlagKey(l.Flag);
    return out; // the rule set's name follows, quoted as the report's texts
}
