// One vehicle over time: readings saved with vrx310-cli, listed in the
// history window, filtered, compared and opened as a user would.
#include "chart/bar_chart.h"
#include "dialogs/form_compare.h"
#include "dialogs/form_history.h"
#include "dialogs/form_msg.h"
#include "report/report_file.h"
#include "tests/common/command_run.h"
#include "tests/ui_main/main_window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <nlohmann/json.hpp>

#include <filesystem>

#include <sys/stat.h>

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
    void hostileFolderListedWithReasonsAndLeftAsItWas();
    void pairedBarsOnlyWhileAComparisonIsSet();
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

    // Two vehicles with four and three cylinders: both the window and the
    // tool say so.
    history->EditVehicle->clear();
    QCOMPARE(history->RowCount(), 5);
    table->selectRow(0);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    history->ButtonCompare->click();
    QCOMPARE(compare->LabelWarnings->text(),
             QStringLiteral("The two tests show a different number of cylinders (4, 3)."));
    const CommandRun warned = RunCommand(
        Cli(dir) + " compare '" + dir.File("1.vrx") + "' '" + dir.File("2.vrx") + "'", dir);
    QVERIFY(warned.Has("warning: the two tests show a different number of cylinders (4, 3)\n"));

    // Enter on a row opens it as Open File does: the unsaved reading first.
    QTest::keyClicks(history->EditVehicle, QStringLiteral("MULLER"));
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

namespace {

// Every name, type and size below folder, links not followed: what a
// listing must leave exactly as it found it.
std::string Snapshot(const std::filesystem::path& folder) {
    std::string out;
    namespace fs = std::filesystem;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const fs::file_status st = it->symlink_status();
        out += it->path().string() + " " + std::to_string(int(st.type())) + " " +
               (fs::is_regular_file(st) ? std::to_string(fs::file_size(it->path())) : "") + "\n";
    }
    return out;
}

QString Cell(QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
}

} // namespace

void TestHistory::hostileFolderListedWithReasonsAndLeftAsItWas() {
    TempDir dir;
    namespace fs = std::filesystem;
    MeasurementReport r;
    r.CarID = "<b>Dated</b>";
    QVERIFY(SaveReportFile(dir.File("dated.vrx"), r, false, "2026/12/01 -- 10:00:00", nullptr));
    r.CarID = "Undated";
    QVERIFY(SaveReportFile(dir.File("undated.vrx"), r, false, "last Tuesday", nullptr));
    QCOMPARE(mkfifo(dir.File("pipe.vrx").c_str(), 0600), 0);
    WriteFile(dir.File("x.vrx"), "");
    fs::resize_file(dir.File("x.vrx"), 2ULL << 30);
    WriteFile(dir.File("name\xFF.vrx"), ReadFile(dir.File("dated.vrx")));
    fs::create_directory(dir.File("sub"));
    fs::create_directory_symlink("..", dir.File("sub/loop"));
    WriteFile(dir.File("sub/junk.vrx"), "RRFB");
    const std::string before = Snapshot(dir.Path());

    MainWindowFixture fx;
    fx.Start();
    FormMain->ActionFileHistory->trigger();
    TFormHistory* history = FormMain->History();
    history->CheckSubfolders->setChecked(true);
    history->ListFolder(dir.Path().string());
    QTRY_VERIFY(!history->Listing());
    QTableView* table = history->Table;
    QCOMPARE(history->RowCount(), 6);
    QStringList rows;
    for (int row = 0; row < 6; ++row)
        rows << Cell(table, row, TFormHistory::colFile) + "|" +
                    Cell(table, row, TFormHistory::colNote);
    // By date: the dated reports first, then the unreadable date, then the
    // files that are no reports, in path order (sub/junk.vrx before x.vrx).
    const QStringList expected = {"dated.vrx|",
                                  QFileInfo(QFile::decodeName("name\xFF.vrx")).fileName() + "|",
                                  "undated.vrx|date not understood",
                                  "pipe.vrx|not a regular file",
                                  "junk.vrx|not a report file, or damaged",
                                  "x.vrx|too large for a report file"};
    QCOMPARE(rows, expected);
    QCOMPARE(Cell(table, 0, TFormHistory::colVehicle), QStringLiteral("<b>Dated</b>"));
    // Descending, the undated report still comes after every dated one.
    table->sortByColumn(TFormHistory::colDate, Qt::DescendingOrder);
    QCOMPARE(Cell(table, 2, TFormHistory::colFile), QStringLiteral("undated.vrx"));
    // A row that is no report neither opens nor compares.
    table->selectRow(5);
    QVERIFY(!history->ButtonOpen->isEnabled());
    QCOMPARE(Snapshot(dir.Path()), before);
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(FormMain->close());
}

void TestHistory::pairedBarsOnlyWhileAComparisonIsSet() {
    BarChart chart;
    chart.SetVerticalRange(0, 100, false);
    chart.Series().AddXY(1, 80, QString(), QColor(112, 37, 29));
    const QSize size(738, 163);
    const QImage alone = chart.RenderToImage(size);
    chart.SetComparison({{1, 80, QString(), QColor(112, 37, 29)}});
    const QImage paired = chart.RenderToImage(size);
    chart.ClearComparison();
    QCOMPARE(chart.RenderToImage(size), alone);
    QVERIFY(paired != alone);
    // Across position 1 at mid height: the earlier bar, left, is lighter.
    const int y = int(chart.YToPixel(40, size));
    const int centre = int(chart.XToPixel(1, size));
    // The same places within each half-width bar: the earlier one's grey
    // is far lighter.
    int earlier = 0, later = 0;
    for (int dx = 5; dx < 15; ++dx) {
        earlier += qGray(paired.pixel(centre - 21 + dx, y));
        later += qGray(paired.pixel(centre + dx, y));
    }
    QVERIFY2(earlier > later + 10 * 60,
             qPrintable(QStringLiteral("%1 %2").arg(earlier).arg(later)));
}

QTEST_MAIN(TestHistory)
#include "test_history.moc"
