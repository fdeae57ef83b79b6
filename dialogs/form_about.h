// The About box with the version line, the maker's contact lines and a link.
#pragma once

#include <QDialog>

struct VersionStrings;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;
    void SetVersionStrings(const VersionStrings* strings) { versions_ = strings; }
    void ShowAbout();
    QStringList MessageTable() const;

    // Closes the box with modal result 1.
    void BitBtnCloseClick();

private:
    const VersionStrings* versions_ = nullptr;
    struct Controls;
    Controls* c_ = nullptr;
};

extern TFormAbout* FormAbout;
