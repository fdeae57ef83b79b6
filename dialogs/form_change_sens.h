// The sensor change window: writes a replacement sensor's calibration into
// the tester.
#pragma once

#include <QDialog>

#include <functional>

class SettingsFile;
class TesterLink;

class TFormChangeSens : public QDialog {
    Q_OBJECT
public:
    explicit TFormChangeSens(QWidget* parent = nullptr);

    void SetSettings(SettingsFile* settings) { settings_ = settings; }
    void SetTesterLink(TesterLink* link) { link_ = link; }
    // Runs the window until the change is finished or abandoned.
    bool RunSensorChange();

    // Called when the tester no longer answers: the main window disables
    // its tester actions.
    std::function<void()> OnTesterLost;

private:
    SettingsFile* settings_ = nullptr;
    TesterLink* link_ = nullptr;
};

extern TFormChangeSens* FormChangeSens;
