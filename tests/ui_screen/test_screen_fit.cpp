// The main window and the dialogs on the screens of tests/ui_screen/
// screens.json, side by side: a 1366 x 768 laptop, 1280 x 720 (1920 x 1080
// at 150 %), then 1920 x 1080.
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_names.h"
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

namespace {

const QRect Laptop(0, 0, 1366, 768);
const QRect Scaled(1366, 0, 1280, 720);
const QRect FullHd(2646, 0, 1920, 1080);

QScrollArea* ClientScroll() {
    return qobject_cast<QScrollArea*>(FormMain->centralWidget());
}

// Whether the widget lies wholly inside the visible part of the window.
bool ShownInWindow(QWidget* w) {
    const QRect inWindow(w->mapTo(FormMain, QPoint(0, 0)), w->size());
    QScrollArea* scroll = ClientScroll();
    const QRect viewport(scroll->viewport()->mapTo(FormMain, QPoint(0, 0)),
                         scroll->viewport()->size());
    const bool inClient = !scroll->isAncestorOf(w) || viewport.contains(inWindow);
    return FormMain->rect().contains(inWindow) && inClient;
}

} // namespace

class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void smallScreenScrollsToEveryControl_data();
    void smallScreenScrollsToEveryControl();
    void fullHdKeepsTheDesignedLayout();
    void storedPositionOffEveryScreen_data();
    void storedPositionOffEveryScreen();
    void dialogPositions_data();
    void dialogPositions();
};

void TestScreenFit::initTestCase() {
    // Without the configured screens every case here would prove nothing.
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    std::sort(screens.begin(), screens.end(),
              [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    QCOMPARE(screens, (QList<QRect>{Laptop, Scaled, FullHd}));
}

void TestScreenFit::smallScreenScrollsToEveryControl_data() {
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QRect>("screen");
    QTest::newRow("1366x768") << QPoint(10, 10) << Laptop;
    QTest::newRow("1280x720") << QPoint(1400, 40) << Scaled;
}

void TestScreenFit::smallScreenScrollsToEveryControl() {
    QFETCH(QPoint, stored);
    QFETCH(QRect, screen);
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nx=%1\ny=%2\n").arg(stored.x()).arg(stored.y()));
    fx.Start();
    QVERIFY(screen.contains(FormMain->frameGeometry()));
    // The window keeps the stored left edge where its width fits.
    QCOMPARE(FormMain->x(), stored.x());
    QVERIFY(ShownInWindow(FormMain->statusBar()));

    QScrollArea* scroll = ClientScroll();
    QVERIFY(scroll);
    // The client area keeps its designed height and scrolls instead.
    QVERIFY(scroll->verticalScrollBar()->isVisible());
    QVERIFY(scroll->widget()->height() > scroll->viewport()->height());
    // The window widens by the scroll bar, so the width needs no second one.
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QCOMPARE(scroll->widget()->width(), 1150);
    QComboBox* lastLeak = FormMain->Selectors()[23];
    QVERIFY(!ShownInWindow(lastLeak));
    scroll->ensureWidgetVisible(lastLeak);
    QVERIFY(ShownInWindow(lastLeak));
    QVERIFY(ShownInWindow(FormMain->NumberLabel(23)));
    scroll->ensureWidgetVisible(FormMain->SpeedButtons[0]);
    QVERIFY(ShownInWindow(FormMain->SpeedButtons[0]));
}

void TestScreenFit::fullHdKeepsTheDesignedLayout() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nx=2700\ny=75\n"));
    fx.Start();
    // A position on a screen stays exactly as stored.
    QCOMPARE(FormMain->pos(), QPoint(2700, 75));
    QCOMPARE(FormMain->minimumSize(), QSize(1150, 800));
    QCOMPARE(FormMain->size(), QSize(1150, 800));
    QScrollArea* scroll = ClientScroll();
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QCOMPARE(scroll->widget()->size(), scroll->size());
    QVERIFY(ShownInWindow(FormMain->Selectors()[23]));
}

void TestScreenFit::storedPositionOffEveryScreen_data() {
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("opened");
    QTest::newRow("monitor left of all") << QPoint(-3000, 100) << Laptop.topLeft();
    QTest::newRow("caption above") << QPoint(3000, -20) << FullHd.topLeft();
    QTest::newRow("below the scaled screen") << QPoint(1700, 1060) << Scaled.topLeft();
}

void TestScreenFit::storedPositionOffEveryScreen() {
    QFETCH(QPoint, stored);
    QFETCH(QPoint, opened);
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nx=%1\ny=%2\n").arg(stored.x()).arg(stored.y()));
    const QByteArray before = fx.SettingsBytes();
    fx.Start();
    QCOMPARE(FormMain->pos(), opened);
    // The file keeps the stored values until the window closes.
    QCOMPARE(fx.SettingsBytes(), before);
}

void TestScreenFit::dialogPositions_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("opened");
    QTest::newRow("ChgSens caption above") << "ChgSens" << QPoint(300, -20) << Laptop.topLeft();
    QTest::newRow("Names far left") << "Names" << QPoint(-3000, 100) << Laptop.topLeft();
    QTest::newRow("Company right of all") << "Company" << QPoint(9000, 300) << FullHd.topLeft();
    QTest::newRow("Names kept") << "Names" << QPoint(1500, 300) << QPoint(1500, 300);
    QTest::newRow("Company at the edge kept") << "Company" << QPoint(1316, 0) << QPoint(1316, 0);
}

void TestScreenFit::dialogPositions() {
    QFETCH(QString, section);
    QFETCH(QPoint, stored);
    QFETCH(QPoint, opened);
    MainWindowFixture fx;
    fx.WriteSettings(
        QStringLiteral("[%1]\nx=%2\ny=%3\n").arg(section).arg(stored.x()).arg(stored.y()));
    fx.Start();
    QDialog* dialog = section == "ChgSens" ? static_cast<QDialog*>(FormChangeSens)
                      : section == "Names" ? static_cast<QDialog*>(FormNames)
                                           : static_cast<QDialog*>(FormCompany);
    QAction* action = section == "ChgSens" ? FormMain->ActionChangeSens
                      : section == "Names" ? FormMain->ActionSettingsNames
                                           : FormMain->ActionSettingsCompany;
    QPoint shownAt(-1, -1);
    ModalScript script;
    script.On(dialog, [&](QWidget*) {
        shownAt = dialog->pos();
        if (dialog == FormChangeSens)
            FormChangeSens->BitBtnChgSensCancel->click();
        else
            dialog->reject();
    });
    action->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(shownAt, opened);
}

QTEST_MAIN(TestScreenFit)
#include "test_screen_fit.moc"
