// The operator names dialog: edits the list the operator selector offers.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class SettingsFile;

class TFormNames : public QDialog {
    Q_OBJECT
public:
    explicit TFormNames(QWidget* parent = nullptr);

    void SetSettings(SettingsFile* settings) { settings_ = settings; }
    // Shows the dialog on a working copy; true (names replaced) when accepted.
    bool EditNames(std::vector<std::string>& names);

private:
    SettingsFile* settings_ = nullptr;
};

extern TFormNames* FormNames;
