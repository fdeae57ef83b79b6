// The two report charts as both the main window and the command line show
// them: the chart settings and the 13 points of each series.
#pragma once

#include "report/report_model.h"

#include <QChar>
#include <QString>

#include <array>

class BarChart;
class BarSeries;

// Ranges, the inverted leakage axis, bar origins and offsets, mark frame
// styles, initial number patterns and the locale's separators.
void ConfigureReportCharts(BarChart& komp, BarChart& leak, QChar decimalSep, QChar thousandSep);

// Appends the 13 compression and 13 leakage points of the report; both
// series must be empty. An assignment value k shows storage slot k; values
// outside 1..12 (no slot, no selection, a damaged file) give an empty
// position. The compression number pattern follows the unit as
// ConvertPressure sets it; an unknown unit leaves it as it was.
void FillChartSeries(const MeasurementReport& report,
                     const std::array<int, 12>& compressionAssignment,
                     const std::array<int, 12>& leakageAssignment, int unit, BarSeries& komp,
                     BarSeries& leak);

// The unit caption beside "Unit:": "bar", "kPa", "psi"; empty for any other
// index (the caption then keeps what it showed).
QString UnitCaption(int unit);
