// The company details dialog: the workshop's name, address, contacts and logo.
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
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
    QImage DefaultPicture() const { return Image1; }

    // The dialog's message table, localisable.
    QStringList MessageTable() const;
    // Indexes into MessageTable; its order is fixed for the German module.
    enum MessageIndex : int {
        msgFileNotGuilty = 0,  // "File or filepath not guilty."
        msgDefaultPicture = 1, // "Default Picture"
    };
    // Whether the logo path shown was just loaded and may be stored.
    bool LogoValid() const { return logoValid_; }
    // The picture FirmenlogoPic shows, unscaled.
    const QImage& LogoPicture() const { return logo_; }

    // Controls, by their form names.
    QLineEdit* LabeledEditName = nullptr;
    QLineEdit* LabeledEditStreet = nullptr;
    QLineEdit* LabeledEditCity = nullptr;
    QLineEdit* LabeledEditPhone = nullptr;
    QLineEdit* LabeledEditFax = nullptr;
    QLineEdit* LabeledEditEmail = nullptr;
    QLineEdit* LabeledEditWebsite = nullptr;
    QLineEdit* LabeledEditFirmenlogo = nullptr;
    QLabel* FirmenlogoPic = nullptr;
    QToolButton* VerzAuftruf = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel
    // The logo file dialog, made at its first use (its pictures from the
    // desktop's icon theme are slow to find at start-up) and kept for the run
    // so it remembers its folder; PictureDialog() makes it.
    QFileDialog* OpenPictureDialog1 = nullptr;
    QFileDialog* PictureDialog();

public slots:
    void VerzAuftrufClick();
    // Escape and the title-bar close box cancel (2).
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void RetranslateUi();
    // Loads path into FirmenlogoPic; on failure the picture stays as it was.
    bool LoadLogo(const QString& path);
    void ShowLogo(const QImage& picture);

    SettingsFile* settings_ = nullptr;
    QImage Image1; // the default picture
    QImage logo_;
    bool logoValid_ = false;
    QLabel* captions_[8] = {}; // the edits' labels, in field order

private:
    QString pictureFolder_; // the folder at start-up, where the dialog opens
};

extern TFormCompany* FormCompany;
