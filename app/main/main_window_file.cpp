// Report files: saving the current report and opening a saved one, through
// the window's one database component FreeBase1, which is active only
// during one save or one open.
#include "app/main/main_window.h"
#include "dialogs/form_msg.h"
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
#include <QSignalBlocker>

#include <exception>

namespace {

// The folder the last file dialog ended in.
QString& LastReportFolder() {
    static QString folder;
    return folder;
}

// The common file dialog of both operations. Not the platform's own, so that
// it looks the same everywhere and tests can answer it. Empty when cancelled.
QString ChooseReportFile(QWidget* parent, bool save, const QString& proposal,
                         const std::string& currentFile) {
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
    QString folder = LastReportFolder();
    if (!currentFile.empty())
        folder =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(currentFile))).absolutePath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    dialog.setDirectory(folder);
    if (save)
        dialog.selectFile(proposal);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return QString();
    LastReportFolder() = QFileInfo(files.first()).absolutePath();
    return files.first();
}

// The vehicle identification becomes part of a file name: a folder
// separator in it would point into another folder.
QString FileNamePart(QString text) {
    text.replace(QLatin1Char('/'), QLatin1Char('_'));
    text.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return text;
}

} // namespace

void TFormMain::CreateFreeBase1() {
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
        carAnswer = FormMsg->ShowMsg(MessageText(28), mkInformation, btnOkCancel, true);
    if (report.Operator.empty())
        operatorAnswer = FormMsg->ShowMsg(MessageText(29), mkInformation, btnOkCancel, true);
    if (carAnswer == mrCancel || operatorAnswer == mrCancel)
        return false;

    // Vehicle, "_", today with "-" between its parts; the separator used for
    // every other date stays as it is.
    const QString proposal =
        FileNamePart(DiskToQ(report.CarID)) + QLatin1Char('_') +
        QString::fromStdString(FormatShortDateWithSeparator(LocalNow(), CurrentDateFormats(), '-'));
    const QString chosen = ChooseReportFile(this, true, proposal, report.FileName);
    if (chosen.isEmpty())
        return false;

    try {
        FreeBase1->SetFileName(QFile::encodeName(chosen).toStdString());
        if (!FreeBase1->Open()) {
            // An existing file that is no report database stays untouched,
            // but the user must hear that nothing was saved.
            FormMsg->ShowMsg(MessageText(13), mkError, btnCancel, true);
            return false;
        }
        const std::string now = FormatReportDateTime(LocalNow(), CurrentDateFormats());
        if (!WriteReport(*FreeBase1, report, SAYSCheckBox->isChecked(), now)) {
            FreeBase1->Abort();
            FormMsg->ShowMsg(MessageText(13), mkError, btnCancel, true);
            return false;
        }
    } catch (const std::exception&) {
        // Half a report is not written over what the file held.
        if (FreeBase1->Active())
            FreeBase1->Abort();
        FormMsg->ShowMsg(MessageText(13), mkError, btnCancel, true);
        return false;
    }
    return true;
}

// The report counts as saved only once closing the database has written the
// file; until then caption, file name and status text stay as they were.
void TFormMain::ActionFileSaveExecute() {
    const bool written = SaveTheFile();
    if (!written || !FreeBase1->Active()) {
        CloseFreeBase1();
        return;
    }
    const std::string path = FreeBase1->FileName();
    const std::string dateTime = FreeBase1->ReadString("DateandTime", std::string());
    const bool newFile = FreeBase1->CurrentFileSize() == 0;
    CloseFreeBase1();
    if (FreeBase1->LastError() != 0) {
        // A file this save created is still empty: it would only fail to open.
        if (newFile && QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).size() == 0)
            QFile::remove(QFile::decodeName(QByteArray::fromStdString(path)));
        FormMsg->ShowMsg(MessageText(13), mkError, btnCancel, true);
        report_.Unsaved = true;
        ActionFileSave->setEnabled(true);
        return;
    }
    setWindowTitle(QStringLiteral("VRX-310: ") +
                   QFile::decodeName(QByteArray::fromStdString(path)));
    report_.FileName = path;
    report_.DateandTime = dateTime;
    LabelDateTime->setText(DiskToQ(dateTime));
    SetStatusText(MessageText(11));
    ActionFileSave->setEnabled(false);
    SAYSCheckBox->setChecked(false);
    report_.Unsaved = false;
}

void TFormMain::ActionFileOpenExecute() {
    const QString chosen = ChooseReportFile(this, false, QString(), report_.FileName);
    if (chosen.isEmpty())
        return;
    const std::string path = QFile::encodeName(chosen).toStdString();
    // Read-only for opening: a file that vanished after the dialog is not
    // created, and nothing is ever written back.
    FreeBase1->SetOpenFlag(TFBOpenFlag::ReadOnly);
    FreeBase1->SetFileName(path);
    const bool opened = FreeBase1->Open();
    FreeBase1->SetOpenFlag(TFBOpenFlag::CreateNotExists);
    if (!opened) {
        FormMsg->ShowMsg(MessageText(10), mkError, btnCancel, true);
        return;
    }

    ReportFileLabels labels;
    MeasurementReport loaded = report_;
    try {
        labels = ReadReport(*FreeBase1, loaded, QToDisk(MessageText(2)));
    } catch (const std::exception&) {
        FreeBase1->Abort();
        FormMsg->ShowMsg(MessageText(10), mkError, btnCancel, true);
        return;
    }
    // Opening never changes the file.
    FreeBase1->Abort();
    report_ = loaded;

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
    SetStatusText(MessageText(4));
    RefreshCharts();
    ActionFileSave->setEnabled(false);
}
