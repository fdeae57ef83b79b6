// Saving and opening report files through the real main window on the
// simulated tester; file dialogs and questions answered as a user would.
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_msg.h"
#include "fileio/safe_file.h"
#include "freebase/freebase.h"
#include "report/report_file.h"
#include "settings/settings_file.h"
#include "text/date_format.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <deque>

namespace {

// Answers the file dialogs from a queue of paths (empty: Cancel) by typing
// the path into the name field, and the dialog's own questions: "replace?"
// from a queue, a note ("not found") by giving up on the dialog.
class FileDialogDriver : public QObject {
public:
    struct Seen {
        QString Title, Proposal; // the name field as the dialog came up
        QFileDialog::FileMode Mode;
    };
    FileDialogDriver() {
        connect(&timer_, &QTimer::timeout, this, &FileDialogDriver::Poll);
        timer_.start(20);
    }
    void Choose(const QString& path) { files_.push_back(path); }
    void AnswerReplace(bool yes) { replace_.push_back(yes); }
    QList<Seen> Dialogs, Unexpected;
    QStringList Questions, Notes;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            auto* owner = qobject_cast<QFileDialog*>(box->parentWidget());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            if (!owner)
                return;
            if (!yes) {
                Notes << box->text();
                box->accept();
                QMetaObject::invokeMethod(owner, &QDialog::reject, Qt::QueuedConnection);
                return;
            }
            Questions << box->text();
            const bool answer = !replace_.empty() && replace_.front();
            if (!replace_.empty())
                replace_.pop_front();
            if (!answer)
                pending_.clear();
            (answer ? yes : box->button(QMessageBox::No))->click();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (dialog != current_) {
            current_ = dialog;
            const Seen seen{dialog->windowTitle(), edit ? edit->text() : QString(),
                            dialog->fileMode()};
            (files_.empty() ? Unexpected : Dialogs) << seen;
            pending_ = files_.empty() ? QString() : files_.front();
            if (!files_.empty())
                files_.pop_front();
        }
        if (pending_.isEmpty() || !edit) {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
        // Every tick while the dialog stays: its folder view loads in the
        // background and may reset the field. Queued: a question runs its
        // own loop inside accept.
        edit->setText(pending_);
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    }

    QTimer timer_;
    QPointer<QFileDialog> current_;
    QString pending_;
    std::deque<QString> files_;
    std::deque<bool> replace_;
};

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A report as the Windows program writes it: Windows-1252 texts.
MeasurementReport SampleReport(const std::string& op) {
    MeasurementReport r;
    r.Compression = {1285, 1310, 852, 1274, -1, 0, -1, -1, -1, -1, -1, -1};
    r.CompressionAssignment = {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
    r.CarID = "B-\xC4X 42"; // A umlaut
    r.Operator = op;
    r.Unit = unitKPa;
    r.Texts.DeviceSN = "VRX310-24-00815";
    return r;
}

// Formats in force for one test, put back afterwards.
struct FormatsScope {
    explicit FormatsScope(bool german) : saved(CurrentDateFormats()) {
        CurrentDateFormats().DateSeparator = german ? '.' : '-';
        CurrentDateFormats().ShortDateFormat = german ? "dd/mm/yyyy" : "yyyy/mm/dd";
    }
    ~FormatsScope() { CurrentDateFormats() = saved; }
    DateFormats saved;
};

QStringList Texts(const QList<ShownMessage>& shown) {
    QStringList out;
    for (const ShownMessage& m : shown)
        out << m.Text;
    return out;
}

const QString SaveError = QStringLiteral("Error saving file!");
const QString OpenError = QStringLiteral("Error opening file!");

// A full disk for the test's saves; lifted again however the test ends.
struct WriteLimit {
    explicit WriteLimit(std::int64_t bytes) { safefile::SetWriteLimitForTesting(bytes); }
    ~WriteLimit() { safefile::SetWriteLimitForTesting(-1); }
};

MeasurementReport Reopened(const QString& path) {
    MeasurementReport back;
    std::string error;
    if (!LoadReportFile(Local(path), &back, &error))
        qWarning("%s: %s", qPrintable(path), error.c_str());
    return back;
}

} // namespace

class TestReportFiles : public QObject {
    Q_OBJECT
private slots:
    void openingFillsTheWindowAndLeavesTheFileAsItWas();
    void operatorNamesOnOpening();
    void badFilesAreNotOpened();
    void proposedNameFollowsTheDateFormat();
    void bothQuestionsComeBeforeAnyDialog();
    void savingWritesWhatYouSeeAndEndsTheUnsavedState();
    void failedSavesAreReportedAndKeepTheReportUnsaved();
    void savesAfterOpeningReachTheFile();
    void aFullDiskOrAReadOnlyFileKeepsTheOldReport();
    void pipesAndHostileFilesDoNotStopTheWindow();

private:
    QTemporaryDir files_;
    QString File(const char* name) const { return files_.filePath(QLatin1String(name)); }
};

void TestReportFiles::openingFillsTheWindowAndLeavesTheFileAsItWas() {
    const QString path = File("open.vrx");
    QVERIFY(
        SaveReportFile(Local(path), SampleReport("Kurt"), true, "06.12.2026 -- 10:11", nullptr));
    const QByteArray before = FileBytes(path);
    const QDateTime stamp = QFileInfo(path).lastModified();
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Kurt\n2=Otto\n"));
    fx.Start();
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileOpen->trigger();

    QCOMPARE(files.Dialogs.size(), 1);
    QCOMPARE(files.Dialogs[0].Title, QStringLiteral("Open Report"));
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("VRX-310: ") + path);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QString::fromUtf8("B-\xC3\x84X 42"));
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);
    QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), int(unitKPa));
    QCOMPARE(FormMain->LabelDateTime->text(), QStringLiteral("06.12.2026 -- 10:11"));
    QCOMPARE(FormMain->LabelDeviceSN->text(), QStringLiteral("VRX310-24-00815"));
    QCOMPARE(FormMain->Selectors()[0]->currentIndex(), 2);
    QCOMPARE(FormMain->Selectors()[11]->currentIndex(), 0);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(FormMain->ActionFilePrint->isEnabled());
    QVERIFY(FormMain->CheckBox2->isChecked() && FormMain->CheckBox3->isChecked());
    QCOMPARE(FormMain->Report().Compression[3], std::int16_t(1274));
    QVERIFY(!FormMain->Report().Unsaved);

    // Closing asks nothing, and the file is as it was, byte for byte.
    QVERIFY(FormMain->close());
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(FileBytes(path), before);
    QCOMPARE(QFileInfo(path).lastModified(), stamp);
}

void TestReportFiles::operatorNamesOnOpening() {
    const QString lower = File("lower.vrx"), none = File("none.vrx");
    QVERIFY(SaveReportFile(Local(lower), SampleReport("kurt"), false, "d", nullptr));
    QVERIFY(SaveReportFile(Local(none), SampleReport(""), false, "d", nullptr));
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Kurt\n1=Anna\n"));
    fx.Start();
    FileDialogDriver files;

    // Letter case counts: "kurt" is a new name, listed and stored.
    files.Choose(lower);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 2);
    QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("kurt"));
    QCOMPARE(SettingsFile(Local(fx.SettingsPath())).ReadString("Names", "2", ""),
             std::string("kurt"));

    // No operator in the file: the last listed name. The changed operator
    // is let go.
    FormMain->ComboBoxNames->setCurrentIndex(0);
    files.Choose(none);
    fx.Answers().Expect(mrNo);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 2);
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
}

void TestReportFiles::badFilesAreNotOpened() {
    const QString text = File("text.vrx"), missing = File("missing.vrx");
    WriteBytes(text, "no report");
    MainWindowFixture fx;
    fx.Start();
    const QString title = FormMain->windowTitle();
    FileDialogDriver files;
    files.Choose(text);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(Texts(fx.Answers().Shown()), QStringList{QStringLiteral("Error opening file!")});
    QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{QStringLiteral("Cancel")});

    // A name that does not exist: the dialog itself refuses it.
    files.Choose(missing);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(files.Notes.size(), 1);
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(FormMain->windowTitle(), title);
    QCOMPARE(FileBytes(text), QByteArray("no report"));
}

void TestReportFiles::proposedNameFollowsTheDateFormat() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FileDialogDriver files; // every dialog cancelled
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    for (const bool german : {true, false}) {
        FormatsScope formats(german);
        FormMain->ActionFileSaveExecute();
        QCOMPARE(CurrentDateFormats().DateSeparator, german ? '.' : '-');
    }
    // A folder separator in the vehicle name does not lead into a folder.
    FormMain->LabeledEditCarID->setText(QStringLiteral("HH/AB"));
    FormMain->ActionFileSaveExecute();

    const QDate today = QDate::currentDate();
    QCOMPARE(files.Unexpected.size(), 3);
    QCOMPARE(files.Unexpected[0].Title, QStringLiteral("Save Report"));
    QCOMPARE(files.Unexpected[0].Proposal, "ABC_" + today.toString(QStringLiteral("dd-MM-yyyy")));
    QCOMPARE(files.Unexpected[1].Proposal, "ABC_" + today.toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY(files.Unexpected[2].Proposal.startsWith(QStringLiteral("HH_AB_")));
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(FormMain->Report().FileName.empty());
}

void TestReportFiles::bothQuestionsComeBeforeAnyDialog() {
    MainWindowFixture fx;
    fx.Start(); // no operator names: the operator is empty
    FileDialogDriver files;
    for (int cancelled : {0, 1}) {
        fx.Answers().Expect(cancelled == 0 ? mrCancel : mrOk);
        fx.Answers().Expect(cancelled == 1 ? mrCancel : mrOk);
        FormMain->ActionFileSaveExecute();
    }
    QCOMPARE(files.Unexpected.size(), 0);
    const QString car = QStringLiteral("No car identification declared.");
    const QString op = QStringLiteral("No operator name declared. ");
    QCOMPARE(Texts(fx.Answers().Shown()), (QStringList{car, op, car, op}));
    QCOMPARE(fx.Answers().Shown()[0].Buttons, (QStringList{"OK", "Cancel"}));
    fx.Answers().Expect(mrOk);
    fx.Answers().Expect(mrOk);
    FormMain->ActionFileSaveExecute(); // OK on both: on to the dialog
    QCOMPARE(files.Unexpected.size(), 1);
}

void TestReportFiles::savingWritesWhatYouSeeAndEndsTheUnsavedState() {
    FormatsScope german(true);
    MainWindowFixture fx;
    fx.WriteState(StateValues({1285, 1310, 852}, {62, 81, 348}));
    fx.WriteSettings(QString::fromLatin1("[Names]\n0=M\xFCller\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    FormMain->Selectors()[2]->setCurrentIndex(0);  // compression position 3: none
    FormMain->Selectors()[13]->setCurrentIndex(3); // leakage position 2: slot 3
    FormMain->SAYSCheckBox->setChecked(true);
    const QString path = File("saved.vrx");
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileSave->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(!FormMain->SAYSCheckBox->isChecked());
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("VRX-310: ") + path);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("report saved"));
    const QString shown = FormMain->LabelDateTime->text();
    QCOMPARE(shown.left(10), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    MeasurementReport back;
    QVERIFY(LoadReportFile(Local(path), &back, nullptr));
    QCOMPARE(back.CompressionAssignment[2], 0);
    QCOMPARE(back.LeakageAssignment[1], 3);
    QCOMPARE(back.Compression[1], std::int16_t(1310));
    QCOMPARE(back.Operator, std::string("M\xFCller"));
    QCOMPARE(QString::fromStdString(back.DateandTime), shown);

    // Reopened (the changed selector let go), position 3 shows none again;
    // closing asks nothing.
    FormMain->Selectors()[2]->setCurrentIndex(3);
    files.Choose(path);
    fx.Answers().Expect(mrNo);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(FormMain->Selectors()[2]->currentIndex(), 0);
    QCOMPARE(FormMain->Selectors()[13]->currentIndex(), 3);
    QVERIFY(FormMain->close());
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text,
             QStringLiteral("The current report is not saved! Save now?"));
}

void TestReportFiles::failedSavesAreReportedAndKeepTheReportUnsaved() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    const QString title = FormMain->windowTitle();
    FileDialogDriver files;

    // An existing file that is no report database: replaced? yes; left alone.
    const QString notes = File("notes.vrx");
    WriteBytes(notes, "workshop notes");
    files.Choose(notes);
    files.AnswerReplace(true);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSaveExecute();
    QCOMPARE(files.Questions.size(), 1);
    QCOMPARE(FileBytes(notes), QByteArray("workshop notes"));

    // The final write fails: the disk is full.
    const QString path = File("fail.vrx");
    WriteLimit full(0);
    files.Choose(path);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSaveExecute();
    QCOMPARE(Texts(fx.Answers().Shown()), (QStringList{SaveError, SaveError}));
    QCOMPARE(fx.Answers().Shown()[1].Buttons, QStringList{QStringLiteral("Cancel")});
    QVERIFY(FormMain->Report().Unsaved);
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QCOMPARE(FormMain->windowTitle(), title);
    QVERIFY(FormMain->StatusText(3) != QStringLiteral("report saved"));
    QVERIFY(!QFile::exists(path)); // no empty file left behind

    // Closing: Yes saves, the write fails again, the window stays open.
    fx.Answers().Expect(mrYes);
    files.Choose(path);
    fx.Answers().Expect(mrCancel);
    QVERIFY(!FormMain->close());
    QVERIFY(FormMain->isVisible());
    QCOMPARE(
        Texts(fx.Answers().Shown()).mid(2),
        (QStringList{QStringLiteral("The current report is not saved! Save now?"), SaveError}));

    // Once there is room again, the same close saves and ends.
    safefile::SetWriteLimitForTesting(-1);
    fx.Answers().Expect(mrYes);
    files.Choose(path);
    QVERIFY(FormMain->close());
    MeasurementReport back;
    QVERIFY(LoadReportFile(Local(path), &back, nullptr));
    QCOMPARE(back.CarID, std::string("ABC"));
    QCOMPARE(files.Unexpected.size(), 0);
}

void TestReportFiles::savesAfterOpeningReachTheFile() {
    MainWindowFixture fx;
    fx.WriteState(StateValues({1285, 1310, 852}, {62, 81, 348}));
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    const QString path = File("journey.vrx"), copy = File("journey-copy.vrx");
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileSave->trigger();
    const QByteArray first = FileBytes(path);
    QCOMPARE(Reopened(path).Unit, int(unitBar));

    // Opened, another unit chosen, saved over the same file.
    files.Choose(path);
    FormMain->ActionFileOpen->trigger();
    ChooseInList(FormMain->ComboBoxUnit, unitPsi);
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    files.Choose(path);
    files.AnswerReplace(true);
    FormMain->ActionFileSave->trigger();
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("report saved"));
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    const QByteArray second = FileBytes(path);
    QVERIFY(second != first);
    QCOMPARE(Reopened(path).Unit, int(unitPsi));

    // Reopened it shows the change; a slot moved and saved as seen under a
    // new name gives a second valid report and leaves the first alone.
    files.Choose(path);
    FormMain->ActionFileOpen->trigger();
    QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), int(unitPsi));
    ChooseInList(FormMain->Selectors()[0], 3);
    FormMain->SAYSCheckBox->setChecked(true);
    files.Choose(copy);
    FormMain->ActionFileSave->trigger();
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("VRX-310: ") + copy);
    const MeasurementReport saved = Reopened(copy);
    QCOMPARE(saved.CompressionAssignment[0], 3);
    QCOMPARE(saved.Compression[2], std::int16_t(852));
    QCOMPARE(saved.CarID, std::string("ABC"));
    QCOMPARE(saved.Unit, int(unitPsi));
    QCOMPARE(FileBytes(path), second);

    // Opened once more, the vehicle edited, and Yes to the question on closing.
    files.Choose(path);
    FormMain->ActionFileOpen->trigger();
    QTest::keyClicks(FormMain->LabeledEditCarID, QStringLiteral("-9"));
    fx.Answers().Expect(mrYes);
    files.Choose(path);
    files.AnswerReplace(true);
    QVERIFY(FormMain->close());
    QCOMPARE(Reopened(path).CarID, std::string("ABC-9"));
    QCOMPARE(Reopened(path).Unit, int(unitPsi));
    QCOMPARE(Texts(fx.Answers().Shown()),
             QStringList{QStringLiteral("The current report is not saved! Save now?")});
    QCOMPARE(files.Unexpected.size(), 0);
}

void TestReportFiles::aFullDiskOrAReadOnlyFileKeepsTheOldReport() {
    QTemporaryDir here;
    const QString path = here.filePath(QStringLiteral("kept.vrx"));
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileSave->trigger();
    const QByteArray before = FileBytes(path);
    QCOMPARE(Reopened(path).Unit, int(unitBar));

    files.Choose(path);
    FormMain->ActionFileOpen->trigger();
    ChooseInList(FormMain->ComboBoxUnit, unitKPa);
    const QString shownDate = FormMain->LabelDateTime->text();
    {
        WriteLimit full(100);
        files.Choose(path);
        files.AnswerReplace(true);
        fx.Answers().Expect(mrCancel);
        FormMain->ActionFileSave->trigger();
    }
    QCOMPARE(Texts(fx.Answers().Shown()), QStringList{SaveError});
    QCOMPARE(FileBytes(path), before);
    QCOMPARE(QDir(here.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("kept.vrx")});
    QVERIFY(FormMain->ActionFileSave->isEnabled());
    QVERIFY(FormMain->Report().Unsaved);
    QCOMPARE(FormMain->LabelDateTime->text(), shownDate);

    // A report the user may only read is not written over.
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path, readOnly));
    files.Choose(path);
    files.AnswerReplace(true);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSave->trigger();
    QCOMPARE(Texts(fx.Answers().Shown()), (QStringList{SaveError, SaveError}));
    QCOMPARE(FileBytes(path), before);
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(path) & ~userBits, readOnly);
    QVERIFY(FormMain->Report().Unsaved);

    // Writable again: the next save writes.
    QVERIFY(QFile::setPermissions(path, readOnly | QFile::WriteOwner));
    files.Choose(path);
    files.AnswerReplace(true);
    FormMain->ActionFileSave->trigger();
    QCOMPARE(fx.Answers().Shown().size(), 2);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("report saved"));
    QVERIFY(!FormMain->Report().Unsaved);
    QVERIFY(FileBytes(path) != before);
    QCOMPARE(Reopened(path).Unit, int(unitKPa));
    QCOMPARE(files.Unexpected.size(), 0);
}

void TestReportFiles::pipesAndHostileFilesDoNotStopTheWindow() {
    QTemporaryDir here;
    {
        const QString settings = QString::fromLatin1("[Company]\nName=Werkstatt Nord\n"
                                                     "City=Kiel\n[Names]\n0=Anna\n1=Kurt\n");
        MainWindowFixture fx;
        fx.WriteSettings(settings);
        fx.Start();
        FileDialogDriver files;

        // A pipe chosen in Open File is refused at once.
        const QString pipe = here.filePath(QStringLiteral("pipe.vrx"));
        QCOMPARE(::mkfifo(Local(pipe).c_str(), 0600), 0);
        {
            PipeWatchdog watchdog(pipe, 5000);
            files.Choose(pipe);
            fx.Answers().Expect(mrCancel);
            FormMain->ActionFileOpen->trigger();
            QVERIFY2(!watchdog.Released(), "Open File waited on the pipe");
        }
        QCOMPARE(Texts(fx.Answers().Shown()), QStringList{OpenError});

        // Two reports whose operators are megabytes long: each new name joins
        // the list and the settings file, cut to a name's length, and the file
        // keeps everything it held.
        const std::size_t huge = 12u << 20;
        for (const char letter : {'O', 'P'}) {
            const QString path = here.filePath(QStringLiteral("hostile-%1.vrx").arg(letter));
            TFreeBase db;
            db.SetFileName(Local(path));
            db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
            QVERIFY(db.Open());
            QVERIFY(WriteReport(db, SampleReport(std::string(huge, letter)), false, "d"));
            db.Close();
            QCOMPARE(db.LastError(), 0);
            files.Choose(path);
            FormMain->ActionFileOpen->trigger();
            QVERIFY(FormMain->windowTitle().endsWith(path));
            QVERIFY(!FormMain->ComboBoxNames->currentText().isEmpty());
            QVERIFY(FormMain->ComboBoxNames->currentText().size() <= 255);
            QCOMPARE(FormMain->ComboBoxNames->currentText(),
                     QString(FormMain->ComboBoxNames->currentText().size(), QLatin1Char(letter)));
        }
        QCOMPARE(fx.Answers().Shown().size(), 1);
        QCOMPARE(FormMain->ComboBoxNames->count(), 4);
        QVERIFY(fx.SettingsBytes().size() < 4096);
        SettingsFile back(Local(fx.SettingsPath()));
        QCOMPARE(ReadCompanyDetails(back).Name, std::string("Werkstatt Nord"));
        QCOMPARE(ReadCompanyDetails(back).City, std::string("Kiel"));
        const OperatorNames names = ReadOperatorNames(back);
        QCOMPARE(names.size(), std::size_t(4));
        QCOMPARE(names[1], std::string("Kurt"));
        // The list and the file hold the same cut names.
        for (int i : {2, 3})
            QCOMPARE(QString::fromStdString(names[i]), FormMain->ComboBoxNames->itemText(i));
    }

    {
        // A pipe in place of the settings file: the window starts with
        // its defaults and closes.
        MainWindowFixture fx;
        fx.WriteSettings(QString());
        QVERIFY(QFile::remove(fx.SettingsPath()));
        QCOMPARE(::mkfifo(Local(fx.SettingsPath()).c_str(), 0600), 0);
        PipeWatchdog watchdog(fx.SettingsPath(), 5000);
        fx.Start();
        QCOMPARE(FormMain->ComboBoxNames->count(), 0);
        QCOMPARE(FormMain->pos(), QPoint(10, 10));
        QVERIFY(FormMain->close());
        QVERIFY2(!watchdog.Released(), "the window waited on the settings pipe");
    }
}

QTEST_MAIN(TestReportFiles)
#include "test_report_files.moc"
