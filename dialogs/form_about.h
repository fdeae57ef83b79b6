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
    // Indexes into MessageTable; its order is fixed for the German module.
    enum MessageIndex : int {
        msgTesterKind = 0,   // "electronic compression && leakage tester"
        msgVersion = 1,      // "version"
        msgPhone = 2,        // "phone      +49 711 555 310-0"
        msgFax = 3,          // "fax          +49 711 555 310-99"
        msgSalesContact = 4, // "For sales or general information please contact  --  ..."
        msgThankYou = 5,     // "Thank you for buying and using our KALDORIAN products!"
    };

    // Closes the box with modal result 1.
    void BitBtnCloseClick();

private:
    const VersionStrings* versions_ = nullptr;
    struct Controls;
    Controls* c_ = nullptr;
};

extern TFormAbout* FormAbout;
