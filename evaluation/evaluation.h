// The technician's verdict: each shown cylinder judged against the others
// and against the workshop's rule set. Computed from the report's values,
// never stored in a report file. Every flag is an indication; the cause
// stays the technician's judgement.
#pragma once

#include "report/report_model.h"

#include <array>
#include <string>
#include <vector>

// Ordered by severity within each chart; None = no verdict (not shown,
// empty, or no rule could judge it).
enum class EvalFlag { None = 0, Good, Acceptable, Warning, Check, Fault, Bad };

// 0 none, 1 good, 2 acceptable, 3 warning/check, 4 fault/bad.
int FlagSeverity(EvalFlag flag);
// English display text, e.g. "Indication: fault"; the window translates it
// in the context "Evaluation".
const char* FlagText(EvalFlag flag);

struct RuleSet {
    std::string Name = "Default";
    // Lowest cylinder at least this percentage of the highest, else fault.
    bool RelativeMinOn = true;
    double RelativeMinPercent = 75.0;
    // No cylinder more than this percentage below the highest, else warning.
    bool RelativeSpreadOn = true;
    double RelativeSpreadPercent = 10.0;
    // From the engine maker's data, in AbsoluteUnit; each replaces its
    // relative counterpart when on.
    int AbsoluteUnit = unitBar;
    bool AbsoluteMinOn = false;
    double AbsoluteMin = 9.8; // wear limit: below it, fault
    bool AbsoluteSpreadOn = false;
    double AbsoluteSpread = 0.97; // largest difference to the highest: above it, fault
    // Leakage bands in percent: up to Good good, up to Acceptable
    // acceptable, below Bad check, from Bad on bad.
    bool LeakageOn = true;
    double LeakageGood = 10.0;
    double LeakageAcceptable = 20.0;
    double LeakageBad = 30.0;
    bool HintsOn = true;

    bool operator==(const RuleSet&) const = default;
};

RuleSet DefaultRules();       // "Default": 75 % and 10 %
RuleSet RelativeRules70();    // "Relative 70 %": 70 % and 15 %
RuleSet MakerRules(int unit); // "Maker's data": 9.8/0.97 bar, 1100/100 kPa, 142/14 psi

enum class RuleProblem {
    None = 0,
    EmptyName,
    RelativeMinRange,    // 1..100 %
    RelativeSpreadRange, // 0..100 %, must leave room above the minimum
    AbsoluteUnit,
    AbsoluteMinRange,    // > 0, within the tester's range
    AbsoluteSpreadRange, // > 0 and below the minimum when both on
    LeakageOrder,        // 0 < good <= acceptable <= bad <= 100
};
RuleProblem CheckRules(const RuleSet& rules);
const char* RuleProblemText(RuleProblem problem);

struct CylinderResult {
    int Position = 0;            // 1..12
    int Slot = 0;                // storage slot shown there, 0 none
    bool Evaluated = false;      // shown and holding a value
    double Value = 0;            // compression in the report's unit, leakage in %
    double PercentOfMax = 0;     // compression only
    double Deviation = 0;        // from the mean: unit, or percentage points
    double DeviationPercent = 0; // compression only: relative to the mean
    EvalFlag Flag = EvalFlag::None;
};

struct ChartSummary {
    int Count = 0; // evaluated cylinders
    double Min = 0, Max = 0, Mean = 0;
    double Spread = 0;        // max - min (unit or percentage points)
    double SpreadPercent = 0; // compression: spread of the highest
    EvalFlag Worst = EvalFlag::None;
};

enum class ThresholdKind { Warning, Fault, Acceptable, Check, Bad };
struct Threshold {
    double Value; // in the chart's scale: report unit or %
    ThresholdKind Kind;
};

enum class HintKind {
    AdjacentLow,     // compression: two neighbours low
    AdjacentLeaking, // leakage: two neighbours high
    AllLow,          // compression: every cylinder below the wear limit
    AllLeaking,      // leakage: every cylinder check or bad
    SingleLow,       // compression: one cylinder low, the rest good
    SingleLeaking,   // leakage: one cylinder high, the rest good
};
struct Hint {
    HintKind Kind;
    int First = 0; // positions, 0 when not used
    int Second = 0;
};
// English text with %1 / %2 for the positions.
const char* HintText(HintKind kind);

struct Evaluation {
    std::string RuleSetName;
    int Unit = unitBar;
    std::array<CylinderResult, 12> Compression;
    std::array<CylinderResult, 12> Leakage;
    ChartSummary CompressionSummary;
    ChartSummary LeakageSummary;
    std::vector<Threshold> CompressionLines;
    std::vector<Threshold> LeakageLines;
    std::vector<Hint> Hints;
    EvalFlag Worst = EvalFlag::None;
};

// Only positions whose assignment names a slot holding a value are judged;
// fewer than two give no relative verdict; a zero never counts as good.
// A report unit outside 0..2 gives no compression verdict.
Evaluation Evaluate(const MeasurementReport& report, const RuleSet& rules);
// The most severe flag of both charts (a compression fault before a leakage
// bad when both are equally severe).
EvalFlag WorstFlag(const MeasurementReport& report, const RuleSet& rules);

// Bar per unit 0..2 (as ConvertPressure); 0 outside.
double UnitsPerBar(int unit);
