#include "dialogs/form_compare.h"

#include "chart/bar_chart.h"
#include "history/report_history.h"
#include "platform/window_text.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The main window's colour of position p (1..12).
QColor PositionColour(int p) {
    return QColor(112 + 13 * (p - 1), 37, 29);
}

QString Heading(const MeasurementReport& r) {
    return DiskToQ(r.DateandTime) + QStringLiteral("   ") + DiskToQ(r.CarID) +
           QStringLiteral("   ") + QFileInfo(PathFromCore(r.FileName)).fileName();
}

QString Number(const std::optional<double>& v, int decimals, bool sign = false) {
    if (!v)
        return QStringLiteral("-");
    const QString text = QLocale().toString(*v, 'f', decimals);
    return sign && *v > 0 ? QStringLiteral("+") + text : text;
}

} // namespace

TFormCompare::TFormCompare(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormCompare"));
    setWindowTitle(tr("Two tests compared"));
    resize(1000, 780);
    auto* layout = new QVBoxLayout(this);
    LabelEarlier = new QLabel(this);
    LabelLater = new QLabel(this);
    LabelWarnings = new QLabel(this);
    LabelWarnings->setObjectName(QStringLiteral("LabelWarnings"));
    for (QLabel* l : {LabelEarlier, LabelLater, LabelWarnings})
        l->setTextFormat(Qt::PlainText);
    LabelWarnings->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    LabelWarnings->setWordWrap(true);
    layout->addWidget(LabelEarlier);
    layout->addWidget(LabelLater);
    layout->addWidget(LabelWarnings);
    auto* legend =
        new QLabel(tr("In the charts the earlier test is the lighter bar on the left."), this);
    legend->setTextFormat(Qt::PlainText);
    layout->addWidget(legend);

    Table = new QTableWidget(12, 7, this);
    Table->setObjectName(QStringLiteral("TableCompare"));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    layout->addWidget(Table, 2);

    ChartCompression = new BarChart(this);
    ChartCompression->setObjectName(QStringLiteral("DiagKompCompare"));
    ChartCompression->setMinimumHeight(130);
    ChartLeakage = new BarChart(this);
    ChartLeakage->setObjectName(QStringLiteral("DiagLeakCompare"));
    ChartLeakage->setMinimumHeight(100);
    // As the main window's leakage chart: bars hang from the top.
    ChartLeakage->SetVerticalRange(0, 120, false);
    ChartLeakage->SetVerticalInverted(true);
    ChartLeakage->Series().BarOrigin = -10;
    ChartLeakage->Series().ValueFormat = QStringLiteral("##0%");
    ChartLeakage->Series().MarkFrameStyle = Qt::DashDotLine;
    layout->addWidget(ChartCompression, 1);
    layout->addWidget(ChartLeakage, 1);
    const QLocale locale;
    for (BarChart* c : {ChartCompression, ChartLeakage})
        c->SetSeparators(locale.decimalPoint().at(0), locale.groupSeparator().at(0));
}

void TFormCompare::ShowComparison(const MeasurementReport& first, const MeasurementReport& second,
                                  int unit) {
    const ReportComparison c = CompareReports(first, second, unit);
    const MeasurementReport& earlier = c.EarlierIsSecond ? second : first;
    const MeasurementReport& later = c.EarlierIsSecond ? first : second;
    LabelEarlier->setText(tr("Earlier test: ") + Heading(earlier));
    LabelLater->setText(tr("Later test: ") + Heading(later));
    const QString unitName = unit == unitKPa   ? QStringLiteral("kPa")
                             : unit == unitPsi ? QStringLiteral("psi")
                                               : QStringLiteral("bar");
    QStringList warnings;
    if (c.UnitsDiffer)
        warnings << tr("The two tests were saved in different units; both are shown in %1.")
                        .arg(unitName);
    if (c.TestersDiffer)
        warnings << tr("The two tests were made with different testers (%1, %2).")
                        .arg(DiskToQ(earlier.Texts.DeviceSN), DiskToQ(later.Texts.DeviceSN));
    if (c.CylinderCountsDiffer)
        warnings << tr("The two tests show a different number of cylinders (%1, %2).")
                        .arg(CylindersShown(earlier))
                        .arg(CylindersShown(later));
    LabelWarnings->setText(warnings.join(QLatin1Char('\n')));
    LabelWarnings->setVisible(!warnings.isEmpty());

    Table->setHorizontalHeaderLabels(
        {tr("Cylinder"), tr("Compression earlier (%1)").arg(unitName),
         tr("Compression later (%1)").arg(unitName), tr("Difference (%1)").arg(unitName),
         tr("Leakage earlier (%)"), tr("Leakage later (%)"), tr("Difference (%)")});
    const int decimals = unit == unitKPa ? 0 : 1;
    const auto whole = [](const std::optional<int>& v) {
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    ChartCompression->Series().Clear();
    ChartLeakage->Series().Clear();
    ChartCompression->Series().ValueFormat =
        decimals == 0 ? QStringLiteral("#,##0") : QStringLiteral("#,##0.0");
    QVector<BarPoint> earlierComp, earlierLeak;
    for (int p = 0; p < 12; ++p) {
        const CylinderComparison& x = c.Positions[p];
        const QString cells[7] = {QString::number(p + 1),
                                  Number(x.CompressionEarlier, decimals),
                                  Number(x.CompressionLater, decimals),
                                  Number(x.CompressionDifference, decimals, true),
                                  Number(whole(x.LeakageEarlier), 0),
                                  Number(whole(x.LeakageLater), 0),
                                  Number(whole(x.LeakageDifference), 0, true)};
        for (int col = 0; col < 7; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(p, col, item);
        }
        const QColor colour = PositionColour(p + 1);
        ChartCompression->Series().AddXY(p + 1, x.CompressionLater.value_or(-10),
                                         x.CompressionLater ? QString() : QStringLiteral("---"),
                                         colour);
        earlierComp.append({double(p + 1), x.CompressionEarlier.value_or(-10), QString(), colour});
        ChartLeakage->Series().AddXY(p + 1, x.LeakageLater ? *x.LeakageLater : -10,
                                     x.LeakageLater ? QStringLiteral("%") : QStringLiteral("---"),
                                     colour);
        earlierLeak.append(
            {double(p + 1), x.LeakageEarlier ? double(*x.LeakageEarlier) : -10, QString(), colour});
    }
    ChartCompression->SetComparison(earlierComp);
    ChartLeakage->SetComparison(earlierLeak);
}
