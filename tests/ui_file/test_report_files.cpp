// Saving and opening report files through the real main window on the
// simulated tester; file dialogs and questions answered as a user would.
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_msg.h"
#include "freebase/fb_file.h"
#include "report/report_file.h"
#include "text/date_format.h"

#include <QAbstractButton>
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

#include <deque>

namespace {

// Answers the file dialogs and the dialog's own "replace?" question, from
// queues; an unexpected one is cancelled and recorded.
class FileDialogDriver : public QObject {
public:
    struct Seen {
        QString Title;
        QString Proposal; // the file name field as the dialog came up
        QFileDialog::FileMode Mode;
    };

    FileDialogDriver() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, &FileDialogDriver::Poll);
        timer_.start();
    }
    void Choose(const QString& path) { files_.push_back(path); }
    void Cancel() { files_.push_back(QString()); }
    void AnswerReplace(bool yes) { replace_.push_back(yes); }
    const QList<Seen>& Dialogs() const { return seen_; }
    int Unexpected() const { return unexpected_; }
    QStringList Replaced() const { return replaceTexts_; }
    QStringList Notes() const { return notes_; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            auto* owner = qobject_cast<QFileDialog*>(box->parentWidget());
            if (!owner)
                return;
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* no = box->button(QMessageBox::No);
            if (!yes || !no) {
                // A note such as "file not found": the dialog stays open,
                // so the user gives up on it.
                notes_ << box->text();
                box->accept();
                QMetaObject::invokeMethod(owner, &QDialog::reject, Qt::QueuedConnection);
                return;
            }
            replaceTexts_ << box->text();
            if (replace_.empty()) {
                ++unexpected_;
                pending_.clear(); // give up on this dialog
                no->click();
                return;
            }
            const bool answer = replace_.front();
            replace_.pop_front();
            if (!answer)
                pending_.clear();
            (answer ? yes : no)->click();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        if (dialog != current_) {
            current_ = dialog;
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            seen_ << Seen{dialog->windowTitle(), edit ? edit->text() : QString(),
                          dialog->fileMode()};
            pending_.clear();
            if (files_.empty())
                ++unexpected_;
            else {
                pending_ = files_.front();
                files_.pop_front();
            }
        }
        if (pending_.isEmpty()) {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
        // Typed into the name field, as a user would: selectFile() leaves
        // a field that has the focus alone.
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(pending_);
        // Queued: a "replace?" question runs its own loop inside accept.
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    }

    QTimer timer_;
    QPointer<QFileDialog> current_;
    QString pending_; // the path for the dialog shown now; empty: cancel
    std::deque<QString> files_;
    std::deque<bool> replace_;
    QList<Seen> seen_;
    QStringList replaceTexts_;
    QStringList notes_;
    int unexpected_ = 0;
};

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A report as the Windows program would have written it.
MeasurementReport SampleReport(const std::string& op) {
    MeasurementReport r;
    r.Compression = {1285, 1310, 852, 1274, -1, 0, -1, -1, -1, -1, -1, -1};
    r.Leakage = {62, 81, 348, 55, -1, 7, -1, -1, -1, -1, -1, -1};
    r.CompressionAssignment = {2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
    r.LeakageAssignment = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    r.CarID = "B-\xC4X 42"; // A umlaut
    r.Operator = op;
    r.Unit = unitKPa;
    r.Texts.DeviceSN = "VRX310-24-00815";
    r.Texts.SensorSN = "S-1";
    return r;
}

QString SettingsName(const MainWindowFixture& fx, int index) {
    SettingsFile settings(Local(fx.SettingsPath()));
    return QString::fromStdString(settings.ReadString("Names", std::to_string(index), "<none>"));
}

// Formats in force for one test, put back afterwards.
struct FormatsScope {
    explicit FormatsScope(bool german) : saved(CurrentDateFormats()) {
        DateFormats& f = CurrentDateFormats();
        f.DateSeparator = german ? '.' : '-';
        f.ShortDateFormat = german ? "dd/mm/yyyy" : "yyyy/mm/dd";
        f.LongTimeFormat = "hh:mm:ss";
    }
    ~FormatsScope() { CurrentDateFormats() = saved; }
    DateFormats saved;
};

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
    void savingOntoAFileThatIsNoReportIsReported();
    void aFailedWriteKeepsTheReportUnsaved();

private:
    QTemporaryDir files_;
    QString File(const QString& name) const { return files_.filePath(name); }
};

void TestReportFiles::openingFillsTheWindowAndLeavesTheFileAsItWas() {
    const QString path = File(QStringLiteral("open.vrx"));
    QVERIFY(
        SaveReportFile(Local(path), SampleReport("Kurt"), true, "06.12.2026 -- 10:11:12", nullptr));
    const QByteArray before = FileBytes(path);
    const QDateTime stamp = QFileInfo(path).lastModified();

    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Kurt\n2=Otto\nLastUser=0\n"));
    fx.Start();
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileOpen->trigger();

    QCOMPARE(files.Dialogs().size(), 1);
    QCOMPARE(files.Dialogs()[0].Title, QStringLiteral("Open Report"));
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("VRX-310: ") + path);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QString::fromUtf8("B-\xC3\x84X 42"));
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 1);
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);
    QCOMPARE(FormMain->ComboBoxUnit->currentIndex(), int(unitKPa));
    QCOMPARE(FormMain->LabelDateTime->text(), QStringLiteral("06.12.2026 -- 10:11:12"));
    QCOMPARE(FormMain->LabelDeviceSN->text(), QStringLiteral("VRX310-24-00815"));
    QCOMPARE(FormMain->Selectors()[0]->currentIndex(), 2);
    QCOMPARE(FormMain->Selectors()[11]->currentIndex(), 0);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures read"));
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(FormMain->ActionFilePrint->isEnabled());
    QVERIFY(FormMain->CheckBox2->isChecked() && FormMain->CheckBox3->isChecked() &&
            FormMain->CheckBox4->isChecked());
    const MeasurementReport& r = FormMain->Report();
    QCOMPARE(r.Compression[3], std::int16_t(1274));
    QCOMPARE(r.Leakage[2], std::int16_t(348));
    QCOMPARE(r.FileName, Local(path));
    QVERIFY(!r.Unsaved);

    // Closing asks nothing, and the file is as it was, byte for byte.
    QVERIFY(FormMain->close());
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(FileBytes(path), before);
    QCOMPARE(QFileInfo(path).lastModified(), stamp);
}

void TestReportFiles::operatorNamesOnOpening() {
    const QString lower = File(QStringLiteral("lower.vrx"));
    const QString none = File(QStringLiteral("none.vrx"));
    QVERIFY(SaveReportFile(Local(lower), SampleReport("kurt"), false, "d", nullptr));
    QVERIFY(SaveReportFile(Local(none), SampleReport(""), false, "d", nullptr));

    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Kurt\n1=Anna\nLastUser=0\n"));
    fx.Start();
    FileDialogDriver files;

    // Letter case counts: "kurt" is a new name, listed and stored.
    files.Choose(lower);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 2);
    QCOMPARE(FormMain->ComboBoxNames->currentText(), QStringLiteral("kurt"));
    QCOMPARE(SettingsName(fx, 2), QStringLiteral("kurt"));
    QCOMPARE(FormMain->Operators().size(), std::size_t(3));

    // No operator in the file: the last listed name.
    FormMain->ComboBoxNames->setCurrentIndex(0);
    files.Choose(none);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);
    QCOMPARE(FormMain->ComboBoxNames->currentIndex(), 2);
    QVERIFY(!FormMain->Report().Unsaved);
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QCOMPARE(files.Unexpected(), 0);
}

void TestReportFiles::badFilesAreNotOpened() {
    const QString text = File(QStringLiteral("text.vrx"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no report");
    }
    MainWindowFixture fx;
    fx.Start();
    FileDialogDriver files;
    const QString title = FormMain->windowTitle();

    files.Choose(text);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error opening file!"));
    QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{QStringLiteral("Cancel")});
    QCOMPARE(FormMain->windowTitle(), title);
    QCOMPARE(FileBytes(text), QByteArray("no report"));

    // A name that does not exist is refused by the dialog; nothing is made.
    const QString missing = File(QStringLiteral("missing.vrx"));
    files.Choose(missing);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(files.Notes().size(), 1);
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(files.Dialogs()[1].Mode, QFileDialog::ExistingFile);
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(FormMain->windowTitle(), title);
}

void TestReportFiles::proposedNameFollowsTheDateFormat() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FileDialogDriver files;
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    const QStringList filesBefore = QDir(files_.path()).entryList(QDir::Files);
    {
        FormatsScope german(true);
        files.Cancel();
        FormMain->ActionFileSaveExecute();
        // The separator of every other date stays ".".
        QCOMPARE(CurrentDateFormats().DateSeparator, '.');
    }
    {
        FormatsScope english(false);
        files.Cancel();
        FormMain->ActionFileSaveExecute();
    }
    // A folder separator in the vehicle name stays inside the file name.
    FormMain->LabeledEditCarID->setText(QStringLiteral("HH/AB"));
    files.Cancel();
    FormMain->ActionFileSaveExecute();

    const QDate today = QDate::currentDate();
    QCOMPARE(files.Dialogs().size(), 3);
    QCOMPARE(files.Dialogs()[0].Title, QStringLiteral("Save Report"));
    QCOMPARE(files.Dialogs()[0].Proposal, QStringLiteral("ABC_") + today.toString("dd-MM-yyyy"));
    QCOMPARE(files.Dialogs()[1].Proposal, QStringLiteral("ABC_") + today.toString("yyyy-MM-dd"));
    QVERIFY(files.Dialogs()[2].Proposal.startsWith(QStringLiteral("HH_AB_")));
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(QDir(files_.path()).entryList(QDir::Files), filesBefore); // nothing written
}

void TestReportFiles::bothQuestionsComeBeforeAnyDialog() {
    MainWindowFixture fx;
    fx.Start(); // no operator names: the operator is empty
    FileDialogDriver files;
    const QStringList expected = {QStringLiteral("No car identification declared."),
                                  QStringLiteral("No operator name declared. ")};

    fx.Answers().Expect(mrCancel);
    fx.Answers().Expect(mrOk);
    FormMain->ActionFileSaveExecute();
    fx.Answers().Expect(mrOk);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSaveExecute();

    QCOMPARE(fx.Answers().Shown().size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(fx.Answers().Shown()[i].Text, expected[i % 2]);
        QCOMPARE(fx.Answers().Shown()[i].Buttons,
                 (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    }
    QCOMPARE(files.Dialogs().size(), 0);

    // OK on both goes on to the dialog.
    fx.Answers().Expect(mrOk);
    fx.Answers().Expect(mrOk);
    files.Cancel();
    FormMain->ActionFileSaveExecute();
    QCOMPARE(files.Dialogs().size(), 1);
    QCOMPARE(fx.Answers().Unexpected(), 0);
}

void TestReportFiles::savingWritesWhatYouSeeAndEndsTheUnsavedState() {
    FormatsScope german(true);
    MainWindowFixture fx;
    fx.WriteState(StateValues({1285, 1310, 852}, {62, 81, 348}));
    fx.WriteSettings(QString::fromLatin1("[Names]\n0=M\xFCller\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    QVERIFY(FormMain->Report().Unsaved);
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    FormMain->Selectors()[2]->setCurrentIndex(0);      // position 3 shows none
    FormMain->Selectors()[12 + 1]->setCurrentIndex(3); // leakage position 2 shows slot 3
    FormMain->SAYSCheckBox->setChecked(true);

    const QString path = File(QStringLiteral("saved.vrx"));
    FileDialogDriver files;
    files.Choose(path);
    FormMain->ActionFileSave->trigger();

    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(!FormMain->SAYSCheckBox->isChecked());
    QVERIFY(!FormMain->ActionFileSave->isEnabled());
    QVERIFY(!FormMain->Report().Unsaved);
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("VRX-310: ") + path);
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("report saved"));
    const QString shown = FormMain->LabelDateTime->text();
    QCOMPARE(shown.left(10), QDate::currentDate().toString("dd.MM.yyyy"));

    MeasurementReport back;
    std::string error;
    QVERIFY2(LoadReportFile(Local(path), &back, &error), error.c_str());
    QCOMPARE(back.CompressionAssignment[2], 0);
    QCOMPARE(back.LeakageAssignment[1], 3);
    QCOMPARE(back.CompressionAssignment[3], 4);
    QCOMPARE(back.Compression[1], std::int16_t(1310));
    QCOMPARE(back.Operator, std::string("M\xFCller"));
    QCOMPARE(back.CarID, std::string("ABC"));
    QCOMPARE(QString::fromStdString(back.DateandTime), shown);
    QCOMPARE(back.Texts.DeviceSN, std::string("VRX310-24-00815"));

    // Reopened, position 3 shows none again.
    FormMain->Selectors()[2]->setCurrentIndex(3);
    files.Choose(path);
    FormMain->ActionFileOpenExecute();
    QCOMPARE(FormMain->Selectors()[2]->currentIndex(), 0);
    QCOMPARE(FormMain->Selectors()[13]->currentIndex(), 3);

    // Saved: closing asks nothing.
    QVERIFY(FormMain->close());
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QCOMPARE(files.Unexpected(), 0);
}

void TestReportFiles::savingOntoAFileThatIsNoReportIsReported() {
    const QString path = File(QStringLiteral("notes.vrx"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("workshop notes");
    }
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FileDialogDriver files;
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    files.Choose(path);
    files.AnswerReplace(true);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSaveExecute();

    QCOMPARE(files.Replaced().size(), 1);
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error saving file!"));
    QCOMPARE(fx.Answers().Shown()[0].Buttons, QStringList{QStringLiteral("Cancel")});
    QCOMPARE(FileBytes(path), QByteArray("workshop notes"));
    QVERIFY(FormMain->StatusText(3) != QStringLiteral("report saved"));
}

void TestReportFiles::aFailedWriteKeepsTheReportUnsaved() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n"));
    fx.Start();
    FormMain->ActionDeviceRead->trigger();
    FormMain->LabeledEditCarID->setText(QStringLiteral("ABC"));
    const QString title = FormMain->windowTitle();

    // The new file is written beside the target first: a folder in that
    // place makes the final write fail, as a full disk would.
    const QString path = File(QStringLiteral("fail.vrx"));
    const QString temp = QString::fromStdString(fbfile::ReplacingFile::TempNameFor(Local(path)));
    QVERIFY(QDir().mkdir(temp));

    FileDialogDriver files;
    files.Choose(path);
    fx.Answers().Expect(mrCancel);
    FormMain->ActionFileSaveExecute();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QCOMPARE(fx.Answers().Shown()[0].Text, QStringLiteral("Error saving file!"));
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
    QCOMPARE(fx.Answers().Shown().size(), 3);
    QCOMPARE(fx.Answers().Shown()[1].Text,
             QStringLiteral("The current report is not saved! Save now?"));
    QCOMPARE(fx.Answers().Shown()[2].Text, QStringLiteral("Error saving file!"));

    // Once the way is clear, the same close saves and ends.
    QVERIFY(QDir().rmdir(temp));
    fx.Answers().Expect(mrYes);
    files.Choose(path);
    QVERIFY(FormMain->close());
    MeasurementReport back;
    QVERIFY(LoadReportFile(Local(path), &back, nullptr));
    QCOMPARE(back.CarID, std::string("ABC"));
    QCOMPARE(files.Unexpected(), 0);
}

QTEST_MAIN(TestReportFiles)
#include "test_report_files.moc"
