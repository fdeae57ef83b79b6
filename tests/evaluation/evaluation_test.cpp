#include "evaluation/evaluation.h"

#include <gtest/gtest.h>

namespace {

// The simulated tester's six cylinders, cylinder 3 weak and leaky.
MeasurementReport SixCylinders() {
    MeasurementReport r;
    r.Compression = {1285, 1310, 852, 1274, 1322, 1296, -1, -1, -1, -1, -1, -1};
    r.Leakage = {62, 81, 348, 55, 117, 73, -1, -1, -1, -1, -1, -1};
    return r;
}

std::vector<EvalFlag> Flags(const std::array<CylinderResult, 12>& results, int n) {
    std::vector<EvalFlag> flags;
    for (int p = 0; p < n; ++p)
        flags.push_back(results[p].Flag);
    return flags;
}

using F = EvalFlag;

TEST(Evaluation, WeakCylinderIsFlaggedWithFiguresAndHint) {
    const Evaluation e = Evaluate(SixCylinders(), DefaultRules());
    EXPECT_EQ(e.RuleSetName, "Default");
    EXPECT_EQ(Flags(e.Compression, 7),
              (std::vector<F>{F::Good, F::Good, F::Fault, F::Good, F::Good, F::Good, F::None}));
    EXPECT_EQ(Flags(e.Leakage, 7),
              (std::vector<F>{F::Good, F::Good, F::Bad, F::Good, F::Acceptable, F::Good, F::None}));
    EXPECT_NEAR(e.Compression[2].PercentOfMax, 64.447, 0.001);
    EXPECT_EQ(e.CompressionSummary.Count, 6);
    EXPECT_DOUBLE_EQ(e.CompressionSummary.Min, 85.2);
    EXPECT_DOUBLE_EQ(e.CompressionSummary.Max, 132.2);
    EXPECT_NEAR(e.CompressionSummary.Mean, 122.3167, 0.0001);
    EXPECT_NEAR(e.CompressionSummary.Spread, 47.0, 1e-9);
    EXPECT_NEAR(e.CompressionSummary.SpreadPercent, 47.0 * 100 / 132.2, 1e-9); // of the highest
    EXPECT_NEAR(e.Compression[2].Deviation, 85.2 - 122.3167, 0.0001);
    EXPECT_NEAR(e.Compression[2].DeviationPercent, -30.34, 0.01);
    EXPECT_NEAR(e.Leakage[2].Deviation, 34.8 - 12.2667, 0.0001);
    ASSERT_EQ(e.Hints.size(), 2u);
    EXPECT_EQ(e.Hints[0].Kind, HintKind::SingleLow);
    EXPECT_EQ(e.Hints[0].First, 3);
    EXPECT_EQ(e.Hints[1].Kind, HintKind::SingleLeaking);
    EXPECT_EQ(e.Worst, F::Fault);
    EXPECT_EQ(WorstFlag(SixCylinders(), DefaultRules()), F::Fault);
    // Lines: 75 % and 90 % of the highest, then the leakage bands.
    ASSERT_EQ(e.CompressionLines.size(), 2u);
    EXPECT_NEAR(e.CompressionLines[0].Value, 99.15, 1e-9);
    EXPECT_NEAR(e.CompressionLines[1].Value, 118.98, 1e-9);
    ASSERT_EQ(e.LeakageLines.size(), 3u);
    EXPECT_EQ(e.LeakageLines[2].Value, 30.0);
}

TEST(Evaluation, SeventyPercentTurnsAFaultIntoAWarning) {
    MeasurementReport r = SixCylinders();
    r.Compression[2] = 950; // 71.9 % of the highest
    EXPECT_EQ(Evaluate(r, DefaultRules()).Compression[2].Flag, F::Fault);
    EXPECT_EQ(Evaluate(r, RelativeRules70()).Compression[2].Flag, F::Warning);
    // Exactly on a limit is inside it.
    r.Compression[2] = 1000;
    r.Compression = {1000, 750, 900, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Flags(Evaluate(r, DefaultRules()).Compression, 3),
              (std::vector<F>{F::Good, F::Warning, F::Good}));
    // Leakage: good and acceptable up to their limit, bad from its limit on.
    r.Leakage = {100, 200, 300, 299, -1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Flags(Evaluate(r, DefaultRules()).Leakage, 4),
              (std::vector<F>{F::Good, F::Acceptable, F::Bad, F::Check}));
}

TEST(Evaluation, FewValuesEqualValuesAndZeros) {
    MeasurementReport r;
    r.Leakage.fill(-1);
    r.Compression = {1200, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    Evaluation e = Evaluate(r, DefaultRules());
    EXPECT_TRUE(e.Compression[0].Evaluated);
    EXPECT_EQ(e.Compression[0].Flag, F::None); // one cylinder: no relative verdict
    EXPECT_TRUE(e.CompressionLines.empty());
    EXPECT_EQ(e.Worst, F::None);
    // One cylinder still meets an absolute minimum.
    EXPECT_EQ(Evaluate(r, MakerRules(unitBar)).Compression[0].Flag, F::Good);
    // One leaking cylinder keeps its band but is no "all cylinders leak".
    r.Leakage[0] = 350;
    e = Evaluate(r, DefaultRules());
    EXPECT_EQ(e.Leakage[0].Flag, F::Bad);
    EXPECT_TRUE(e.Hints.empty());
    r.Leakage[0] = -1;

    r.Compression = {1200, 1200, 1200, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    e = Evaluate(r, DefaultRules());
    EXPECT_EQ(Flags(e.Compression, 3), (std::vector<F>{F::Good, F::Good, F::Good}));
    EXPECT_EQ(e.CompressionSummary.Spread, 0.0);
    EXPECT_TRUE(e.Hints.empty());

    r.Compression = {0, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    r.Leakage = {0, 50, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    e = Evaluate(r, DefaultRules());
    EXPECT_EQ(Flags(e.Compression, 2), (std::vector<F>{F::Fault, F::Fault}));
    EXPECT_EQ(Flags(e.Leakage, 2), (std::vector<F>{F::Check, F::Good}));
    // A unit the program does not know gives no compression verdict.
    r.Compression[0] = 1200;
    r.Unit = 7;
    e = Evaluate(r, DefaultRules());
    EXPECT_FALSE(e.Compression[0].Evaluated);
    EXPECT_EQ(e.CompressionSummary.Worst, F::None);
}

TEST(Evaluation, HiddenAndReassignedSlotsFollowTheChart) {
    MeasurementReport r = SixCylinders();
    r.CompressionAssignment[2] = 0; // position 3 shows "-"
    r.LeakageAssignment[2] = 4;     // position 3 shows slot 4's leakage
    Evaluation e = Evaluate(r, DefaultRules());
    EXPECT_FALSE(e.Compression[2].Evaluated);
    EXPECT_EQ(e.Compression[2].Flag, F::None);
    EXPECT_EQ(e.CompressionSummary.Count, 5);
    EXPECT_EQ(e.CompressionSummary.Worst, F::Good);
    EXPECT_EQ(e.Leakage[2].Slot, 4);
    EXPECT_EQ(e.Leakage[2].Value, 5.5);
    EXPECT_EQ(e.LeakageSummary.Worst, F::Acceptable);

    // Slot 3 shown at position 7 as well: both positions are judged.
    r = SixCylinders();
    r.CompressionAssignment[6] = 3;
    e = Evaluate(r, DefaultRules());
    EXPECT_EQ(e.Compression[6].Flag, F::Fault);
    EXPECT_EQ(e.CompressionSummary.Count, 7);
}

TEST(Evaluation, MakerDataInAnotherUnitThanTheReport) {
    MeasurementReport r;
    r.Leakage.fill(-1);
    r.Compression = {120, 100, 115, 95, -1, -1, -1, -1, -1, -1, -1, -1}; // bar x 10
    r.Unit = unitPsi;
    RuleSet kpa = MakerRules(unitKPa); // 1100 kPa minimum, 100 kPa difference
    Evaluation e = Evaluate(r, kpa);
    // 10.0 and 9.5 bar are below 1100 kPa.
    EXPECT_EQ(Flags(e.Compression, 4), (std::vector<F>{F::Good, F::Fault, F::Good, F::Fault}));
    ASSERT_EQ(e.CompressionLines.size(), 2u);
    EXPECT_NEAR(e.CompressionLines[0].Value, 11.0 * 14.505, 1e-9); // shown in psi
    EXPECT_NEAR(e.Compression[0].Value, 174.06, 1e-9);
    EXPECT_NEAR(e.Compression[0].Deviation, (12.0 - 10.75) * 14.505, 1e-9); // psi, as shown
    // Exactly the maker's minimum (11 bar) is no fault.
    MeasurementReport onLimit = r;
    onLimit.Compression[1] = 110;
    EXPECT_EQ(Evaluate(onLimit, kpa).Compression[1].Flag, F::Good);

    kpa.AbsoluteSpreadOn = false; // the relative difference rule is back
    e = Evaluate(r, kpa);
    EXPECT_EQ(Flags(e.Compression, 4), (std::vector<F>{F::Good, F::Fault, F::Good, F::Fault}));
    kpa.AbsoluteMinOn = false;
    e = Evaluate(r, kpa);
    EXPECT_EQ(Flags(e.Compression, 4), (std::vector<F>{F::Good, F::Warning, F::Good, F::Warning}));

    // Every cylinder under the wear limit: rings or timing, not one valve.
    r.Compression = {90, 92, 91, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    e = Evaluate(r, MakerRules(unitBar));
    ASSERT_EQ(e.Hints.size(), 1u);
    EXPECT_EQ(e.Hints[0].Kind, HintKind::AllLow);
}

TEST(Evaluation, NeighboursLowPointToTheGasket) {
    MeasurementReport r;
    r.Compression = {1300, 1000, 990, 1310, -1, -1, -1, -1, -1, -1, -1, -1};
    r.Leakage = {60, 250, 320, 70, -1, -1, -1, -1, -1, -1, -1, -1};
    RuleSet rules = DefaultRules();
    Evaluation e = Evaluate(r, rules);
    ASSERT_EQ(e.Hints.size(), 2u);
    EXPECT_EQ(e.Hints[0].Kind, HintKind::AdjacentLow);
    EXPECT_EQ(e.Hints[0].First, 2);
    EXPECT_EQ(e.Hints[0].Second, 3);
    EXPECT_EQ(e.Hints[1].Kind, HintKind::AdjacentLeaking);
    rules.HintsOn = false;
    EXPECT_TRUE(Evaluate(r, rules).Hints.empty());
}

TEST(Evaluation, RuleSetsThatContradictThemselvesAreRefused) {
    EXPECT_EQ(CheckRules(DefaultRules()), RuleProblem::None);
    EXPECT_EQ(CheckRules(RelativeRules70()), RuleProblem::None);
    for (int u = 0; u < 3; ++u)
        EXPECT_EQ(CheckRules(MakerRules(u)), RuleProblem::None);
    RuleSet r = DefaultRules();
    r.Name = "  ";
    EXPECT_EQ(CheckRules(r), RuleProblem::EmptyName);
    r = DefaultRules();
    r.RelativeMinPercent = 101;
    EXPECT_EQ(CheckRules(r), RuleProblem::RelativeMinRange);
    r = DefaultRules();
    r.RelativeSpreadPercent = 30; // 70 % would be a warning below the 75 % fault
    EXPECT_EQ(CheckRules(r), RuleProblem::RelativeSpreadRange);
    r.RelativeMinOn = false;
    EXPECT_EQ(CheckRules(r), RuleProblem::None);
    r = MakerRules(unitKPa);
    r.AbsoluteSpread = 1100;
    EXPECT_EQ(CheckRules(r), RuleProblem::AbsoluteSpreadRange);
    r = MakerRules(unitKPa);
    r.AbsoluteMin = 5; // 0.05 bar: below what the tester resolves
    EXPECT_EQ(CheckRules(r), RuleProblem::AbsoluteMinRange);
    r = DefaultRules();
    r.LeakageAcceptable = 35;
    EXPECT_EQ(CheckRules(r), RuleProblem::LeakageOrder);
    r.LeakageAcceptable = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(CheckRules(r), RuleProblem::LeakageOrder);
}

} // namespace
