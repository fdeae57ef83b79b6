// The evaluation in the real main window: the simulated tester's weak
// cylinder flagged, the rules changed to 70 %, the page and the export
// saying the same; switched off, the window is as it was.
#include "tests/ui_main/main_window_fixture.h"

#include "app/main/evaluation_panel.h"
#include "chart/bar_chart.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_rules.h"
#include "tests/common/modal_script.h"
#include "tests/print/pdf_probe.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QTableWidget>
#include <QTest>

namespace {

// Column of the compression and of the leakage flag in the panel's table.
constexpr int CompFlag = 4;
constexpr int LeakFlag = 7;

QString Cell(int row, int column) {
    const QTableWidgetItem* item = FormMain->EvaluationPanel->Table->item(row, column);
    return item ? item->text() : QString();
}

QStringList Texts(const QList<ShownMessage>& shown) {
    QStringList texts;
    for (const ShownMessage& m : shown)
        texts << m.Text;
    return texts;
}

} // namespace

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void weakCylinderFromReadingToPageAndExport();
    void switchedOffTheWindowIsAsItWas();
    void rulesDialogRefusesWhatCannotBe();
};

void TestEvaluation::weakCylinderFromReadingToPageAndExport() {
    MainWindowFixture fx;
    // Cylinder 3 at 72 % of the highest: a fault by 75 %, a warning by 70 %.
    fx.WriteState(StateValues({1285, 1310, 950, 1274, 1322, 1296}, {62, 81, 348, 55, 117, 73}));
    fx.WriteSettings(QStringLiteral("[Names]\n0=Meier\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    QVERIFY(FormMain->EvaluationDock == nullptr);

    FormMain->ActionShowEvaluation->trigger();
    QVERIFY(FormMain->EvaluationDock->isVisible());
    QVERIFY(fx.SettingsBytes().contains("Panel=1"));
    QTableWidget* table = FormMain->EvaluationPanel->Table;
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(Cell(0, CompFlag), QStringLiteral("Indication: good"));
    QCOMPARE(Cell(2, CompFlag), QStringLiteral("Indication: fault"));
    QCOMPARE(Cell(2, LeakFlag), QStringLiteral("Indication: bad"));
    QCOMPARE(Cell(4, LeakFlag), QStringLiteral("Indication: acceptable"));
    QVERIFY(FormMain->EvaluationPanel->RuleLabel->text().startsWith(
        QStringLiteral("Rule set: Default.")));
    QCOMPARE(FormMain->DiagKomp->Markers().size(), 1);
    QCOMPARE(FormMain->DiagKomp->Markers()[0].X, 3.0);
    QCOMPARE(FormMain->DiagKomp->LevelLines().size(), 2); // 75 % and 90 % of the highest
    QCOMPARE(FormMain->DiagLeak->LevelLines().size(), 3);

    // The 70 % preset in the rules dialog: only its keys reach the file.
    {
        ModalScript script;
        script.OnA<TFormRules>([](TFormRules* d) {
            d->ComboBoxPreset->setCurrentIndex(2);
            emit d->ComboBoxPreset->activated(2);
            d->accept();
        });
        FormMain->ActionEvaluationRules->trigger();
        QCOMPARE(script.Pending(), 0);
    }
    QCOMPARE(Cell(2, CompFlag), QStringLiteral("Indication: warning"));
    QVERIFY(FormMain->EvaluationPanel->RuleLabel->text().contains(QStringLiteral("Relative 70 %")));
    const QByteArray ini = fx.SettingsBytes();
    QVERIFY(ini.contains("Name=Relative 70 %"));
    QVERIFY(ini.contains("RelativeMin=70"));
    QVERIFY(ini.contains("RelativeSpread=15"));
    QVERIFY(!ini.contains("LeakageGood"));

    // Printed with the block: the rule set and the flag on the page.
    if (HavePopplerTools()) {
        FormMain->CheckBox5->setChecked(true);
        QVERIFY(fx.SettingsBytes().contains("PrintBlock=1"));
        const QString pdf = QDir(QFileInfo(fx.SettingsPath()).path()).filePath("page.pdf");
        ModalScript script;
        script.OnA<QPrintDialog>([pdf](QPrintDialog* d) {
            if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("filename")))
                name->setText(pdf);
            d->accept();
        });
        FormMain->ActionFilePrintExecute();
        QCOMPARE(script.Pending(), 0);
        QStringList words;
        for (const PdfWord& w : PdfWords(pdf))
            words << w.Text;
        const QString page = words.join(QLatin1Char(' '));
        QVERIFY2(page.contains(QStringLiteral("rule set: Relative 70 %")), qPrintable(page));
        QVERIFY(page.contains(QStringLiteral("cyl. 3: Indication: warning")));
        QVERIFY(page.contains(QStringLiteral("cyl. 3: Indication: bad")));
    }

    // Saved, and exported with the window's rules file: the same verdict.
    FormMain->LabeledEditCarID->setText(QStringLiteral("B-VR 310"));
    FormMain->ComboBoxNames->setCurrentIndex(0);
    const QString report = QDir(QFileInfo(fx.SettingsPath()).path()).filePath("weak.vrx");
    {
        ModalScript script;
        script.ChooseInFileDialog(report);
        FormMain->ActionFileSave->trigger();
        QCOMPARE(script.Pending(), 0);
    }
    QVERIFY(QFileInfo::exists(report));
    QProcess cli;
    cli.start(QStringLiteral(VRX310_CLI_PATH),
              {"export", report, "--json", "--rules", fx.SettingsPath()});
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitCode(), 0);
    const QJsonObject e = QJsonDocument::fromJson(cli.readAllStandardOutput())
                              .object()[QStringLiteral("evaluation")]
                              .toObject();
    QCOMPARE(e["rule_set"].toString(), QStringLiteral("Relative 70 %"));
    QCOMPARE(e["compression"].toArray()[2].toObject()["flag"].toString(),
             QStringLiteral("warning"));
    QCOMPARE(e["leakage"].toArray()[2].toObject()["flag"].toString(), QStringLiteral("bad"));
    QCOMPARE(fx.Answers().Shown().size(), 0);
}

void TestEvaluation::switchedOffTheWindowIsAsItWas() {
    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    QTest::qWait(50);
    const QImage before = FormMain->grab().toImage();
    const QSize size = FormMain->size();

    FormMain->ActionShowEvaluation->trigger();
    QVERIFY(FormMain->CheckBox5->isVisible());
    QVERIFY(FormMain->width() > size.width()); // room of its own for the panel
    QVERIFY(!FormMain->DiagKomp->Markers().isEmpty());
    FormMain->ActionShowEvaluation->trigger();
    QVERIFY(!FormMain->EvaluationDock->isVisible());
    QVERIFY(FormMain->DiagKomp->Markers().isEmpty());
    QVERIFY(FormMain->DiagKomp->LevelLines().isEmpty());
    QCOMPARE(FormMain->size(), size);
    QTRY_VERIFY(FormMain->grab().toImage() == before);
    QVERIFY(fx.SettingsBytes().contains("Panel=0"));
}

void TestEvaluation::rulesDialogRefusesWhatCannotBe() {
    MainWindowFixture fx;
    // Remembered as shown; a hand-edited rule that makes no sense: its default.
    fx.WriteSettings(QStringLiteral("[Evaluation]\nPanel=1\nRelativeMin=abc\n"));
    fx.Start();
    QVERIFY(FormMain->EvaluationDock && FormMain->EvaluationDock->isVisible());
    QCOMPARE(FormMain->Rules().RelativeMinPercent, 75.0);

    ModalScript script;
    script.OnA<TFormRules>([&fx](TFormRules* d) {
        auto refused = [&fx, d] {
            fx.Answers().Expect(mrOk);
            d->accept();
            return d->isVisible();
        };
        d->EditRelativeMin->setText(QStringLiteral("abc"));
        QVERIFY(refused());
        d->EditRelativeMin->setText(QStringLiteral("75"));
        d->EditRelativeSpread->setText(QStringLiteral("30"));
        QVERIFY(refused());
        d->EditRelativeSpread->setText(QStringLiteral("10"));
        d->ComboBoxAbsoluteUnit->setCurrentIndex(1); // 9.8 bar become 980 kPa
        QCOMPARE(d->EditAbsoluteMin->text(), QStringLiteral("980"));
        d->CheckAbsoluteMin->setChecked(true);
        d->CheckAbsoluteSpread->setChecked(true);
        d->EditAbsoluteSpread->setText(QStringLiteral("1000"));
        QVERIFY(refused());
        d->EditAbsoluteSpread->setText(QStringLiteral("100"));
        d->EditLeakageAcceptable->setText(QStringLiteral("35"));
        QVERIFY(refused());
        d->EditLeakageAcceptable->setText(QStringLiteral("20"));
        d->accept();
    });
    FormMain->ActionEvaluationRules->trigger();
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(Texts(fx.Answers().Shown()),
             (QStringList{
                 QStringLiteral("Please enter a number for \"Lowest cylinder at least this share "
                                "of the highest\"."),
                 QStringLiteral("The largest difference between cylinders must be above 0 % and "
                                "leave the lowest cylinder's share reachable (difference + share "
                                "at most 100 %)."),
                 QStringLiteral("The largest difference between cylinders must be at least 0.1 "
                                "bar and smaller than the minimum compression."),
                 QStringLiteral("The leakage limits must rise: 0 % < good <= acceptable <= bad "
                                "<= 100 %."),
             }));
    const QByteArray ini = fx.SettingsBytes();
    QVERIFY(ini.contains("AbsoluteUnit=1"));
    QVERIFY(ini.contains("AbsoluteMin=980"));
    QVERIFY(ini.contains("AbsoluteSpread=100"));
    QVERIFY(ini.contains("RelativeMin=abc")); // not changed here, so not written
    QCOMPARE(FormMain->Rules().AbsoluteMin, 980.0);
    QCOMPARE(FormMain->Rules().AbsoluteUnit, 1);
}

QTEST_MAIN(TestEvaluation)
#include "test_evaluation.moc"
