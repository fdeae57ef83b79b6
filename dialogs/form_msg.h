// The program's own modal message dialog, one instance for the whole run.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

enum TMsgKind { mkInformation = 0, mkConfirmation = 1, mkWarning = 2, mkError = 3 };
enum TMsgButtons { btnOk = 0, btnCancel = 1, btnOkCancel = 2, btnYesNo = 3 };

// Modal results.
enum { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class TFormMsg : public QDialog {
    Q_OBJECT
public:
    explicit TFormMsg(QWidget* parent = nullptr);
    ~TFormMsg() override;

    // The window is placed one third into this widget (the main window).
    void SetPlacementAnchor(QWidget* anchor) { anchor_ = anchor; }

    // Shows text modally; returns 1 OK, 2 Cancel or closed, 6 Yes, 7 No.
    // A call while the dialog is already open returns 2 and leaves it alone.
    // focus names the button that has the focus and answers Enter (mrNo for
    // a question whose Yes loses data); mrNone: the first button.
    int ShowMsg(const QString& text, int kind, int buttons, bool sound, int focus = mrNone);

    // The dialog's message table (captions by kind), localisable.
    QStringList MessageTable() const;

    // For tests: the controls by their form names.
    QLabel* Label1() const;
    QPushButton* Button(int modalResult) const;
    QLabel* Image(int kind) const;

    // The title-bar close box and reject() answer Cancel (2).
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ResetLayout();
    void RetranslateUi();
    QWidget* anchor_ = nullptr;
    struct Controls;
    Controls* c_;
};

extern TFormMsg* FormMsg;
