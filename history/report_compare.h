// Two tests of one engine compared position by position, in the unit shown.
#pragma once

#include "report/report_model.h"

#include <array>
#include <optional>

struct CylinderComparison {
    // Compression in the comparison's unit, leakage in whole percent, as the
    // charts show them; nothing where the position shows no value.
    std::optional<double> CompressionEarlier, CompressionLater, CompressionDifference;
    std::optional<int> LeakageEarlier, LeakageLater, LeakageDifference;
};

struct ReportComparison {
    // The earlier test is `first` unless both dates are known and `second`'s
    // is earlier; then EarlierIsSecond is set.
    bool EarlierIsSecond = false;
    int Unit = unitBar;
    std::array<CylinderComparison, 12> Positions; // position p at index p-1
    // Differences, later minus earlier.
    bool UnitsDiffer = false;
    bool TestersDiffer = false; // tester serial numbers
    bool CylinderCountsDiffer = false;
};

// Compares two reports, each through its own slot-to-cylinder assignment;
// compression values in `unit` (0 bar, 1 kPa, 2 psi).
ReportComparison CompareReports(const MeasurementReport& first, const MeasurementReport& second,
                                int unit);

// The compression value position p (0..11) shows in unit, or nothing.
std::optional<double> ShownCompression(const MeasurementReport& report, int p, int unit);
// The whole-percent leakage position p (0..11) shows, or nothing.
std::optional<int> ShownLeakage(const MeasurementReport& report, int p);
