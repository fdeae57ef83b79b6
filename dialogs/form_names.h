// The operator names dialog: edits the list the operator selector offers.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QFrame;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class SettingsFile;

class TFormNames : public QDialog {
    Q_OBJECT
public:
    explicit TFormNames(QWidget* parent = nullptr);

    void SetSettings(SettingsFile* settings) { settings_ = settings; }
    // Shows the dialog on a working copy; true (names replaced) when accepted.
    // Names are Windows-1252 bytes, as the settings file holds them.
    bool EditNames(std::vector<std::string>& names);

    // 0 none, 1 adding, 2 editing the selected entry.
    int EditMode() const { return editMode_; }

    // Controls, by their form names.
    QListWidget* ListBox1 = nullptr;
    QPushButton* BitBtnAdd = nullptr;
    QPushButton* BitBtnEdit = nullptr;
    QPushButton* BitBtnDelete = nullptr;
    QPushButton* BitBtnOk = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* EditName = nullptr;
    QPushButton* BitBtnEditOk = nullptr;
    QPushButton* BitBtnEditCancel = nullptr;

public slots:
    void BitBtnAddClick();
    void BitBtnEditClick();
    void BitBtnDeleteClick();
    void BitBtnEditOkClick();
    void BitBtnEditCancelClick();
    void BitBtnOkClick();
    void BitBtnCancelClick();

    // The title-bar close box cancels (2), also while an edit is open.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void RetranslateUi();
    void CloseEditPanel();

    SettingsFile* settings_ = nullptr;
    int editMode_ = 0;
    // The entry an open edit replaces, whatever is selected meanwhile.
    QListWidgetItem* editedItem_ = nullptr;
};

extern TFormNames* FormNames;
