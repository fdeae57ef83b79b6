// Start-up, device detection, editing the report and the close query.
#include "tests/ui_main/main_window_fixture.h"

#include "app/main/main_window_icons.h"
#include "app/main/start_up.h"
#include "chart/bar_chart.h"
#include "device/tester_link.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_names.h"
#include "platform/first_paint_probe.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <memory>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void withoutSettingsEverythingHasItsDefault();
    void dialogsComeAfterAnUnchangedFirstPaint();
    void firstPaintIsToldOnceForItsOwnWindow();
    void storedSettingsAreApplied();
    void operatorListEndsAtTheFirstGap();
    void actionsFollowTheTester();
    void editsMarkTheReportUnsaved();
    void reportTakesTheControlsAsBytes();
    void closingWithoutChangesWritesTheSettings();
    void answeringNoClosesAndStopsTheTester();
    void closingTheQuestionKeepsTheWindowOpen();
    void germanModuleReplacesTheTablesWithTheirIndexes();
};

void TestStartup::withoutSettingsEverythingHasItsDefault() {
    MainWindowFixture fx;
    fx.Start();
    // The six windows and the cursor exist once.
    QVERIFY(FormAbout && FormCompany && FormMsg && FormNames && FormChangeSens);
    QVERIFY(ScreenCursors().contains(-5));
    QCOMPARE(FormMain->windowTitle(),
             QStringLiteral("KALDORIAN GmbH | VRX-310 | electronic compression & leakage tester"));
    QCOMPARE(FormMain->pos(), QPoint(10, 10));
    QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), 0);
    QVERIFY(!FormMain->ActionAutoClear->isChecked());
    QVERIFY(!FormMain->CheckBox1->isChecked());
    QCOMPARE(FormMain->ComboBoxNames->count(), 0);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), -1);
    QCOMPARE(FormMain->Company().Name, std::string());
    QCOMPARE(FormMain->Company().VerzFirmenlogo, std::string());
    QCOMPARE(FormMain->LabelDateTime->text(), QStringLiteral("(not available)"));
    QCOMPARE(FormMain->LabelSensorSN->text(), QStringLiteral("(not available)"));
    // Without a logo file the default picture shows.
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());
    QVERIFY(!FormMain->Image3->pixmap().isNull());
    // Status bar: copyright, "V" and the file version, language, outcome.
    QCOMPARE(FormMain->StatusText(0), QStringLiteral("(c) 2026 KALDORIAN GmbH"));
    QCOMPARE(FormMain->StatusText(1), QStringLiteral("V1.0.0.0"));
    QCOMPARE(FormMain->StatusText(2), QStringLiteral("en"));
    QCOMPARE(FormMain->StatusText(3), QString());
    QVERIFY(FormMain->ActionFileOpen->isEnabled());
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(!FormMain->ActionFilePrint->isEnabled());
    QVERIFY(!FormMain->SAYSCheckBox->isChecked());
    QVERIFY(!FormMain->Report().Unsaved);
    // Nothing was written: the settings file comes with the first close.
    QVERIFY(!fx.SettingsExist());
}

void TestStartup::dialogsComeAfterAnUnchangedFirstPaint() {
    MainWindowFixture fx;
    auto ready = std::make_shared<bool>(false);
    FirstPaintProbe* probe = StartWindows([ready] { *ready = true; });
    QSignalSpy painted(probe, &FirstPaintProbe::Painted);
    // Shown and complete before any dialog exists: the logo without the
    // company dialog, the tester's actions already decided.
    QVERIFY(FormMain->isVisible());
    QVERIFY(!FormAbout && !FormCompany && !FormMsg && !FormNames && !FormChangeSens);
    QVERIFY(!FormMain->Image3->pixmap().isNull());
    QTRY_VERIFY(*ready);
    QCOMPARE(painted.count(), 1);
    QVERIFY(FormAbout && FormCompany && FormMsg && FormNames && FormChangeSens);
    QVERIFY(ScreenCursors().contains(CursorKaldorian));
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());
    // The menu bar's overflow button, whose picture is read only when it
    // is drawn, still has the style's picture.
    auto* overflow = FormMain->menuBar()->findChild<QToolButton*>();
    QVERIFY(overflow);
    QVERIFY(!overflow->icon().pixmap(16, 16).isNull());
    const QImage late = FormMain->grab().toImage();
    // The same pixels as with every window made before the first show.
    fx.Stop();
    CreateWindows();
    FormMain->FinishStartup();
    FormMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(FormMain));
    QCOMPARE(FormMain->grab().toImage(), late);
}

void TestStartup::firstPaintIsToldOnceForItsOwnWindow() {
    QWidget other;
    other.resize(120, 80);
    QWidget window;
    window.resize(120, 80);
    // A child covering the window, as the scroll area's viewport does.
    auto* child = new QWidget(&window);
    child->setGeometry(0, 0, 120, 80);
    child->setAutoFillBackground(true);
    FirstPaintProbe probe(&window);
    QSignalSpy painted(&probe, &FirstPaintProbe::Painted);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.repaint();
    QTest::qWait(50);
    QVERIFY(!probe.Seen());
    QCOMPARE(painted.count(), 0);
    window.show();
    QTRY_COMPARE(painted.count(), 1);
    window.repaint();
    child->repaint();
    QTest::qWait(50);
    QCOMPARE(painted.count(), 1);
}

void TestStartup::storedSettingsAreApplied() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nx=40\ny=55\nUnit=2\nAutoClear=2\n"
                                    "[Names]\n0=Anna\n1=Bernd\n2=Carla\nLastUser=2\n"
                                    "[Company]\nName=Werkstatt M\xfc"
                                    "ller\nVerzFirmenlogo=/nowhere/logo.jpg\n"));
    fx.Start();
    QCOMPARE(FormMain->pos(), QPoint(40, 55));
    QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), 2);
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("psi"));
    QVERIFY(FormMain->ActionAutoClear->isChecked());
    QVERIFY(FormMain->CheckBox1->isChecked());
    QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("Carla"));
    QCOMPARE(FormMain->Company().Name, std::string("Werkstatt M\xfcller"));
    // Every value above from one reading of the file.
    QCOMPARE(FormMain->Settings()->Reads(), std::size_t(1));
    // A logo that does not load: the default picture, no message.
    QCOMPARE(FormMain->LogoPicture(), FormCompany->DefaultPicture());
    QCOMPARE(fx.Answers().Shown().size(), 0);
}

void TestStartup::operatorListEndsAtTheFirstGap() {
    {
        MainWindowFixture fx;
        fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Bernd\n3=Dora\nLastUser=1\n"));
        fx.Start();
        QCOMPARE(FormMain->ComboBoxNames->count(), 2);
        QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("Bernd"));
        QCOMPARE(FormMain->Operators().size(), size_t(2));
    }
    {
        // A stored selection outside the list selects nobody; damaged
        // values fall back to their defaults.
        MainWindowFixture fx;
        fx.WriteSettings(
            QStringLiteral("[Main]\nUnit=kPa\n[Names]\n0=Anna\n1=Bernd\nLastUser=5\n"));
        fx.Start();
        QCOMPARE(FormMain->ComboBoxNames->currentIndex(), -1);
        QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), 0);
    }
    {
        // A unit number outside the list would hide every bar: "bar" instead.
        MainWindowFixture fx;
        fx.WriteSettings(QStringLiteral("[Main]\nUnit=7\n"));
        fx.WriteState(StateValues({100}, {}));
        fx.Start();
        QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), 0);
        FormMain->ActionDeviceRead->trigger();
        QCOMPARE(FormMain->KompressSerie->Point(1).Y, 10.0);
    }
}

void TestStartup::actionsFollowTheTester() {
    MainWindowFixture fx;
    fx.WriteState(QStringLiteral("connected=0\n"));
    fx.Start();
    auto testerActionsEnabled = [] {
        return FormMain->ActionDeviceRead->isEnabled() &&
               FormMain->ActionDeviceClear->isEnabled() && FormMain->ActionChangeSens->isEnabled();
    };
    auto testerActionsDisabled = [] {
        return !FormMain->ActionDeviceRead->isEnabled() &&
               !FormMain->ActionDeviceClear->isEnabled() &&
               !FormMain->ActionChangeSens->isEnabled();
    };
    QVERIFY(testerActionsDisabled());
    // The tool buttons follow their actions.
    QVERIFY(!FormMain->SpeedButtons[0]->isEnabled());
    QVERIFY(FormMain->SpeedButtons[2]->isEnabled());
    QCOMPARE(FormMain->SpeedButtons[0]->toolTip(), QStringLiteral("Read out device measures."));

    FormMain->DetectTester();
    QVERIFY(testerActionsDisabled());
    QCOMPARE(fx.Requests(), QStringList());

    // Plugged in: the notice finds it and fetches the three blocks.
    fx.WriteState(QString());
    FormMain->DetectTester();
    QVERIFY(testerActionsEnabled());
    QVERIFY(FormMain->SpeedButtons[0]->isEnabled());
    QCOMPARE(FormMain->SpeedButtons[1]->toolTip(), QStringLiteral("Erase measures on device."));
    QCOMPARE(fx.Requests(), (QStringList{"10 00", "32 00", "22 00"}));
    QCOMPARE(FormMain->Report().DeviceInfo.SerialText(), std::string("VRX310-24-00815"));
    // The texts are derived only by a read.
    QCOMPARE(FormMain->Report().Texts.DeviceSN, std::string());

    // A sensor change that loses the tester turns the actions off.
    QVERIFY(FormChangeSens->OnTesterLost);
    FormChangeSens->OnTesterLost();
    QVERIFY(testerActionsDisabled());
}

void TestStartup::editsMarkTheReportUnsaved() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Bernd\n"));
    fx.Start();
    QTest::keyClicks(FormMain->LabeledEditCarID, QStringLiteral("B-AB 123"));
    QVERIFY(FormMain->Report().Unsaved);
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QVERIFY(FormMain->ActionFilePrint->isEnabled());

    // Putting a report into the controls is no edit.
    MeasurementReport& r = FormMain->Report();
    r.Unsaved = false;
    r.CarID = "XY-1";
    r.Operator = "Bernd";
    r.CompressionAssignment[4] = 9;
    FormMain->ShowReport();
    QVERIFY(!FormMain->Report().Unsaved);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("XY-1"));
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);
    QCOMPARE(FormMain->Selectors()[4]->currentIndex(), 9);

    FormMain->ComboBoxNames->setFocus();
    QTest::keyClick(FormMain->ComboBoxNames, Qt::Key_Up);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 0);
    QVERIFY(FormMain->Report().Unsaved);
}

void TestStartup::reportTakesTheControlsAsBytes() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=J\xfcrgen\n"));
    fx.Start();
    QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("J\u00fcrgen"));
    FormMain->LabeledEditCarID->setText(QStringLiteral("Stra\u00dfe \u20ac5"));
    FormMain->Selectors()[13]->setCurrentIndex(0);
    const MeasurementReport& r = FormMain->Report();
    // Windows-1252: ß is DF, € is 80.
    QCOMPARE(r.CarID, std::string("Stra\xdf"
                                  "e \x80"
                                  "5"));
    QCOMPARE(r.Operator, std::string("J\xfcrgen"));
    QCOMPARE(r.DateandTime, std::string("(not available)"));
    QCOMPARE(r.LeakageAssignment[1], 0);
    QCOMPARE(r.LeakageAssignment[2], 3);
}

void TestStartup::closingWithoutChangesWritesTheSettings() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Bernd\nLastUser=1\n"));
    fx.Start();
    FormMain->move(33, 44);
    FormMain->ActionAutoClearExecute();
    QVERIFY(FormMain->CheckBox1->isChecked());
    FormMain->ActionExit->trigger();
    QVERIFY(!FormMain->isVisible());
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(fx.Requests(), QStringList{"01 01 00"});
    SettingsFile s(fx.SettingsPath().toStdString());
    QCOMPARE(s.ReadInteger("Main", "x", -1), 33);
    QCOMPARE(s.ReadInteger("Main", "y", -1), 44);
    QCOMPARE(s.ReadInteger("Main", "Unit", -1), 0);
    QCOMPARE(s.ReadString("Main", "AutoClear", ""), std::string("1"));
    QCOMPARE(s.ReadInteger("Names", "LastUser", -2), 1);
}

void TestStartup::answeringNoClosesAndStopsTheTester() {
    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->ComboBoxUnit->setCurrentIndex(1);
    fx.ClearRequests();
    fx.Answers().Expect(mrNo);
    FormMain->close();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    const ShownMessage& m = fx.Answers().Shown()[0];
    QCOMPARE(m.Text, QStringLiteral("The current report is not saved! Save now?"));
    QCOMPARE(m.Caption, QStringLiteral("Confirmation"));
    QCOMPARE(m.Buttons, (QStringList{"Yes", "No"}));
    QVERIFY(!FormMain->isVisible());
    QCOMPARE(fx.Requests(), QStringList{"01 01 00"});
    QVERIFY(!FormMain->Link()->IsOpen());
    SettingsFile s(fx.SettingsPath().toStdString());
    QCOMPARE(s.ReadInteger("Main", "x", -1), 10);
    QCOMPARE(s.ReadInteger("Main", "Unit", -1), 1);
    QCOMPARE(s.ReadString("Main", "AutoClear", ""), std::string("0"));
    // No operator selected.
    QCOMPARE(s.ReadInteger("Names", "LastUser", -2), -1);
}

void TestStartup::closingTheQuestionKeepsTheWindowOpen() {
    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    fx.ClearRequests();
    fx.Answers().Expect(0); // the close box of the question
    FormMain->close();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QVERIFY(FormMain->isVisible());
    QCOMPARE(fx.Requests(), QStringList());
    QVERIFY(FormMain->Link()->IsOpen());
    QVERIFY(!fx.SettingsExist());
    QVERIFY(FormMain->Report().Unsaved);
}

void TestStartup::germanModuleReplacesTheTablesWithTheirIndexes() {
#ifndef VRX_GERMAN_MODULE
    QSKIP("the German module is not built");
#else
    QStringList english;
    {
        MainWindowFixture fx;
        fx.Start();
        english = FormMain->ListBox1 + FormMain->ListBox2;
    }
    QTranslator german;
    QVERIFY(german.load(QStringLiteral(VRX_GERMAN_MODULE)));
    QCoreApplication::installTranslator(&german);
    MainWindowFixture fx;
    fx.Start();
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(FormMain->StatusText(2), QStringLiteral("de"));
    QCOMPARE(FormMain->MessageText(3), QStringLiteral("Kein VRX-310 angeschlossen!"));
    QCOMPARE(FormMain->MessageText(33), QStringLiteral("Zyl.-Nr."));
    QCOMPARE(FormMain->PrintText(8), QStringLiteral("Softwarestand: "));
    QCOMPARE(FormMain->ActionDeviceRead->text(), QStringLiteral("Ger\u00e4t &auslesen"));
    QCOMPARE(FormMain->windowTitle(), FormMain->MessageText(0));
    // Same indexes; every entry but "." and the empty one is German.
    const QStringList tables = FormMain->ListBox1 + FormMain->ListBox2;
    QCOMPARE(FormMain->ListBox1.size(), 34);
    QCOMPARE(tables.size(), english.size());
    for (int i = 0; i < tables.size(); ++i) {
        const bool same = i == 15 || i == 31;
        QVERIFY2((tables[i] == english[i]) == same, qPrintable(english[i]));
    }
#endif
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
