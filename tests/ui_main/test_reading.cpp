// Reading and clearing the tester through the real main window.
#include "tests/ui_main/main_window_fixture.h"

#include "chart/bar_chart.h"
#include "dialogs/form_msg.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

namespace {

const QStringList FullRead = {"40 00", "10 00", "32 00", "22 00"};

} // namespace

class TestReading : public QObject {
    Q_OBJECT
private slots:
    void readingTakesValuesAndDeviceTexts();
    void allNegativeValuesLeaveTheReportAlone();
    void oneLeakageZeroIsEnough();
    void failedRequestsShowTheirMessage();
    void automaticClearingOkErasesOnceBeforeTheDeviceRequests();
    void automaticClearingCancelledKeepsTheValues();
    void failedSensorRequestShowsErrorLabelOnly();
    void clearingBeforeReadingAsksFirst();
    void escapeAndEnterGiveTheSafeAnswers();
    void clearingAfterDetectionAsksAgain();
    void failedEraseIsReported();
};

void TestReading::readingTakesValuesAndDeviceTexts() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({1285, 0, -1, 852}, {62, 81, 348}));
    fx.Start();
    // Start-up opens the tester but fetches nothing.
    QCOMPARE(fx.Requests(), QStringList());
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(!FormMain->CheckBox2->isChecked());

    // A reading puts every selector back to its own slot.
    FormMain->Selectors()[1]->setCurrentIndex(5);
    FormMain->ActionDeviceRead->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(fx.Requests(), FullRead);
    const MeasurementReport& r = FormMain->Report();
    QCOMPARE(r.Compression[0], std::int16_t(1285));
    QCOMPARE(r.Compression[1], std::int16_t(0));
    QCOMPARE(r.Compression[2], std::int16_t(-1));
    QCOMPARE(r.Leakage[2], std::int16_t(348));
    QCOMPARE(r.Leakage[3], std::int16_t(-1));
    for (int p = 0; p < 12; ++p) {
        QCOMPARE(r.CompressionAssignment[p], p + 1);
        QCOMPARE(r.LeakageAssignment[p], p + 1);
    }
    QVERIFY(r.ValuesRead);
    QVERIFY(r.Unsaved);
    QVERIFY(r.FileName.empty());
    QCOMPARE(r.Texts.DeviceSN, std::string("VRX310-24-00815"));
    QCOMPARE(r.Texts.FirmwareVersion, std::string("2.03"));
    QCOMPARE(r.Texts.SensorSN, std::string("S-71234-0042"));
    QCOMPARE(r.Texts.Betriebszeit, std::string("34:17:36"));
    QCOMPARE(FormMain->LabelDeviceSN->text(), QStringLiteral("VRX310-24-00815"));
    QCOMPARE(FormMain->LabelSensorSN->text(), QStringLiteral("S-71234-0042"));
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QCOMPARE(FormMain->windowTitle(),
             QStringLiteral("KALDORIAN GmbH | VRX-310 | electronic compression & leakage tester"));
    // English formats: "yyyy-mm-dd -- hh:mm:ss".
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d -- \\d\\d:\\d\\d:\\d\\d$"))
                 .match(FormMain->LabelDateTime->text())
                 .hasMatch(),
             qPrintable(FormMain->LabelDateTime->text()));
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QVERIFY(FormMain->ActionFilePrint->isEnabled());
    QVERIFY(FormMain->CheckBox2->isChecked());
    QVERIFY(FormMain->CheckBox3->isChecked());
    QVERIFY(FormMain->CheckBox4->isChecked());
    QVERIFY(FormMain->CheckBox4->isHidden());
    // The charts show the new values: 128.5 bar at 1, 0 at 2, empty at 3.
    const BarSeries& komp = *FormMain->KompressSerie;
    QCOMPARE(komp.Count(), 13);
    QCOMPARE(komp.Point(1).Y, 128.5);
    QCOMPARE(komp.Point(2).Y, 0.0);
    QCOMPARE(komp.Point(2).Label, QString());
    QCOMPARE(komp.Point(3).Label, QStringLiteral("---"));
}

void TestReading::allNegativeValuesLeaveTheReportAlone() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({}, {}));
    fx.Start();
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceRead->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 1);
    const ShownMessage& m = fx.Answers().Shown()[0];
    QCOMPARE(m.Text, QStringLiteral("No measures available."));
    QCOMPARE(m.Caption, QStringLiteral("Information"));
    QCOMPARE(m.Buttons, QStringList{"OK"});
    QCOMPARE(fx.Requests(), QStringList{"40 00"});
    const MeasurementReport& r = FormMain->Report();
    QVERIFY(!r.ValuesRead);
    QVERIFY(!r.Unsaved);
    QCOMPARE(FormMain->StatusText(3), QString());
    QCOMPARE(FormMain->LabelDeviceSN->text(), QStringLiteral("(not available)"));
    QCOMPARE(FormMain->LabelDateTime->text(), QStringLiteral("(not available)"));
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(!FormMain->CheckBox2->isChecked());
}

void TestReading::oneLeakageZeroIsEnough() {
    MainWindowFixture fx;
    QList<int> leakage(12, -1);
    leakage[7] = 0;
    fx.WriteState(StateValues({}, leakage));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QCOMPARE(FormMain->Report().Leakage[7], std::int16_t(0));
    const BarSeries& leak = *FormMain->VerlustSerie;
    QCOMPARE(leak.Point(8).Y, 0.0);
    QCOMPARE(leak.Point(8).Label, QStringLiteral("%"));
    QCOMPARE(leak.Point(7).Label, QStringLiteral("---"));
}

void TestReading::failedRequestsShowTheirMessage() {
    {
        // No tester: the actions are off, and the read refuses at once.
        MainWindowFixture fx;
        fx.WriteState(QStringLiteral("connected=0\n"));
        fx.Start();
        QVERIFY(!FormMain->ActionDeviceRead->isEnabled());
        fx.Answers().Expect(mrCancel);
        FormMain->ActionDeviceReadExecute();
        QCOMPARE(fx.Answers().Shown().size(), 1);
        QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("No VRX-310 device connected!"));
        QCOMPARE(fx.Answers().Shown()[0].Caption, QStringLiteral("Error"));
        QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{"Cancel"});
        QCOMPARE(fx.Requests(), QStringList());
    }
    {
        MainWindowFixture fx;
        fx.WriteState(QStringLiteral("fault_read=0x40\n"));
        fx.Start();
        fx.Answers().Expect(mrCancel);
        FormMain->ActionDeviceRead->trigger();
        QCOMPARE(fx.Answers().Shown().size(), 1);
        QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error reading VRX-310 device!"));
        QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{"Cancel"});
        QCOMPARE(fx.Requests(), QStringList{"40 00"});
        QVERIFY(!FormMain->Report().Unsaved);
        QCOMPARE(FormMain->KompressSerie->Point(1).Label, QStringLiteral("---"));
    }
}

void TestReading::automaticClearingOkErasesOnceBeforeTheDeviceRequests() {
    MainWindowFixture fx;
    fx.Start();
    // The check box and the menu show the same tick.
    FormMain->CheckBox1->click();
    QVERIFY(FormMain->ActionAutoClear->isChecked());
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceRead->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 1);
    const ShownMessage& m = fx.Answers().Shown()[0];
    QCOMPARE(m.Text, QStringLiteral("Sure to erase device data?"));
    QCOMPARE(m.Caption, QStringLiteral("Warning"));
    QCOMPARE(m.Buttons, (QStringList{"OK", "Cancel"}));
    QCOMPARE(fx.Requests(), (QStringList{"40 00", "42 00", "10 00", "32 00", "22 00"}));
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures erased"));
    // The values are taken even though the tester no longer holds them.
    QCOMPARE(FormMain->Report().Compression[0], std::int16_t(1285));
    fx.ClearRequests();
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(fx.Answers().Shown().last().Text, QStringLiteral("No measures available."));
}

void TestReading::automaticClearingCancelledKeepsTheValues() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nAutoClear=1\n"));
    fx.Start();
    QVERIFY(FormMain->CheckBox1->isChecked());
    fx.Answers().Expect(mrCancel);
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Requests(), FullRead);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QVERIFY(FormMain->Report().ValuesRead);
}

void TestReading::failedSensorRequestShowsErrorLabelOnly() {
    MainWindowFixture fx;
    fx.WriteState(QStringLiteral("fault_read=0x32\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(fx.Requests(), FullRead);
    QCOMPARE(FormMain->LabelDeviceSN->text(), QStringLiteral("VRX310-24-00815"));
    QCOMPARE(FormMain->LabelSensorSN->text(), QStringLiteral("(error)"));
    // The sensor texts come from the untouched (all zero) block.
    const MeasurementReport& r = FormMain->Report();
    QCOMPARE(r.Texts.SensorSN, std::string());
    QCOMPARE(r.Texts.SensorProdDate, std::string("00/00"));
    QCOMPARE(r.Texts.DeviceSN, std::string("VRX310-24-00815"));
    QVERIFY(FormMain->ActionFileSave->isEnabled());
}

void TestReading::escapeAndEnterGiveTheSafeAnswers() {
    MainWindowFixture fx;
    fx.Start();
    // Unread values on the tester: No has the focus, so Enter erases nothing.
    fx.Answers().Expect(-Qt::Key_Return);
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text,
             QStringLiteral("Measure values not read! Erase anyway?"));
    QCOMPARE(fx.Answers().Shown()[0].Focused, QStringLiteral("No"));
    QCOMPARE(fx.Answers().Shown()[0].Answer, int(mrNo));
    QCOMPARE(fx.Requests(), QStringList());

    // An unsaved reading: Escape and the close box on the question keep the
    // window and the reading; only No lets them go.
    FormMain->ActionDeviceRead->trigger();
    const auto values = FormMain->Report().Compression;
    for (const int answer : {-int(Qt::Key_Escape), 0}) {
        fx.Answers().Expect(answer);
        QVERIFY(!FormMain->close());
        QVERIFY(FormMain->isVisible());
        QVERIFY(FormMain->Report().Unsaved);
        QCOMPARE(FormMain->Report().Compression, values);
        QCOMPARE(fx.Answers().Shown().last().Text,
                 QStringLiteral("The current report is not saved! Save now?"));
        QCOMPARE(fx.Answers().Shown().last().Answer, answer < 0 ? int(mrCancel) : 0);
    }
    fx.Answers().Expect(mrNo);
    QVERIFY(FormMain->close());
    QCOMPARE(fx.Answers().Shown().size(), 4);
}

void TestReading::clearingBeforeReadingAsksFirst() {
    MainWindowFixture fx;
    fx.Start();
    fx.Answers().Expect(mrNo);
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    const ShownMessage& m = fx.Answers().Shown()[0];
    QCOMPARE(m.Text, QStringLiteral("Measure values not read! Erase anyway?"));
    QCOMPARE(m.Caption, QStringLiteral("Confirmation"));
    QCOMPARE(m.Buttons, (QStringList{"Yes", "No"}));
    QCOMPARE(fx.Requests(), QStringList());

    fx.Answers().Expect(mrYes);
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Requests(), QStringList{"42 00"});
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures erased"));
    QVERIFY(!FormMain->Report().ValuesRead);
}

void TestReading::clearingAfterDetectionAsksAgain() {
    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    fx.ClearRequests();
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(fx.Requests(), QStringList{"42 00"});

    // A device-change notice fetches the three blocks and forgets the read.
    fx.ClearRequests();
    FormMain->DetectTester();
    QCOMPARE(fx.Requests(), (QStringList{"10 00", "32 00", "22 00"}));
    QVERIFY(!FormMain->Report().ValuesRead);
    fx.ClearRequests();
    fx.Answers().Expect(mrNo);
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text,
             QStringLiteral("Measure values not read! Erase anyway?"));
    QCOMPARE(fx.Requests(), QStringList());
}

void TestReading::failedEraseIsReported() {
    MainWindowFixture fx;
    fx.WriteState(QStringLiteral("fault_write=0x42\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceClear->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Erasing measurements failed!"));
    QCOMPARE(fx.Answers().Shown()[0].Caption, QStringLiteral("Error"));
    QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{"OK"});
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
}

QTEST_MAIN(TestReading)
#include "test_reading.moc"
