// The chart area: both bar charts, the 24 slot selectors with their number
// labels, the chart refresh and the layout that keeps them together.
#include "app/main/main_window.h"
#include "chart/bar_chart.h"
#include "platform/window_text.h"
#include "print/chart_fill.h"
#include "print/printed_texts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

// Geometry of the compression and leakage parts as designed (758 wide).
constexpr int SelectorWidth = 50;
constexpr int SelectorHeight = 21;
constexpr int NumberLabelWidth = 21;
constexpr int NumberLabelHeight = 18;
constexpr int KompChartTop = 41;
constexpr int KompBottomMargin = 54; // below the chart, down to the panel's bottom
constexpr int LeakChartTop = 47;
constexpr int LeakBottomMargin = 56;
constexpr int ChartSideMargin = 10;
constexpr int CompressionCylinderBottom = 19;
constexpr int LeakageCylinderBottom = 20;

// Names of the number labels by position, as the form has them.
constexpr int KompLabelNumbers[12] = {7, 8, 9, 10, 11, 12, 5, 14, 15, 13, 17, 18};
constexpr int LeakLabelNumbers[12] = {33, 32, 31, 42, 41, 40, 34, 38, 37, 39, 36, 35};

QLabel* PlacedLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

void TFormMain::CreateChartArea() {
    Panel6 = new QFrame(ClientArea);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFrameShape(QFrame::Panel);
    Panel6->setFrameShadow(QFrame::Sunken);
    Panel6->setLineWidth(1);
    QPalette face = Panel6->palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    Panel6->setPalette(face);
    Panel6->setAutoFillBackground(true);

    Panel3 = new QWidget(Panel6);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel5 = new QWidget(Panel6);
    Panel5->setObjectName(QStringLiteral("Panel5"));

    QFont big = font();
    big.setPixelSize(16);
    // The captions the printed page repeats.
    const PrintedTexts printed = PrintedReportTexts();

    LabelCompression = PlacedLabel(Panel3, printed.CompressionCaption, 18, 16);
    LabelCompression->setObjectName(QStringLiteral("LabelCompression"));
    LabelCompression->setFont(big);
    LabelCompression->adjustSize();
    LabelUnit = PlacedLabel(Panel3, printed.UnitCaption, 198, 17);
    LabelUnit->setObjectName(QStringLiteral("LabelUnit"));
    // The unit caption follows its label, however long the label reads.
    Label43 = PlacedLabel(Panel3, QStringLiteral("---"),
                          std::max(240, LabelUnit->geometry().right() + 8), 17);
    Label43->setObjectName(QStringLiteral("Label43"));
    Label43->setMinimumWidth(40);
    LabelCylinder1 = PlacedLabel(Panel3, tr("Storage / Cylinder"), 9, 239);
    LabelCylinder1->setObjectName(QStringLiteral("LabelCylinder1"));

    Bevel1 = new QFrame(Panel5);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Panel);
    Bevel1->setFrameShadow(QFrame::Raised);
    LabelLeakage = PlacedLabel(Panel5, printed.LeakageCaption, 18, 23);
    LabelLeakage->setObjectName(QStringLiteral("LabelLeakage"));
    LabelLeakage->setFont(big);
    LabelLeakage->adjustSize();
    LabelLeak = PlacedLabel(Panel5, printed.LeakageUnitCaption, 198, 24);
    LabelLeak->setObjectName(QStringLiteral("LabelLeak"));
    LabelCylinder2 = PlacedLabel(Panel5, tr("Storage / Cylinder"), 9, 176);
    LabelCylinder2->setObjectName(QStringLiteral("LabelCylinder2"));

    DiagKomp = new BarChart(Panel3);
    DiagKomp->setObjectName(QStringLiteral("DiagKomp"));
    DiagLeak = new BarChart(Panel5);
    DiagLeak->setObjectName(QStringLiteral("DiagLeak"));
    ConfigureReportCharts(*DiagKomp, *DiagLeak, LocaleDecimalPoint(), LocaleGroupSeparator());
    KompressSerie = &DiagKomp->Series();
    VerlustSerie = &DiagLeak->Series();

    QStringList items{QStringLiteral("-")};
    for (int k = 1; k <= 12; ++k)
        items << QString::number(k);

    for (int i = 0; i < 24; ++i) {
        const bool komp = i < 12;
        const int p = i % 12 + 1;
        QWidget* panel = komp ? Panel3 : Panel5;
        auto* c = new SlotComboBox(panel);
        c->setObjectName(QStringLiteral("%1%2").arg(komp ? "ComboBoxCom" : "ComboBoxLeak").arg(p));
        c->addItems(items);
        c->setMaxVisibleItems(13);
        c->resize(SelectorWidth, SelectorHeight);
        TakeWheelOnlyWithFocus(c);
        connect(c, &SlotComboBox::closeUp, this, &TFormMain::ComboBoxCom1CloseUp);
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] {
            ChangeSomethingAndSave();
            // A choice made with the keyboard or the wheel while the list is
            // closed gets no closeUp; the charts follow it at once, so that
            // they never show another slot than the selector says.
            if (!c->IsDropped()) {
                ClearSeries();
                RefreshCharts();
            }
        });
        selectors_[i] = c;

        auto* l = new QLabel(QString::number(p), panel);
        l->setObjectName(QStringLiteral("Label%1").arg(komp ? KompLabelNumbers[p - 1]
                                                            : LeakLabelNumbers[p - 1]));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->resize(NumberLabelWidth, NumberLabelHeight);
        numberLabels_[i] = l;
    }
}

void TFormMain::Panel6Resize() {
    LayoutChartArea();
}

void TFormMain::LayoutChartArea() {
    if (!Panel6)
        return;
    // The client area inside the window's border; the status bar is below it.
    const QRect client = ClientArea->contentsRect();
    Panel1->setGeometry(client.left(), client.top(), client.width(), Panel1->height());

    // 1.-3.
    const int width6 = client.width() - Panel2->width();
    const int height6 = client.height() - Panel1->height();
    Panel6->setGeometry(client.left() + Panel2->width(), client.top() + Panel1->height(), width6,
                        height6);
    Panel2->setGeometry(client.left(), Panel6->y(), Panel2->width(), height6);

    // 4.-5. The compression part gets 496 of 895 parts of the height.
    const QRect inner = Panel6->contentsRect();
    const int height3 = height6 * 496 / 895;
    const int height5 = height6 * 399 / 895;
    Panel3->setGeometry(inner.left(), inner.top(), inner.width(), height3);
    Panel5->setGeometry(inner.left(), Panel3->y() + Panel3->height(), inner.width(), height5);

    LayoutChartPart(Panel3, DiagKomp, KompChartTop, KompBottomMargin, 0, LabelCylinder1,
                    CompressionCylinderBottom);
    Bevel1->setGeometry(0, 0, Panel5->width(), 9);
    LayoutChartPart(Panel5, DiagLeak, LeakChartTop, LeakBottomMargin, 12, LabelCylinder2,
                    LeakageCylinderBottom);
}

// Emulates the form's anchors: the chart stretches with its panel; the
// selectors keep their distance to the bottom edge and stand centred under
// their bars; the caption keeps its distance to the bottom left corner.
void TFormMain::LayoutChartPart(QWidget* panel, BarChart* chart, int chartTop, int bottomMargin,
                                int firstSelector, QLabel* cylinderLabel, int cylinderBottom) {
    const int w = panel->width();
    const int h = panel->height();
    chart->setGeometry(ChartSideMargin, chartTop, std::max(0, w - 2 * ChartSideMargin),
                       std::max(0, h - chartTop - bottomMargin));
    const int selectorTop = h - bottomMargin;
    for (int p = 1; p <= 12; ++p) {
        const int i = firstSelector + p - 1;
        const double centre = chart->x() + chart->XToPixel(p);
        selectors_[i]->move(static_cast<int>(std::lround(centre - SelectorWidth / 2.0)),
                            selectorTop);
    }
    // 6. Each number label under its selector.
    for (int p = 1; p <= 12; ++p) {
        const int i = firstSelector + p - 1;
        const int offset = p <= 9 ? 22 : 24;
        numberLabels_[i]->move(selectors_[i]->x() + offset, selectors_[i]->y() + 20);
    }
    cylinderLabel->move(9, h - cylinderBottom);
}

void TFormMain::ClearSeries() {
    VerlustSerie->Clear();
    KompressSerie->Clear();
}

void TFormMain::RefreshCharts() {
    LayoutChartArea();
    const int unit = ComboBoxUnit->currentIndex();
    // The selectors' item indexes are the assignments; no selection is -1.
    std::array<int, 12> komp{}, leak{};
    for (int p = 0; p < 12; ++p) {
        komp[p] = selectors_[p]->currentIndex();
        leak[p] = selectors_[12 + p]->currentIndex();
    }
    FillChartSeries(report_, komp, leak, unit, *KompressSerie, *VerlustSerie);
    const QString unitCaption = UnitCaption(unit);
    if (!unitCaption.isEmpty())
        Label43->setText(unitCaption);

    DiagKomp->update();
    DiagLeak->update();
    UpdateEvaluation();
}

void TFormMain::ComboBoxCom1CloseUp() {
    ClearSeries();
    report_.Unsaved = true;
    RefreshCharts();
}

void TFormMain::ChangeSomethingAndSave() {
    ActionFileSave->setEnabled(true);
    ActionFilePrint->setEnabled(true);
    report_.Unsaved = true;
}

void TFormMain::ComboBoxUnitClick() {
    ClearSeries();
    report_.Unsaved = true;
    RefreshCharts();
}

void TFormMain::ComboBoxUnitChange() {
    Label43->setText(ComboBoxUnit->currentText());
    ActionFileSave->setEnabled(true);
    ActionFilePrint->setEnabled(true);
    report_.Unsaved = true;
}
