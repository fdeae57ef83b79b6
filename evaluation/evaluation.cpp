#include "evaluation/evaluation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Tolerance for rule values given with decimals (9.8 bar is 98 raw).
constexpr double Eps = 1e-6;
// The largest raw compression value the tester can hold, in bar.
constexpr double MaxBar = 3276.7;

bool InRange(double v, double lo, double hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}

// A rule value in AbsoluteUnit as raw 0.1 bar.
double RuleToRaw(double value, int ruleUnit) {
    return value / UnitsPerBar(ruleUnit) * 10.0;
}

struct Shown {
    int position;
    int slot;
    std::int16_t raw;
};

std::vector<Shown> ShownCylinders(const std::array<std::int16_t, 12>& values,
                                  const std::array<int, 12>& assignment) {
    std::vector<Shown> shown;
    for (int p = 0; p < 12; ++p) {
        const int k = assignment[p];
        if (k < 1 || k > 12 || values[k - 1] < 0)
            continue;
        shown.push_back({p + 1, k, values[k - 1]});
    }
    return shown;
}

void Summarise(ChartSummary& s, const std::array<CylinderResult, 12>& results) {
    double sum = 0;
    for (const CylinderResult& r : results) {
        if (FlagSeverity(r.Flag) > FlagSeverity(s.Worst))
            s.Worst = r.Flag;
        if (!r.Evaluated)
            continue;
        if (s.Count == 0 || r.Value < s.Min)
            s.Min = r.Value;
        if (s.Count == 0 || r.Value > s.Max)
            s.Max = r.Value;
        sum += r.Value;
        ++s.Count;
    }
    if (s.Count == 0)
        return;
    s.Mean = sum / s.Count;
    s.Spread = s.Max - s.Min;
}

void EvaluateCompression(const MeasurementReport& report, const RuleSet& rules, Evaluation& e) {
    const std::vector<Shown> shown =
        ShownCylinders(report.Compression, report.CompressionAssignment);
    if (report.Unit < 0 || report.Unit > 2 || shown.empty())
        return;
    const int n = static_cast<int>(shown.size());
    const bool relative = n >= 2;
    int maxRaw = 0;
    double sumRaw = 0;
    for (const Shown& c : shown) {
        maxRaw = std::max<int>(maxRaw, c.raw);
        sumRaw += c.raw;
    }
    const double meanRaw = sumRaw / n;
    const double meanUnit = meanRaw * UnitsPerBar(report.Unit) / 10.0;
    const bool absMin = rules.AbsoluteMinOn;
    const bool absSpread = rules.AbsoluteSpreadOn && relative;
    const bool relMin = !absMin && rules.RelativeMinOn && relative;
    const bool relSpread = !absSpread && rules.RelativeSpreadOn && relative;
    const bool anyRule = absMin || absSpread || relMin || relSpread;
    const double minRaw = RuleToRaw(rules.AbsoluteMin, rules.AbsoluteUnit);
    const double spreadRaw = RuleToRaw(rules.AbsoluteSpread, rules.AbsoluteUnit);

    for (const Shown& c : shown) {
        CylinderResult& r = e.Compression[c.position - 1];
        r.Evaluated = true;
        r.Value = ConvertPressure(c.raw, report.Unit);
        r.PercentOfMax = maxRaw > 0 ? c.raw * 100.0 / maxRaw : 0.0;
        r.Deviation = r.Value - meanUnit;
        r.DeviationPercent = meanRaw > 0 ? (c.raw - meanRaw) * 100.0 / meanRaw : 0.0;

        bool fault = c.raw == 0; // no compression at all is never good
        bool warning = false;
        if (absMin && c.raw < minRaw - Eps)
            fault = true;
        if (relMin && c.raw * 100.0 < rules.RelativeMinPercent * maxRaw - Eps)
            fault = true;
        if (absSpread && maxRaw - c.raw > spreadRaw + Eps)
            fault = true;
        if (relSpread && c.raw * 100.0 < (100.0 - rules.RelativeSpreadPercent) * maxRaw - Eps)
            warning = true;
        if (fault)
            r.Flag = EvalFlag::Fault;
        else if (warning)
            r.Flag = EvalFlag::Warning;
        else if (anyRule)
            r.Flag = EvalFlag::Good;
    }

    const double perRaw = UnitsPerBar(report.Unit) / 10.0;
    if (absMin)
        e.CompressionLines.push_back({minRaw * perRaw, ThresholdKind::Fault});
    else if (relMin)
        e.CompressionLines.push_back(
            {maxRaw * rules.RelativeMinPercent / 100.0 * perRaw, ThresholdKind::Fault});
    if (absSpread)
        e.CompressionLines.push_back({(maxRaw - spreadRaw) * perRaw, ThresholdKind::Fault});
    else if (relSpread)
        e.CompressionLines.push_back(
            {maxRaw * (100.0 - rules.RelativeSpreadPercent) / 100.0 * perRaw,
             ThresholdKind::Warning});

    Summarise(e.CompressionSummary, e.Compression);
    e.CompressionSummary.SpreadPercent =
        maxRaw > 0 ? e.CompressionSummary.Spread * 100.0 / e.CompressionSummary.Max : 0.0;

    if (!rules.HintsOn || !relative)
        return;
    std::vector<int> low;
    bool allBelowMin = absMin;
    for (const Shown& c : shown) {
        const EvalFlag f = e.Compression[c.position - 1].Flag;
        if (f == EvalFlag::Warning || f == EvalFlag::Fault)
            low.push_back(c.position);
        if (!(c.raw < minRaw - Eps))
            allBelowMin = false;
    }
    if (allBelowMin) {
        e.Hints.push_back({HintKind::AllLow});
        return;
    }
    bool adjacent = false;
    for (std::size_t i = 0; i + 1 < low.size(); ++i) {
        if (low[i + 1] == low[i] + 1) {
            e.Hints.push_back({HintKind::AdjacentLow, low[i], low[i + 1]});
            adjacent = true;
        }
    }
    if (!adjacent && low.size() == 1)
        e.Hints.push_back({HintKind::SingleLow, low[0]});
}

void EvaluateLeakage(const MeasurementReport& report, const RuleSet& rules, Evaluation& e) {
    const std::vector<Shown> shown = ShownCylinders(report.Leakage, report.LeakageAssignment);
    if (shown.empty())
        return;
    double sum = 0;
    for (const Shown& c : shown)
        sum += c.raw / 10.0;
    const double mean = sum / static_cast<double>(shown.size());
    for (const Shown& c : shown) {
        CylinderResult& r = e.Leakage[c.position - 1];
        r.Evaluated = true;
        r.Value = c.raw / 10.0;
        r.Deviation = r.Value - mean;
        if (c.raw == 0)
            r.Flag = EvalFlag::Check; // no leakage at all: the measurement is doubtful
        else if (!rules.LeakageOn)
            r.Flag = EvalFlag::None;
        else if (c.raw <= rules.LeakageGood * 10.0 + Eps)
            r.Flag = EvalFlag::Good;
        else if (c.raw <= rules.LeakageAcceptable * 10.0 + Eps)
            r.Flag = EvalFlag::Acceptable;
        else if (c.raw < rules.LeakageBad * 10.0 - Eps)
            r.Flag = EvalFlag::Check;
        else
            r.Flag = EvalFlag::Bad;
    }
    if (rules.LeakageOn) {
        e.LeakageLines.push_back({rules.LeakageGood, ThresholdKind::Acceptable});
        e.LeakageLines.push_back({rules.LeakageAcceptable, ThresholdKind::Check});
        e.LeakageLines.push_back({rules.LeakageBad, ThresholdKind::Bad});
    }
    Summarise(e.LeakageSummary, e.Leakage);

    if (!rules.HintsOn || !rules.LeakageOn || shown.size() < 2)
        return;
    std::vector<int> high;
    for (const Shown& c : shown) {
        const EvalFlag f = e.Leakage[c.position - 1].Flag;
        if (f == EvalFlag::Check || f == EvalFlag::Bad)
            high.push_back(c.position);
    }
    if (high.size() == shown.size()) {
        e.Hints.push_back({HintKind::AllLeaking});
        return;
    }
    bool adjacent = false;
    for (std::size_t i = 0; i + 1 < high.size(); ++i) {
        if (high[i + 1] == high[i] + 1) {
            e.Hints.push_back({HintKind::AdjacentLeaking, high[i], high[i + 1]});
            adjacent = true;
        }
    }
    if (!adjacent && high.size() == 1)
        e.Hints.push_back({HintKind::SingleLeaking, high[0]});
}

} // namespace

int FlagSeverity(EvalFlag flag) {
    switch (flag) {
    case EvalFlag::Good:
        return 1;
    case EvalFlag::Acceptable:
        return 2;
    case EvalFlag::Warning:
    case EvalFlag::Check:
        return 3;
    case EvalFlag::Fault:
    case EvalFlag::Bad:
        return 4;
    case EvalFlag::None:
        break;
    }
    return 0;
}

const char* FlagText(EvalFlag flag) {
    switch (flag) {
    case EvalFlag::Good:
        return "Indication: good";
    case EvalFlag::Acceptable:
        return "Indication: acceptable";
    case EvalFlag::Warning:
        return "Indication: warning";
    case EvalFlag::Check:
        return "Indication: check";
    case EvalFlag::Fault:
        return "Indication: fault";
    case EvalFlag::Bad:
        return "Indication: bad";
    case EvalFlag::None:
        break;
    }
    return "No verdict";
}

const char* HintText(HintKind kind) {
    switch (kind) {
    case HintKind::AdjacentLow:
        return "Cylinders %1 and %2 low side by side: a hint to the head gasket between them.";
    case HintKind::AdjacentLeaking:
        return "Cylinders %1 and %2 leak side by side: a hint to the head gasket between them.";
    case HintKind::AllLow:
        return "All cylinders low: a hint to worn piston rings or the valve timing.";
    case HintKind::AllLeaking:
        return "All cylinders leak: a hint to worn piston rings.";
    case HintKind::SingleLow:
        return "Only cylinder %1 low: often a valve.";
    case HintKind::SingleLeaking:
        return "Only cylinder %1 leaks: often a valve.";
    }
    return "";
}

double UnitsPerBar(int unit) {
    switch (unit) {
    case unitBar:
        return 1.0;
    case unitKPa:
        return 100.0;
    case unitPsi:
        return 14.505; // as ConvertPressure: 1.4505 per 0.1 bar
    default:
        return 0.0;
    }
}

RuleSet DefaultRules() {
    return RuleSet{};
}

RuleSet RelativeRules70() {
    RuleSet r;
    r.Name = "Relative 70 %";
    r.RelativeMinPercent = 70.0;
    r.RelativeSpreadPercent = 15.0;
    return r;
}

RuleSet MakerRules(int unit) {
    RuleSet r;
    r.Name = "Maker's data";
    r.AbsoluteMinOn = true;
    r.AbsoluteSpreadOn = true;
    if (unit == unitKPa) {
        r.AbsoluteUnit = unitKPa;
        r.AbsoluteMin = 1100.0;
        r.AbsoluteSpread = 100.0;
    } else if (unit == unitPsi) {
        r.AbsoluteUnit = unitPsi;
        r.AbsoluteMin = 142.0;
        r.AbsoluteSpread = 14.0;
    }
    return r;
}

RuleProblem CheckRules(const RuleSet& rules) {
    if (rules.Name.find_first_not_of(" \t") == std::string::npos)
        return RuleProblem::EmptyName;
    if (!InRange(rules.RelativeMinPercent, 1.0, 100.0))
        return RuleProblem::RelativeMinRange;
    if (!InRange(rules.RelativeSpreadPercent, 0.1, 99.0) ||
        (rules.RelativeMinOn && rules.RelativeSpreadOn &&
         100.0 - rules.RelativeSpreadPercent < rules.RelativeMinPercent))
        return RuleProblem::RelativeSpreadRange;
    if (rules.AbsoluteUnit < 0 || rules.AbsoluteUnit > 2)
        return RuleProblem::AbsoluteUnit;
    const double perBar = UnitsPerBar(rules.AbsoluteUnit);
    if (!InRange(rules.AbsoluteMin, 0.1 * perBar - Eps, MaxBar * perBar))
        return RuleProblem::AbsoluteMinRange;
    if (!InRange(rules.AbsoluteSpread, 0.1 * perBar - Eps, MaxBar * perBar) ||
        (rules.AbsoluteMinOn && rules.AbsoluteSpreadOn &&
         rules.AbsoluteSpread >= rules.AbsoluteMin))
        return RuleProblem::AbsoluteSpreadRange;
    if (!InRange(rules.LeakageGood, 0.1, 100.0) ||
        !InRange(rules.LeakageAcceptable, rules.LeakageGood, 100.0) ||
        !InRange(rules.LeakageBad, rules.LeakageAcceptable, 100.0))
        return RuleProblem::LeakageOrder;
    return RuleProblem::None;
}

const char* RuleProblemText(RuleProblem problem) {
    switch (problem) {
    case RuleProblem::EmptyName:
        return "Please give the rule set a name.";
    case RuleProblem::RelativeMinRange:
        return "The lowest cylinder's share of the highest must lie between 1 % and 100 %.";
    case RuleProblem::RelativeSpreadRange:
        return "The largest difference between cylinders must be above 0 % and leave the "
               "lowest cylinder's share reachable (difference + share at most 100 %).";
    case RuleProblem::AbsoluteUnit:
        return "Please choose the unit of the maker's data.";
    case RuleProblem::AbsoluteMinRange:
        return "The minimum compression must be at least 0.1 bar and within the tester's "
               "range.";
    case RuleProblem::AbsoluteSpreadRange:
        return "The largest difference between cylinders must be at least 0.1 bar and "
               "smaller than the minimum compression.";
    case RuleProblem::LeakageOrder:
        return "The leakage limits must rise: 0 % < good <= acceptable <= bad <= 100 %.";
    case RuleProblem::None:
        break;
    }
    return "";
}

Evaluation Evaluate(const MeasurementReport& report, const RuleSet& rules) {
    Evaluation e;
    e.RuleSetName = rules.Name;
    e.Unit = report.Unit;
    for (int p = 0; p < 12; ++p) {
        e.Compression[p].Position = e.Leakage[p].Position = p + 1;
        const int kc = report.CompressionAssignment[p];
        const int kl = report.LeakageAssignment[p];
        e.Compression[p].Slot = kc >= 1 && kc <= 12 ? kc : 0;
        e.Leakage[p].Slot = kl >= 1 && kl <= 12 ? kl : 0;
    }
    EvaluateCompression(report, rules, e);
    EvaluateLeakage(report, rules, e);
    const EvalFlag c = e.CompressionSummary.Worst;
    const EvalFlag l = e.LeakageSummary.Worst;
    e.Worst = FlagSeverity(c) >= FlagSeverity(l) && c != EvalFlag::None ? c : l;
    return e;
}

EvalFlag WorstFlag(const MeasurementReport& report, const RuleSet& rules) {
    return Evaluate(report, rules).Worst;
}
