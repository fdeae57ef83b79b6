// Two tests of one engine side by side: per cylinder both values and the
// difference in the unit shown, paired bars (the earlier test lighter) and
// warnings where the tests are not alike.
#pragma once

#include "history/report_compare.h"

#include <QDialog>

class BarChart;
class QLabel;
class QTableWidget;

class TFormCompare : public QDialog {
    Q_OBJECT
public:
    explicit TFormCompare(QWidget* parent = nullptr);

    // Shows first against second (either order; the earlier date comes
    // first) in unit; paths for the headings, as the file layer has them.
    void ShowComparison(const MeasurementReport& first, const MeasurementReport& second, int unit);

    QLabel* LabelEarlier = nullptr;
    QLabel* LabelLater = nullptr;
    QLabel* LabelWarnings = nullptr;
    QTableWidget* Table = nullptr;
    BarChart* ChartCompression = nullptr;
    BarChart* ChartLeakage = nullptr;
};
