#include "print/chart_fill.h"

#include "chart/bar_chart.h"

#include <cmath>
#include <string>

namespace {

QColor PositionColour(int p) {
    return QColor(112 + 13 * (p - 1), 37, 29);
}
// One step past position 12 taken over the whole colour value: red
// overflows into green.
const QColor PlaceholderColour(12, 38, 29);

// Storage slot shown by an assignment value, 0 for none.
int ShownSlot(int assignment) {
    return assignment >= 1 && assignment <= 12 ? assignment : 0;
}

} // namespace

void ConfigureReportCharts(BarChart& komp, BarChart& leak, QChar decimalSep, QChar thousandSep) {
    komp.SetHorizontalRange(0.45, 12.55);
    komp.SetVerticalRange(0, 0, true);
    komp.SetVerticalInverted(false);
    komp.SetSeparators(decimalSep, thousandSep);
    BarSeries& kompSeries = komp.Series();
    kompSeries.BarOrigin = 0;
    kompSeries.OffsetPercent = -5;
    kompSeries.MarkFrameStyle = Qt::DotLine;
    kompSeries.ValueFormat = QLatin1String(PatternOneDecimal);

    // Leakage bars hang down from the top edge; empty positions sit at the
    // bar origin and draw nothing.
    leak.SetHorizontalRange(0.45, 12.55);
    leak.SetVerticalRange(0, 120, false);
    leak.SetVerticalInverted(true);
    leak.SetSeparators(decimalSep, thousandSep);
    BarSeries& leakSeries = leak.Series();
    leakSeries.BarOrigin = -10;
    leakSeries.OffsetPercent = -5;
    leakSeries.MarkFrameStyle = Qt::DashDotLine;
    leakSeries.ValueFormat = QLatin1String(PatternPercent);
}

void FillChartSeries(const MeasurementReport& report,
                     const std::array<int, 12>& compressionAssignment,
                     const std::array<int, 12>& leakageAssignment, int unit, BarSeries& komp,
                     BarSeries& leak) {
    std::string pattern = komp.ValueFormat.toStdString();
    for (int p = 1; p <= 12; ++p) {
        const int k = ShownSlot(compressionAssignment[p - 1]);
        if (k == 0 || report.Compression[k - 1] < 0) {
            komp.AddXY(p, -10, QStringLiteral("---"), PositionColour(p));
        } else {
            const double y = ConvertPressure(report.Compression[k - 1], unit, &pattern);
            komp.AddXY(p, y, QString(), PositionColour(p));
        }
    }
    komp.ValueFormat = QString::fromStdString(pattern);
    // Lifts the automatic top above the tallest bar; x 0 is never seen.
    komp.AddXY(0, std::trunc(komp.MaxYValue()) + 1, QStringLiteral("DummyBar"), PlaceholderColour);

    for (int p = 1; p <= 12; ++p) {
        const int k = ShownSlot(leakageAssignment[p - 1]);
        if (k == 0 || report.Leakage[k - 1] < 0)
            leak.AddXY(p, -10, QStringLiteral("---"), PositionColour(p));
        else
            leak.AddXY(p, LeakagePercent(report.Leakage[k - 1]), QStringLiteral("%"),
                       PositionColour(p));
    }
    leak.AddXY(0, 110, QStringLiteral("DummyBar"), PlaceholderColour);
}

QString UnitCaption(int unit) {
    static const char* const names[3] = {"bar", "kPa", "psi"};
    return unit >= 0 && unit <= 2 ? QLatin1String(names[unit]) : QString();
}
