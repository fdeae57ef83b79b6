// One vehicle over time: readings saved with vrx310-cli, listed in the
// history window, filtered, compared and opened as a user would.
#include "chart/bar_chart.h"
#include "dialogs/form_compare.h"
#include "dialogs/form_history.h"
#include "dialogs/form_msg.h"
#include "tests/common/command_run.h"
#include "tests/ui_main/main_window_fixture.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <nlohmann/json.hpp>

namespace {

struct Saved {
    const char* File;
    const char* Car;
    QList<int> Compression, Leakage;
};

// Three readings of one vehicle and two of another, in the order made.
const Saved Readings[] = {
    {"1.vrx", "Müller Golf", {1285, 1310, 852, 1274}, {62, 81, 348, 50}},
    {"2.vrx", "Schmidt Polo", {1100, 1120, 1090}, {40, 41, 42}},
    {"3.vrx", "MÜLLER golf", {1270, 1300, 700, 1260}, {70, 90, 420, 55}},
    {"4.vrx", "Schmidt Polo", {1105, 1118, 1095}, {44, 45, 43}},
    {"5.vrx", "Müller Golf (2)", {1240, 1280, 610, 1255}, {75, 99, 480, 61}},
};

std::string Cli(const TempDir& dir) {
    return OnSimulator(dir, SIM_HID_DIR, VRX310_CLI_PATH);
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void fiveReadingsListedFilteredComparedAndOpened();
};

void TestHistory::fiveReadingsListedFilteredComparedAndOpened() {
    TempDir dir;
    for (const Saved& s : Readings) {
        WriteFile(dir.File("sim.state"), StateValues(s.Compression, s.Leakage).toStdString());
        const CommandRun run = RunCommand(Cli(dir) + " read --out '" + dir.File(s.File) +
                                              "' --car '" + s.Car + "' --operator Hans",
                                          dir);
        QCOMPARE(run.Status, 0);
    }
    const CommandRun listed = RunCommand(
        Cli(dir) + " history '" + dir.Path().string() + "' --vehicle MULLER --json", dir);
    QCOMPARE(listed.Status, 0);
    QCOMPARE(nlohmann::json::parse(listed.Out).size(), 3u);

    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionDeviceRead->trigger(); // an unsaved reading in the window
    QVERIFY(FormMain->Report().Unsaved);

    FormMain->ActionFileHistory->trigger();
    TFormHistory* history = FormMain->History();
    QVERIFY(history && history->isVisible());
    history->ListFolder(dir.Path().string());
    QTRY_VERIFY(!history->Listing());
    // sim.state and the tool's output are no reports and are not listed.
    QCOMPARE(history->RowCount(), 5);
    QTest::keyClicks(history->EditVehicle, QStringLiteral("MULLER"));
    QCOMPARE(history->RowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(history->EntryAt(row).Path, dir.File(Readings[2 * row].File));

    // The first and the last of the three, compared.
    QTableView* table = history->Table;
    table->selectRow(0);
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(history->ButtonCompare->isEnabled());
    history->ButtonCompare->click();
    TFormCompare* compare = FormMain->Comparison();
    QVERIFY(compare && compare->isVisible());
    QVERIFY(compare->LabelWarnings->isHidden());
    const Saved& first = Readings[0];
    const Saved& last = Readings[4];
    const CommandRun compared = RunCommand(Cli(dir) + " compare '" + dir.File(last.File) + "' '" +
                                               dir.File(first.File) + "' --json",
                                           dir);
    QCOMPARE(compared.Status, 0);
    const auto json = nlohmann::json::parse(compared.Out);
    for (int p = 0; p < 4; ++p) {
        const double bar = (last.Compression[p] - first.Compression[p]) / 10.0;
        const int leak = last.Leakage[p] / 10 - first.Leakage[p] / 10;
        QCOMPARE(compare->Table->item(p, 3)->text(),
                 (bar > 0 ? QStringLiteral("+") : QString()) + QLocale().toString(bar, 'f', 1));
        QCOMPARE(compare->Table->item(p, 6)->text().toInt(), leak);
        QCOMPARE(json["positions"][p]["compression_difference"].get<double>(), bar);
        QCOMPARE(json["positions"][p]["leakage_difference"].get<int>(), leak);
    }
    QCOMPARE(compare->Table->item(4, 3)->text(), QStringLiteral("-"));
    QCOMPARE(compare->ChartCompression->Comparison().size(), 12);
    QCOMPARE(compare->ChartCompression->Comparison()[0].Y, first.Compression[0] / 10.0);
    QVERIFY(FormMain->DiagKomp->Comparison().isEmpty()); // the window's charts stay as they are

    // Enter on a row opens it as Open File does: the unsaved reading first.
    table->setCurrentIndex(table->model()->index(1, 0));
    fx.Answers().Expect(mrNo);
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text,
             QStringLiteral("The current report is not saved! Save now?"));
    QCOMPARE(FormMain->windowTitle(),
             QStringLiteral("VRX-310: ") + QString::fromStdString(dir.File(Readings[2].File)));
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("MÜLLER golf"));
    QCOMPARE(fx.Answers().Unexpected(), 0);
    QVERIFY(FormMain->close());
}

QTEST_MAIN(TestHistory)
#include "test_history.moc"
