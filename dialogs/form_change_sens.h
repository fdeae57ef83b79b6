// The sensor change window: writes a replacement sensor's calibration into
// the tester.
#pragma once

#include "device/tester_commands.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SettingsFile;
class TesterLink;

class TFormChangeSens : public QDialog {
    Q_OBJECT
public:
    // How often the sensor read and the sensor write are tried before the
    // tester counts as lost.
    static constexpr int Attempts = 3;

    explicit TFormChangeSens(QWidget* parent = nullptr);

    void SetSettings(SettingsFile* settings) { settings_ = settings; }
    void SetTesterLink(TesterLink* link) { link_ = link; }
    // The last question before writing (the main window's msgReallyChangeSensor).
    void SetConfirmationText(const QString& text) { confirmationText_ = text; }
    // Runs the window until the change is finished or abandoned.
    bool RunSensorChange();

    // Called when the tester no longer answers: the main window disables
    // its tester actions.
    std::function<void()> OnTesterLost;
    // The pauses before and after the write; the tester needs them.
    std::function<void(int milliseconds)> Pause;

    // The dialog's message table, localisable; entries 1 and 4 are the
    // language codes "ENG" or "DEU".
    QStringList MessageTable() const;
    // Indexes into MessageTable; its order is fixed for the German module.
    enum MessageIndex : int {
        msgDoNotDisconnect = 0,        // "Do not disconnect device from USB during this process!"
        msgHintLanguage = 1,           // "ENG": the language of HintText
        msgNoSensorFileSelected = 2,   // "No sensorfile selected!"
        msgFileNotGuilty = 3,          // "File or filepath not guilty."
        msgWarningLanguage = 4,        // "ENG": the language of WarningText
        msgWritingCompleted = 5,       // "Writing Sensor data onto device completed."
        msgVerificationWrong = 6,      // "Verification value was not correct!"
        msgImpossibleSensorFactor = 7, // "Impossible value for sensor factor!"
        msgSerialTooLong = 8,          // "The serial number is too long: ..."
        msgTesterNotAnswering = 9,     // "The tester does not answer. ..."
    };
    QString MessageText(int index) const { return MessageTable().value(index); }
    // The built-in hint of the file field and warning before writing, by
    // language code; empty for an unknown code.
    static QString HintText(const QString& languageCode);
    static QString WarningText(const QString& languageCode);

    // Controls, by their form names.
    QLineEdit* LabeledEditSensFaktor = nullptr;
    QToolButton* VerzAuftruf = nullptr;
    QPushButton* BitBtnSensChange = nullptr;
    QPushButton* BitBtnChgSensCancel = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* MaskEdit1 = nullptr;
    // The sensor file dialog, made at its first use (its pictures from the
    // desktop's icon theme are slow to find at start-up) and kept for the run
    // so it remembers its folder; SensorFileDialog() makes it.
    QFileDialog* OpenSensfakt = nullptr;
    QFileDialog* SensorFileDialog();

public slots:
    void VerzAuftrufClick();
    void BitBtnSensChangeClick();
    // Escape (27) and Enter (13) in the serial number entry.
    void MaskEdit1KeyPress(int key);
    // A device-change notice: a tester that no longer answers is lost.
    void CheckTester();
    // The title-bar close box: 2, which brings the window straight back
    // while the tester is open.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RetranslateUi();
    bool TesterOpen() const;
    void TesterLost();
    void ShowPlainMessage(const QString& text);
    void SetButtonsEnabled(bool enabled);
    // The change itself, after Enter; true when the sensor data was written.
    bool ChangeSensor();
    // Steps of the write; false when the tester never answered.
    bool WriteSensor(int factor, const std::string& serialCp1252);

    SettingsFile* settings_ = nullptr;
    TesterLink* link_ = nullptr;
    QString confirmationText_;
    SensorBlock block_; // the window's own, apart from the report's
    QLabel* label_ = nullptr;

private:
    QString sensorFolder_; // the folder at start-up, where the dialog opens
};

extern TFormChangeSens* FormChangeSens;
