// Report files as the desktop hands them over: named on the command line or
// dropped on the real main window; where the file dialogs start; and that
// they leave no settings file of their own.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "report/report_file.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString Program = QStringLiteral("VRX310_Application");

bool SaveSample(const QString& path) {
    MeasurementReport r;
    r.CarID = "ABC";
    r.Operator = "Kurt";
    r.Compression[0] = 1285;
    return SaveReportFile(QFile::encodeName(path).toStdString(), r, false, "d", nullptr);
}

// Open File up to its dialog: the folder it came up in; cancelled.
QString OpenDialogFolder() {
    QString folder;
    ModalScript script;
    script.OnA<QFileDialog>([&folder](QFileDialog* d) {
        folder = d->directory().absolutePath();
        d->reject();
    });
    FormMain->ActionFileOpen->trigger();
    return folder;
}

// A drag of urls onto the window, dropped there when the window takes it;
// how it was taken.
Qt::DropAction Drop(const QList<QUrl>& urls,
                    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    data.setUrls(urls);
    for (const QEvent::Type type : {QEvent::DragEnter, QEvent::Drop}) {
        QDropEvent event(QPointF(500, 400), offered, &data, Qt::LeftButton, Qt::NoModifier, type);
        QApplication::sendEvent(FormMain, &event);
        if (!event.isAccepted())
            return Qt::IgnoreAction;
        if (type == QEvent::Drop)
            return event.dropAction();
    }
    return Qt::IgnoreAction;
}

// The current folder and the home folder for one test, put back however it
// ends.
struct PlaceScope {
    PlaceScope(const QString& current, const QString& home) {
        qputenv("HOME", home.toLocal8Bit());
        QDir::setCurrent(current);
    }
    ~PlaceScope() {
        qputenv("HOME", home_);
        QDir::setCurrent(current_);
    }
    const QString current_ = QDir::currentPath();
    const QByteArray home_ = qgetenv("HOME");
};

} // namespace

class TestDesktopFiles : public QObject {
    Q_OBJECT
private slots:
    void dialogsStartWhereReportsAreAndLeaveOnlyTheSettings();
    void aDroppedFileOpensAsOpenFileWould();
};

// First in this program: Qt finds the configuration folder only once.
void TestDesktopFiles::dialogsStartWhereReportsAreAndLeaveOnlyTheSettings() {
    QTemporaryDir place;
    const QString home = place.filePath("home"), documents = home + "/Documents",
                  programs = place.filePath("bin"), reports = place.filePath("reports"),
                  report = reports + "/ABC.vrx", notes = place.filePath("notes.vrx");
    QVERIFY(QDir().mkpath(documents) && QDir().mkpath(programs) && QDir().mkpath(reports));
    QVERIFY(SaveSample(report));
    QFile(notes).open(QIODevice::WriteOnly);
    // The German launcher starts the program in its own folder, which
    // nobody may write (no write bit: not even root).
    QFile::setPermissions(programs,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    PlaceScope at(programs, home);
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Kurt\n"));
    fx.Start();
    const QString title = FormMain->windowTitle();
    QCOMPARE(OpenDialogFolder(), documents);
    QDir::setCurrent(reports);
    // Made at first use, they still open where the program started.
    QCOMPARE(FormCompany->PictureDialog()->directory().absolutePath(), documents);
    QCOMPARE(FormChangeSens->SensorFileDialog()->directory().absolutePath(), documents);
    QCOMPARE(OpenDialogFolder(), reports);
    QDir::setCurrent(programs);

    // Options and several names are no report; a file that is no report
    // gets the open error; a name relative to the current folder opens.
    FormMain->OpenReportArgument({Program, QStringLiteral("-style")});
    FormMain->OpenReportArgument({Program, report, report});
    QCOMPARE(FormMain->windowTitle(), title);
    fx.Answers().Expect(mrCancel);
    FormMain->OpenReportArgument({Program, notes});
    QCOMPARE(FormMain->windowTitle(), title);
    QDir::setCurrent(reports);
    FormMain->OpenReportArgument({Program, QStringLiteral("ABC.vrx")});
    QDir::setCurrent(programs);
    QCOMPARE(FormMain->windowTitle(), "VRX-310: " + report);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("ABC"));
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QVERIFY(FormMain->ActionFilePrint->isEnabled());
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error opening file!"));
    QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{QStringLiteral("Cancel")});

    // From now on the dialogs start beside the last report, also after a
    // file that did not open elsewhere.
    QCOMPARE(OpenDialogFolder(), reports);
    fx.Answers().Expect(mrCancel);
    FormMain->OpenReportArgument({Program, notes});
    QCOMPARE(OpenDialogFolder(), reports);

    QVERIFY(FormMain->close());
    fx.Stop();
    const QDir config = QFileInfo(fx.SettingsPath()).dir();
    QCOMPARE(config.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("VRX310.ini")});
}

void TestDesktopFiles::aDroppedFileOpensAsOpenFileWould() {
    QTemporaryDir place;
    const QString report = place.filePath("ABC.vrx"), notes = place.filePath("notes.vrx");
    QVERIFY(SaveSample(report));
    QFile(notes).open(QIODevice::WriteOnly);
    MainWindowFixture fx;
    fx.Start();
    const QString title = FormMain->windowTitle();

    // One local file, taken as a copy only: a move would delete it.
    const QUrl file = QUrl::fromLocalFile(report);
    QCOMPARE(Drop({file}, Qt::MoveAction), Qt::IgnoreAction);
    QCOMPARE(Drop({file, QUrl::fromLocalFile(notes)}), Qt::IgnoreAction);
    QCOMPARE(Drop({QUrl::fromLocalFile(place.path())}), Qt::IgnoreAction);
    QCOMPARE(Drop({QUrl(QStringLiteral("https://example.org/ABC.vrx"))}), Qt::IgnoreAction);
    QCoreApplication::processEvents();
    QCOMPARE(FormMain->windowTitle(), title);

    // A file that is no report: the open error, the window as it was.
    fx.Answers().Expect(mrCancel);
    QCOMPARE(Drop({QUrl::fromLocalFile(notes)}), Qt::CopyAction);
    QTRY_COMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error opening file!"));
    QCOMPARE(FormMain->windowTitle(), title);

    // Over an unsaved reading, as Open File: the question first.
    FormMain->ActionDeviceRead->trigger();
    QVERIFY(FormMain->Report().Unsaved);
    fx.Answers().Expect(mrNo);
    QCOMPARE(Drop({file}), Qt::CopyAction);
    QTRY_COMPARE(FormMain->windowTitle(), "VRX-310: " + report);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("ABC"));
    QVERIFY(!FormMain->Report().Unsaved);
    QCOMPARE(fx.Answers().Shown().size(), 2);
    QVERIFY(QFile::exists(report));
}

QTEST_MAIN(TestDesktopFiles)
#include "test_desktop_files.moc"
