#include "history/report_compare.h"

#include "history/report_history.h"

std::optional<double> ShownCompression(const MeasurementReport& report, int p, int unit) {
    const int slot = report.CompressionAssignment[p];
    if (slot < 1 || slot > 12 || report.Compression[slot - 1] < 0 || unit < 0 || unit > 2)
        return std::nullopt;
    return ConvertPressure(report.Compression[slot - 1], unit);
}

std::optional<int> ShownLeakage(const MeasurementReport& report, int p) {
    const int slot = report.LeakageAssignment[p];
    if (slot < 1 || slot > 12 || report.Leakage[slot - 1] < 0)
        return std::nullopt;
    return LeakagePercent(report.Leakage[slot - 1]);
}

ReportComparison CompareReports(const MeasurementReport& first, const MeasurementReport& second,
                                int unit) {
    ReportComparison c;
    const auto a = ParseReportDate(first.DateandTime);
    const auto b = ParseReportDate(second.DateandTime);
    c.EarlierIsSecond = a && b && *b < *a;
    const MeasurementReport& earlier = c.EarlierIsSecond ? second : first;
    const MeasurementReport& later = c.EarlierIsSecond ? first : second;
    c.Unit = unit;
    for (int p = 0; p < 12; ++p) {
        CylinderComparison& pos = c.Positions[p];
        pos.CompressionEarlier = ShownCompression(earlier, p, unit);
        pos.CompressionLater = ShownCompression(later, p, unit);
        if (pos.CompressionEarlier && pos.CompressionLater)
            pos.CompressionDifference = *pos.CompressionLater - *pos.CompressionEarlier;
        pos.LeakageEarlier = ShownLeakage(earlier, p);
        pos.LeakageLater = ShownLeakage(later, p);
        if (pos.LeakageEarlier && pos.LeakageLater)
            pos.LeakageDifference = *pos.LeakageLater - *pos.LeakageEarlier;
    }
    c.UnitsDiffer = first.Unit != second.Unit;
    c.TestersDiffer = first.Texts.DeviceSN != second.Texts.DeviceSN;
    c.CylinderCountsDiffer = CylindersShown(first) != CylindersShown(second);
    return c;
}
