// The company details dialog: the workshop's name, address, contacts and logo.
#pragma once

#include <QDialog>
#include <QImage>

class SettingsFile;
struct CompanyDetails;

class TFormCompany : public QDialog {
    Q_OBJECT
public:
    explicit TFormCompany(QWidget* parent = nullptr);

    void SetSettings(SettingsFile* settings) { settings_ = settings; }
    // Shows the dialog on details; true (details changed) when accepted.
    bool EditCompany(CompanyDetails& details);
    // The picture shown when no logo file loads.
    QImage DefaultPicture() const;

private:
    SettingsFile* settings_ = nullptr;
};

extern TFormCompany* FormCompany;
