// The chart area of the real main window: refresh, selectors, unit, layout.
#include "tests/ui_main/main_window_fixture.h"

#include "chart/bar_chart.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QTest>

namespace {

// Horizontal centres of the bars crossing one pixel row of a chart, found
// by their colour (red well above green and blue).
QList<double> BarCentres(BarChart* chart, int row) {
    const QImage img = chart->grab().toImage();
    QList<double> centres;
    int start = -1;
    for (int x = 0; x <= img.width(); ++x) {
        bool bar = false;
        if (x < img.width()) {
            const QColor c = img.pixelColor(x, row);
            bar = c.red() > c.green() + 20 && c.red() > c.blue() + 20;
        }
        if (bar && start < 0)
            start = x;
        if (!bar && start >= 0) {
            if (x - start >= 4)
                centres << (start + x - 1) / 2.0;
            start = -1;
        }
    }
    return centres;
}

void VerifyCentred(BarChart* chart, int firstSelector, int row) {
    const QList<double> bars = BarCentres(chart, row);
    QCOMPARE(bars.size(), 12);
    for (int p = 0; p < 12; ++p) {
        QComboBox* sel = FormMain->Selectors()[firstSelector + p];
        const QPoint centre = chart->mapFrom(sel->parentWidget(), sel->geometry().center());
        QVERIFY2(std::abs(centre.x() - bars[p]) <= 4,
                 qPrintable(QStringLiteral("position %1: selector centre %2, bar centre %3")
                                .arg(p + 1)
                                .arg(centre.x())
                                .arg(bars[p])));
    }
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private slots:
    void emptyReportDrawsOnlyPlaceholders();
    void compressionFollowsTheUnit();
    void leakageIsWholePercent();
    void slotSelectorsChooseWhatIsDrawn();
    void keyboardChoiceAlsoRedraws();
    void chartAreaSplitsAt496To399();
    void numberLabelsStandUnderTheirSelectors();
    void selectorsStayCentredUnderTheirBars();
};

void TestCharts::emptyReportDrawsOnlyPlaceholders() {
    MainWindowFixture fx;
    fx.Start();
    const BarSeries& komp = *FormMain->KompressSerie;
    const BarSeries& leak = *FormMain->VerlustSerie;
    QCOMPARE(komp.Count(), 13);
    QCOMPARE(leak.Count(), 13);
    // The placeholder has x 0 and so comes first.
    QCOMPARE(komp.Point(0).X, 0.0);
    QCOMPARE(komp.Point(0).Y, 1.0);
    QCOMPARE(komp.Point(0).Label, QStringLiteral("DummyBar"));
    QCOMPARE(komp.Point(0).Color, QColor(12, 38, 29));
    QCOMPARE(leak.Point(0).Y, 110.0);
    QCOMPARE(leak.Point(0).Color, QColor(12, 38, 29));
    for (int p = 1; p <= 12; ++p) {
        for (const BarSeries* s : {&komp, &leak}) {
            QCOMPARE(s->Point(p).X, double(p));
            QCOMPARE(s->Point(p).Y, -10.0);
            QCOMPARE(s->Point(p).Label, QStringLiteral("---"));
            QCOMPARE(s->Point(p).Color, QColor(112 + 13 * (p - 1), 37, 29));
        }
    }
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("bar"));
    QCOMPARE(leak.ValueFormat, QStringLiteral("##0%"));
}

void TestCharts::compressionFollowsTheUnit() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({123, 456, 789}, {}));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    const BarSeries& komp = *FormMain->KompressSerie;
    QCOMPARE(komp.Point(1).Y, 12.3);
    QCOMPARE(komp.Point(2).Y, 45.6);
    QCOMPARE(komp.Point(3).Y, 78.9);
    QCOMPARE(komp.Point(0).Y, 79.0);
    QCOMPARE(komp.ValueFormat, QStringLiteral("#,##0.0"));

    // The user chooses kPa, then psi: each time both charts are rebuilt.
    ChooseInList(FormMain->ComboBoxUnit, 1);
    QCOMPARE(komp.Count(), 13);
    QCOMPARE(FormMain->VerlustSerie->Count(), 13);
    QCOMPARE(komp.Point(1).Y, 1230.0);
    QCOMPARE(komp.Point(2).Y, 4560.0);
    QCOMPARE(komp.Point(3).Y, 7890.0);
    QCOMPARE(komp.Point(0).Y, 7891.0);
    QCOMPARE(komp.ValueFormat, QStringLiteral("#,##0"));
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("kPa"));
    QCOMPARE(FormMain->Report().Unit, 1);

    ChooseInList(FormMain->ComboBoxUnit, 2);
    QCOMPARE(komp.Count(), 13);
    QCOMPARE(FormMain->VerlustSerie->Count(), 13);
    QCOMPARE(komp.Point(3).Y, 789 * 1.4505);
    QCOMPARE(komp.Point(0).Y, 1145.0);
    QCOMPARE(komp.ValueFormat, QStringLiteral("#,##0.0"));
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("psi"));
    QVERIFY(FormMain->Report().Unsaved);
}

void TestCharts::leakageIsWholePercent() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({}, {59, 0, -1, 1000}));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    const BarSeries& leak = *FormMain->VerlustSerie;
    QCOMPARE(leak.Point(1).Y, 5.0);
    QCOMPARE(leak.Point(1).Label, QStringLiteral("%"));
    QCOMPARE(leak.Point(2).Y, 0.0);
    QCOMPARE(leak.Point(3).Y, -10.0);
    QCOMPARE(leak.Point(3).Label, QStringLiteral("---"));
    QCOMPARE(leak.Point(4).Y, 100.0);
    QCOMPARE(leak.Point(0).Y, 110.0);
    // Only leakage values: every compression position is empty.
    QCOMPARE(FormMain->KompressSerie->Point(0).Y, 1.0);
}

void TestCharts::slotSelectorsChooseWhatIsDrawn() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({100, 200, 300, 400, 500, 600, 700}, {10, 20, 30}));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->ActionFileSave->setEnabled(false);
    const BarSeries& komp = *FormMain->KompressSerie;

    // Slot 7 at position 3; position 7 still shows slot 7 too.
    ChooseInList(FormMain->Selectors()[2], 7);
    QCOMPARE(komp.Count(), 13);
    QCOMPARE(komp.Point(3).Y, 70.0);
    QCOMPARE(komp.Point(7).Y, 70.0);
    QCOMPARE(komp.Point(3).X, 3.0);
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QCOMPARE(FormMain->Report().CompressionAssignment[2], 7);

    // "-" hides a position whatever its slot holds.
    ChooseInList(FormMain->Selectors()[12], 0);
    QCOMPARE(FormMain->VerlustSerie->Point(1).Label, QStringLiteral("---"));
    QCOMPARE(FormMain->VerlustSerie->Point(1).Y, -10.0);
    QCOMPARE(FormMain->Report().LeakageAssignment[0], 0);

    // Closing the list without a new choice still marks the report unsaved.
    FormMain->Report().Unsaved = false;
    QComboBox* box = FormMain->Selectors()[5];
    box->showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(box->view()->window()));
    QTest::keyClick(box->view(), Qt::Key_Escape);
    QTRY_VERIFY(!box->view()->window()->isVisible());
    QVERIFY(FormMain->Report().Unsaved);
    QCOMPARE(komp.Count(), 13);
}

void TestCharts::keyboardChoiceAlsoRedraws() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({100, 200}, {}));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->ActionFileSave->setEnabled(false);
    QComboBox* box = FormMain->Selectors()[0];
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), 2);
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QCOMPARE(FormMain->KompressSerie->Count(), 13);
    QCOMPARE(FormMain->KompressSerie->Point(1).Y, 20.0);
}

void TestCharts::chartAreaSplitsAt496To399() {
    MainWindowFixture fx;
    fx.Start();
    // From a taller window down until the chart area is 677 pixels high.
    FormMain->resize(1150, 950);
    QTRY_COMPARE(FormMain->height(), 950);
    const int delta = 677 - FormMain->Panel6->height();
    FormMain->resize(FormMain->width(), FormMain->height() + delta);
    QTRY_COMPARE(FormMain->Panel6->height(), 677);
    QCOMPARE(FormMain->Panel3->height(), 375);
    QCOMPARE(FormMain->Panel5->height(), 301);
    QCOMPARE(FormMain->Panel5->y(), FormMain->Panel3->y() + 375);
    QCOMPARE(FormMain->Panel2->height(), 677);
    // The chart area fills the client area right of the left column.
    QWidget* client = FormMain->ClientArea;
    QCOMPARE(FormMain->Panel6->width(), client->contentsRect().width() - FormMain->Panel2->width());
    QCOMPARE(FormMain->Panel6->geometry().bottom(), client->contentsRect().bottom());
}

void TestCharts::numberLabelsStandUnderTheirSelectors() {
    MainWindowFixture fx;
    fx.Start();
    for (const QSize size : {QSize(1150, 800), QSize(1700, 1000)}) {
        FormMain->resize(size);
        QTRY_COMPARE(FormMain->size(), size);
        for (int i = 0; i < 24; ++i) {
            const int p = i % 12 + 1;
            QComboBox* sel = FormMain->Selectors()[i];
            QLabel* label = FormMain->NumberLabel(i);
            QCOMPARE(label->text(), QString::number(p));
            QCOMPARE(label->x() - sel->x(), p <= 9 ? 22 : 24);
            QCOMPARE(label->y() - sel->y(), 20);
        }
    }
}

void TestCharts::selectorsStayCentredUnderTheirBars() {
    MainWindowFixture fx;
    QList<int> all(12, 1000);
    QList<int> leak(12, 400);
    fx.WriteState(StateValues(all, leak));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    for (const QSize size : {QSize(1150, 800), QSize(2100, 1200)}) {
        FormMain->resize(size);
        QTRY_COMPARE(FormMain->size(), size);
        QCoreApplication::processEvents();
        // Compression bars stand on the bottom; leakage bars hang from the top.
        VerifyCentred(FormMain->DiagKomp, 0, FormMain->DiagKomp->height() * 4 / 5);
        VerifyCentred(FormMain->DiagLeak, 12, FormMain->DiagLeak->height() / 6);
    }
}

QTEST_MAIN(TestCharts)
#include "test_charts.moc"
