#include "dialogs/form_change_sens.h"

#include "device/tester_link.h"
#include "dialogs/form_msg.h"
#include "dialogs/start_folder.h"
#include "platform/screen_fit.h"
#include "platform/wait_cursor.h"
#include "platform/window_style.h"
#include "platform/window_text.h"
#include "settings/sensor_file.h"
#include "settings/settings_file.h"
#include "text/cp1252.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QToolButton>

TFormChangeSens* FormChangeSens = nullptr;

namespace {

// The serial number field of the sensor block holds 16 bytes with the NUL.
constexpr std::size_t kMaxSerialLength = SensorBlock::SerialLength - 1;

} // namespace

TFormChangeSens::TFormChangeSens(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormChangeSens"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(417, 94);
    setFont(WindowStyle::UiFont());
    QPalette red = palette();
    red.setColor(QPalette::Window, WindowStyle::BrandRed());
    setPalette(red);
    setAutoFillBackground(true);

    label_ = new QLabel(this);
    label_->setGeometry(10, 10, 371, 17);
    label_->setTextFormat(Qt::PlainText);
    label_->setAutoFillBackground(true);
    QPalette lp = label_->palette();
    lp.setColor(QPalette::Window, QColor(11, 65, 81));
    lp.setColor(QPalette::WindowText, Qt::white);
    label_->setPalette(lp);

    LabeledEditSensFaktor = new QLineEdit(this);
    LabeledEditSensFaktor->setObjectName(QStringLiteral("LabeledEditSensFaktor"));
    LabeledEditSensFaktor->setGeometry(10, 28, 371, 25);
    LabeledEditSensFaktor->setReadOnly(true);
    QPalette fp = LabeledEditSensFaktor->palette();
    fp.setColor(QPalette::Base, WindowStyle::PanelFace());
    LabeledEditSensFaktor->setPalette(fp);
    label_->setBuddy(LabeledEditSensFaktor);

    VerzAuftruf = new QToolButton(this);
    VerzAuftruf->setObjectName(QStringLiteral("VerzAuftruf"));
    VerzAuftruf->setGeometry(382, 29, 27, 25);
    VerzAuftruf->setIcon(WindowStyle::StandardIcon(QStyle::SP_DirOpenIcon));
    connect(VerzAuftruf, &QToolButton::clicked, this, &TFormChangeSens::VerzAuftrufClick);

    BitBtnSensChange = new QPushButton(this);
    BitBtnSensChange->setObjectName(QStringLiteral("BitBtnSensChange"));
    BitBtnSensChange->setGeometry(10, 56, 120, 30);
    connect(BitBtnSensChange, &QPushButton::clicked, this, &TFormChangeSens::BitBtnSensChangeClick);

    BitBtnChgSensCancel = new QPushButton(this);
    BitBtnChgSensCancel->setObjectName(QStringLiteral("BitBtnChgSensCancel"));
    BitBtnChgSensCancel->setGeometry(290, 56, 120, 30);
    BitBtnChgSensCancel->setIcon(WindowStyle::StandardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtnChgSensCancel, &QPushButton::clicked, this, [this] { done(3); });

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(80, 8, 257, 81);
    Panel1->setAutoFillBackground(true);
    QPalette blue = Panel1->palette();
    blue.setColor(QPalette::Window, QColor(0, 0, 255));
    Panel1->setPalette(blue);
    MaskEdit1 = new QLineEdit(Panel1);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setGeometry(28, 27, 197, 22);
    MaskEdit1->setText(QStringLiteral("Sensor-SN"));
    MaskEdit1->installEventFilter(this);
    Panel1->raise();
    Panel1->hide();

    sensorFolder_ = DefaultFileFolder();

    Pause = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };

    RetranslateUi();
}

void TFormChangeSens::RetranslateUi() {
    setWindowTitle(tr("Change Sensor"));
    label_->setText(tr("Sensorfile"));
    label_->adjustSize(); // the dark ground only behind the caption
    BitBtnSensChange->setText(tr("Change"));
    BitBtnChgSensCancel->setText(tr("Cancel"));
    Panel1->setToolTip(tr("Please insert the sensor serial number and press ENTER."));
    if (OpenSensfakt != nullptr) {
        OpenSensfakt->setWindowTitle(tr("Open Sensorfile"));
        OpenSensfakt->setNameFilter(tr("Sensorfile (*.sens)"));
    }
}

QFileDialog* TFormChangeSens::SensorFileDialog() {
    if (OpenSensfakt == nullptr) {
        OpenSensfakt = new QFileDialog(this);
        OpenSensfakt->setObjectName(QStringLiteral("OpenSensfakt"));
        OpenSensfakt->setOption(QFileDialog::DontUseNativeDialog);
        OpenSensfakt->setFileMode(QFileDialog::ExistingFile);
        OpenSensfakt->setAcceptMode(QFileDialog::AcceptOpen);
        OpenSensfakt->setDirectory(sensorFolder_);
        OpenSensfakt->setDefaultSuffix(QStringLiteral("sens"));
        RetranslateUi();
    }
    return OpenSensfakt;
}

void TFormChangeSens::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

QStringList TFormChangeSens::MessageTable() const {
    return {tr("Do not disconnect device from USB during this process!"),
            tr("ENG"),
            tr("No sensorfile selected!"),
            tr("File or filepath not guilty."),
            tr("ENG"),
            tr("Writing Sensor data onto device completed."),
            tr("Verification value was not correct!"),
            tr("Impossible value for sensor factor!"),
            tr("The serial number is too long: the tester takes at most 15 characters."),
            tr("The tester does not answer. The sensor data was not written.")};
}

// These two texts exist in both languages in the program itself.
QString TFormChangeSens::HintText(const QString& languageCode) {
    if (languageCode == QLatin1String("ENG"))
        return QStringLiteral("Please select sensorfile.\n"
                              "Supported files: *.sens; No other files supported.\n"
                              "Please don't change these files by yourself.");
    if (languageCode == QLatin1String("DEU"))
        return QStringLiteral("Bitte wählen Sie die Sensordatei aus.\n"
                              "Unterstützte Dateien: *.sens; Andere Dateien werden nicht "
                              "unterstützt.\n"
                              "Den Inhalt der Datei bitte nicht ändern.");
    return {};
}

QString TFormChangeSens::WarningText(const QString& languageCode) {
    const QString indent(20, QLatin1Char(' '));
    if (languageCode == QLatin1String("ENG"))
        return QStringLiteral("Do not disconnect device from USB during this process!\n") + indent +
               QStringLiteral("Sensor data will be installed now.");
    if (languageCode == QLatin1String("DEU"))
        return QStringLiteral("Bitte entfernen Sie das Gerät während der Prozedur nicht vom "
                              "USB-Port!\n") +
               indent + QStringLiteral("Die Sensordaten werden nun überschrieben.");
    return {};
}

bool TFormChangeSens::TesterOpen() const {
    return link_ && link_->IsOpen();
}

void TFormChangeSens::ShowPlainMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TFormChangeSens::SetButtonsEnabled(bool enabled) {
    BitBtnSensChange->setEnabled(enabled);
    BitBtnChgSensCancel->setEnabled(enabled);
}

bool TFormChangeSens::RunSensorChange() {
    const WindowPosition pos =
        settings_ ? ReadWindowPosition(*settings_, "ChgSens") : WindowPosition{};
    ScreenFit::MoveToStoredPosition(this, QPoint(pos.X, pos.Y));
    ShowPlainMessage(MessageText(msgDoNotDisconnect));
    LabeledEditSensFaktor->setToolTip(HintText(MessageText(msgHintLanguage)));
    // Only "Cancel", the end of a change or the loss of the tester end it.
    int result = 0;
    do {
        setResult(0);
        result = exec();
    } while (result != 3 && TesterOpen());
    if (settings_)
        WriteWindowPosition(*settings_, "ChgSens", WindowPosition{x(), y()});
    return true;
}

void TFormChangeSens::TesterLost() {
    QApplication::beep();
    if (link_)
        link_->Close();
    Panel1->hide();
    SetButtonsEnabled(true);
    LabeledEditSensFaktor->clear();
    if (OnTesterLost)
        OnTesterLost();
    done(3);
}

void TFormChangeSens::VerzAuftrufClick() {
    if (SensorFileDialog()->exec() == QDialog::Accepted &&
        !OpenSensfakt->selectedFiles().isEmpty()) {
        const QString path = OpenSensfakt->selectedFiles().constFirst();
        const QFileInfo info(path);
        // Real sensor files are a few lines long; a larger one is never read.
        if (info.isFile() && info.isReadable() && info.size() <= qint64(SensorFile::MaxBytes))
            LabeledEditSensFaktor->setText(path);
        else
            ShowPlainMessage(MessageText(msgFileNotGuilty));
    }
    // The tester must still answer before anything is typed.
    if (!TesterOpen() || !link_->ReadSensorData(block_))
        TesterLost();
}

void TFormChangeSens::BitBtnSensChangeClick() {
    if (LabeledEditSensFaktor->text().isEmpty()) {
        ShowPlainMessage(MessageText(msgNoSensorFileSelected));
        return;
    }
    Panel1->show();
    SetButtonsEnabled(false);
    MaskEdit1->setFocus();
    MaskEdit1->selectAll();
}

void TFormChangeSens::MaskEdit1KeyPress(int key) {
    if (Panel1->isHidden())
        return;
    if (key == 27) {
        Panel1->hide();
        SetButtonsEnabled(true);
        return;
    }
    if (key != 13)
        return;

    const bool changed = ChangeSensor();

    // 9. Whatever the outcome.
    QApplication::beep();
    LabeledEditSensFaktor->clear();
    Panel1->hide();
    SetButtonsEnabled(true);
    if (changed || !TesterOpen())
        done(3);
    else
        setResult(0);
}

bool TFormChangeSens::ChangeSensor() {
    const std::string typed = MaskEdit1->text().toStdString();
    const std::string serial = Utf8ToCp1252(typed);
    if (serial.size() > kMaxSerialLength) {
        if (TesterOpen())
            ShowPlainMessage(MessageText(msgSerialTooLong));
        return false;
    }

    // The file may have changed since it was chosen: one that cannot be read
    // now (gone, a pipe or a folder, too large) is not a file without the
    // serial number.
    SensorFile file;
    if (!file.Load(PathToCore(LabeledEditSensFaktor->text()))) {
        if (TesterOpen())
            ShowPlainMessage(MessageText(msgFileNotGuilty));
        return false;
    }
    // A character without a single-byte form matches no key of the file.
    const int factor = Cp1252ToUtf8(serial) == typed ? file.Factor(serial) : 0;
    if (!IsPossibleSensorFactor(factor)) {
        if (TesterOpen())
            ShowPlainMessage(MessageText(msgImpossibleSensorFactor));
        return false;
    }
    if (file.VerificationValue() != SensorVerificationValue(factor)) {
        if (TesterOpen())
            ShowPlainMessage(MessageText(msgVerificationWrong));
        return false;
    }

    const int answer = FormMsg ? FormMsg->ShowMsg(confirmationText_, mkWarning, btnOkCancel, true)
                               : static_cast<int>(mrCancel);
    if (answer == mrCancel || !TesterOpen())
        return false;

    const QString warning = WarningText(MessageText(msgWarningLanguage));
    if (!warning.isEmpty())
        ShowPlainMessage(warning);

    bool written = false;
    {
        // The tester's pauses block the window; the cursor says so.
        WaitCursor wait;
        written = WriteSensor(factor, serial);
    }
    if (!written) {
        // Unplugged meanwhile: every further request would fail too.
        link_->Close();
        if (OnTesterLost)
            OnTesterLost();
        ShowPlainMessage(MessageText(msgTesterNotAnswering));
        return false;
    }
    ShowPlainMessage(MessageText(msgWritingCompleted));
    return true;
}

bool TFormChangeSens::WriteSensor(int factor, const std::string& serialCp1252) {
    bool read = false;
    for (int attempt = 0; attempt < Attempts && !read && TesterOpen(); ++attempt)
        read = link_->ReadSensorData(block_);
    if (!read)
        return false;
    // The checked factor, not a second reading of the file: the file may
    // have changed while the question was open.
    block_.SetSensorFactor(factor);
    block_.SetSerialText(serialCp1252);

    if (Pause)
        Pause(500);
    bool written = false;
    for (int attempt = 0; attempt < Attempts && !written && TesterOpen(); ++attempt)
        written = link_->WriteSensorData(block_);
    if (!written)
        return false;
    if (Pause)
        Pause(500);
    return true;
}

void TFormChangeSens::CheckTester() {
    if (TesterOpen() && !link_->ReadSensorData(block_))
        TesterLost();
}

void TFormChangeSens::reject() {
    done(2);
}

bool TFormChangeSens::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MaskEdit1 && event->type() == QEvent::KeyPress && !Panel1->isHidden()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            MaskEdit1KeyPress(27);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            MaskEdit1KeyPress(13);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormChangeSens::keyPressEvent(QKeyEvent* event) {
    // Escape is "Cancel" while that button can be pressed.
    if (event->key() == Qt::Key_Escape) {
        if (BitBtnChgSensCancel->isEnabled())
            BitBtnChgSensCancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
