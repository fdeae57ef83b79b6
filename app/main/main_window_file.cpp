// Report files: saving the current report and opening a saved one, through
// the window's one database component FreeBase1, which is active only
// during one save or one open.
#include "app/main/main_window.h"
#include "dialogs/form_msg.h"
#include "dialogs/start_folder.h"
#include "freebase/freebase.h"
#include "platform/window_text.h"
#include "report/report_file.h"
#include "text/date_format.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalBlocker>

#include <cstdint>
#include <exception>

namespace {

// The folder of the last report opened or saved in this run; empty before.
QString& LastReportFolder() {
    static QString folder;
    return folder;
}

// The report dialogs' list of visited folders, for this run only.
QStringList& ReportDialogHistory() {
    static QStringList history;
    return history;
}

// Qt's file dialogs store their history, last folder and view in a settings
// file of their own beside VRX310.ini whenever one of them is destroyed. The
// program keeps no settings but its own: Qt's are sent into the read-only
// resource tree, where nothing can be written (on Windows that store is the
// registry, which this does not reach).
void KeepToolkitSettingsOffDisk() {
    const QString nowhere = QStringLiteral(":/vrx310-no-toolkit-settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

// The common file dialog of both operations. Not the platform's own, so that
// it looks the same everywhere and tests can answer it. Empty when cancelled.
QString ChooseReportFile(QWidget* parent, bool save, const QString& proposal) {
    QFileDialog dialog(parent, save ? QCoreApplication::translate("TFormMain", "Save Report")
                                    : QCoreApplication::translate("TFormMain", "Open Report"));
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilter(QCoreApplication::translate("TFormMain", "VRX-310 reports (*.vrx)"));
    dialog.setDefaultSuffix(QStringLiteral("vrx"));
    dialog.setSizeGripEnabled(true);
    // Saving asks before replacing a file (the dialog's default); opening
    // takes only files that exist, so it never creates one.
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(LastReportFolder().isEmpty() ? DefaultFileFolder() : LastReportFolder());
    dialog.setHistory(ReportDialogHistory());
    if (save)
        dialog.selectFile(proposal);
    const int result = dialog.exec();
    ReportDialogHistory() = dialog.history();
    if (result != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return QString();
    return files.first();
}

// Sets the database's open flag for one save or one open and, once that
// has ended however it ended, leaves the database inactive and puts the
// flag back. The flag cannot change while the database is active, so it
// is restored only after the Abort.
class OpenFlagScope {
public:
    OpenFlagScope(TFreeBase& db, TFBOpenFlag flag) : db_(db), saved_(db.OpenFlag()) {
        // Nothing outside one save or one open keeps the database active.
        if (db_.Active())
            db_.Abort();
        db_.SetOpenFlag(flag);
    }
    ~OpenFlagScope() {
        if (db_.Active())
            db_.Abort(); // never writes: a save is closed where it happens
        db_.SetOpenFlag(saved_);
    }
    OpenFlagScope(const OpenFlagScope&) = delete;
    OpenFlagScope& operator=(const OpenFlagScope&) = delete;

private:
    TFreeBase& db_;
    TFBOpenFlag saved_;
};

// The vehicle identification becomes part of a file name: a folder
// separator in it would point into another folder.
QString FileNamePart(QString text) {
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return text;
}

} // namespace

void TFormMain::CreateFreeBase1() {
    // Set up with the database, before any dialog exists: file dialogs
    // that write no settings, and report files dropped on the window.
    KeepToolkitSettingsOffDisk();
    AcceptReportDrops();
    FreeBase1 = new TFreeBase;
    FreeBase1->SetOpenFlag(TFBOpenFlag::CreateNotExists);
    FreeBase1->SetSaveAsVersion(TSaveAsVersion::Version2);
}

void TFormMain::DestroyFreeBase1() {
    delete FreeBase1; // never writes: a save is closed where it happens
    FreeBase1 = nullptr;
}

void TFormMain::CloseFreeBase1() {
    if (FreeBase1)
        FreeBase1->Close();
}

bool TFormMain::SaveTheFile() {
    MeasurementReport& report = Report();
    // Both questions are asked, the second even after Cancel on the first.
    int carAnswer = mrOk, operatorAnswer = mrOk;
    if (report.CarID.empty())
        carAnswer =
            FormMsg->ShowMsg(MessageText(msgNoCarIdentification), mkInformation, btnOkCancel, true);
    if (report.Operator.empty())
        operatorAnswer =
            FormMsg->ShowMsg(MessageText(msgNoOperatorName), mkInformation, btnOkCancel, true);
    if (carAnswer == mrCancel || operatorAnswer == mrCancel)
        return false;

    // Vehicle, "_", today with "-" between its parts; the separator used for
    // every other date stays as it is.
    const QString proposal =
        FileNamePart(DiskToQ(report.CarID)) + QLatin1Char('_') +
        QString::fromStdString(FormatShortDateWithSeparator(LocalNow(), CurrentDateFormats(), '-'));
    const QString chosen = ChooseReportFile(this, true, proposal);
    if (chosen.isEmpty())
        return false;

    try {
        FreeBase1->SetFileName(PathToCore(chosen));
        if (!FreeBase1->Open()) {
            // An existing file that is no report database stays untouched,
            // but the user must hear that nothing was saved.
            FormMsg->ShowMsg(MessageText(msgErrorSavingFile), mkError, btnCancel, true);
            return false;
        }
        const std::string now = FormatReportDateTime(LocalNow(), CurrentDateFormats());
        if (!WriteReport(*FreeBase1, report, SAYSCheckBox->isChecked(), now)) {
            FreeBase1->Abort();
            FormMsg->ShowMsg(MessageText(msgErrorSavingFile), mkError, btnCancel, true);
            return false;
        }
    } catch (const std::exception&) {
        // Half a report is not written over what the file held.
        if (FreeBase1->Active())
            FreeBase1->Abort();
        FormMsg->ShowMsg(MessageText(msgErrorSavingFile), mkError, btnCancel, true);
        return false;
    }
    return true;
}

// The report counts as saved only once closing the database has written the
// file; until then caption, file name and status text stay as they were.
void TFormMain::ActionFileSaveExecute() {
    // A save may create its file and is written by Close, whatever flag an
    // earlier open used.
    OpenFlagScope scope(*FreeBase1, TFBOpenFlag::CreateNotExists);
    const bool written = SaveTheFile();
    if (!written || !FreeBase1->Active())
        return;
    const std::string path = FreeBase1->FileName();
    const QString file = PathFromCore(path);
    const std::string dateTime = FreeBase1->ReadString("DateandTime", std::string());
    const bool newFile = FreeBase1->CurrentFileSize() == 0;
    const bool writes = FreeBase1->OpenFlag() != TFBOpenFlag::ReadOnly;
    const std::int64_t expected = FreeBase1->ExpectedFileSize();
    CloseFreeBase1();
    // "report saved" only for a file that now holds the whole report.
    if (!writes || FreeBase1->LastError() != fbeNone || QFileInfo(file).size() != expected) {
        // A file this save created is still empty: it would only fail to open.
        if (newFile && QFileInfo(file).size() == 0)
            QFile::remove(file);
        FormMsg->ShowMsg(MessageText(msgErrorSavingFile), mkError, btnCancel, true);
        report_.Unsaved = true;
        ActionFileSave->setEnabled(true);
        return;
    }
    setWindowTitle(QStringLiteral("VRX-310: ") + file);
    report_.FileName = path;
    report_.DateandTime = dateTime;
    LabelDateTime->setText(DiskToQ(dateTime));
    SetStatusText(MessageText(msgReportSaved));
    ActionFileSave->setEnabled(false);
    SAYSCheckBox->setChecked(false);
    report_.Unsaved = false;
    LastReportFolder() = QFileInfo(file).absolutePath();
}

void TFormMain::ActionFileOpenExecute() {
    const QString chosen = ChooseReportFile(this, false, QString());
    if (chosen.isEmpty())
        return;
    OpenReportFile(chosen);
}

void TFormMain::OpenReportArgument(const QStringList& arguments) {
    std::vector<std::string> core;
    for (const QString& argument : arguments)
        core.push_back(PathToCore(argument));
    OpenReportArgument(core);
}

void TFormMain::OpenReportArgument(const std::vector<std::string>& arguments) {
    // One argument, and no option: anything else is not a report to open.
    if (arguments.size() != 2 || arguments[1].empty() || arguments[1][0] == '-')
        return;
    // A full path, as the dialog gives: it becomes the window caption. The
    // name's bytes are kept; only the folder in front comes from Qt.
    const std::string& name = arguments[1];
    if (QFileInfo(PathFromCore(name)).isAbsolute())
        OpenReportPath(name);
    else
        OpenReportPath(PathToCore(QDir::currentPath()) + "/" + name);
}

void TFormMain::OpenReportFile(const QString& chosen) {
    OpenReportPath(PathToCore(chosen));
}

void TFormMain::OpenReportPath(const std::string& path) {
    // With automatic clearing the reading exists only in the window: it is
    // not replaced unasked, whether by Open File, a drop or an argument.
    if (!MayReplaceReport())
        return;
    const QString chosen = PathFromCore(path);
    ReportFileLabels labels;
    MeasurementReport loaded = report_;
    bool read = false;
    {
        // Read-only for opening: a file that vanished after the dialog is
        // not created, and nothing is ever written back. The scope ends the
        // database and puts the flag back for the next save.
        OpenFlagScope scope(*FreeBase1, TFBOpenFlag::ReadOnly);
        FreeBase1->SetFileName(path);
        try {
            if (FreeBase1->Open()) {
                labels = ReadReport(*FreeBase1, loaded, QToDisk(MessageText(msgNotAvailable)));
                read = true;
            }
        } catch (const std::exception&) {
            read = false;
        }
    }
    if (!read) {
        FormMsg->ShowMsg(MessageText(msgErrorOpeningFile), mkError, btnCancel, true);
        return;
    }
    report_ = loaded;
    // The name joins the list and the settings: both must hold the same,
    // bounded name whatever the reading did.
    if (report_.Operator.size() > MaxReportTextBytes)
        report_.Operator.resize(MaxReportTextBytes);

    // The operator: the last item of that exact name (letter case counts),
    // or the last item when the file names none; a name not listed joins
    // the list and the settings.
    const QString name = DiskToQ(report_.Operator);
    int index = -1;
    const int count = ComboBoxNames->count();
    if (count > 0 && name.isEmpty())
        index = count - 1;
    for (int i = count - 1; i >= 0 && index < 0; --i) {
        if (ComboBoxNames->itemText(i) == name)
            index = i;
    }
    if (index < 0) {
        QSignalBlocker block(ComboBoxNames);
        ComboBoxNames->addItem(name);
        AppendOperatorName(*settings_, operatorNames_, report_.Operator);
        index = ComboBoxNames->count() - 1;
    }
    report_.Operator = QToDisk(ComboBoxNames->itemText(index));
    ShowReport();
    {
        QSignalBlocker block(ComboBoxNames);
        ComboBoxNames->setCurrentIndex(index);
    }
    LabelDeviceSN->setText(DiskToQ(labels.DeviceSN));
    LabelSensorSN->setText(DiskToQ(labels.SensorSN));

    setWindowTitle(QStringLiteral("VRX-310: ") + chosen);
    report_.FileName = path;
    PanelDateTime->show();
    ActionFilePrint->setEnabled(true);
    CheckBox2->setChecked(true);
    CheckBox3->setChecked(true);
    CheckBox4->setChecked(true);
    report_.Unsaved = false;
    ClearSeries();
    SetStatusText(MessageText(msgMeasuresRead));
    RefreshCharts();
    ActionFileSave->setEnabled(false);
    LastReportFolder() = QFileInfo(chosen).absolutePath();
}

QString TFormMain::HistoryStartFolder() const {
    return LastReportFolder().isEmpty() ? DefaultFileFolder() : LastReportFolder();
}

QString TFormMain::ChooseReportFileToOpen() {
    return ChooseReportFile(this, false, QString());
}
