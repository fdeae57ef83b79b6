#include "dialogs/form_names.h"

#include "platform/screen_fit.h"
#include "platform/window_style.h"
#include "platform/window_text.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

TFormNames* FormNames = nullptr;

namespace {

// Blanks alone would read back as an empty value and end the stored list
// there, hiding every name after it.
bool IsUsableName(const QString& text) {
    return !text.trimmed().isEmpty();
}

} // namespace

TFormNames::TFormNames(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormNames"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(353, 299);
    setWindowOpacity(250.0 / 255.0);
    setFont(WindowStyle::UiFont());
    QPalette red = palette();
    red.setColor(QPalette::Window, WindowStyle::BrandRed());
    setPalette(red);
    setAutoFillBackground(true);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(8, 8, 329, 217);
    QFont listFont = WindowStyle::UiFont();
    listFont.setPointSize(14);
    ListBox1->setFont(listFont);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ListBox1, &QListWidget::doubleClicked, this, &TFormNames::BitBtnEditClick);

    auto makeButton = [this](const char* name, int left, int top, int width,
                             QStyle::StandardPixmap icon, void (TFormNames::*handler)()) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(left, top, width, 25);
        if (icon != QStyle::SP_CustomBase) // none
            b->setIcon(WindowStyle::StandardIcon(icon));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    BitBtnAdd =
        makeButton("BitBtnAdd", 8, 232, 105, QStyle::SP_CustomBase, &TFormNames::BitBtnAddClick);
    BitBtnEdit = makeButton("BitBtnEdit", 120, 232, 105, QStyle::SP_CustomBase,
                            &TFormNames::BitBtnEditClick);
    BitBtnDelete = makeButton("BitBtnDelete", 232, 232, 105, QStyle::SP_TrashIcon,
                              &TFormNames::BitBtnDeleteClick);
    BitBtnOk =
        makeButton("BitBtnOk", 8, 264, 161, QStyle::SP_DialogOkButton, &TFormNames::BitBtnOkClick);
    BitBtnCancel = makeButton("BitBtnCancel", 176, 264, 161, QStyle::SP_DialogCancelButton,
                              &TFormNames::BitBtnCancelClick);
    BitBtnOk->setDefault(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 0, 353, 81);
    Panel1->setAutoFillBackground(true);
    EditName = new QLineEdit(Panel1);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setGeometry(10, 14, 332, 22);
    BitBtnEditOk = new QPushButton(Panel1);
    BitBtnEditOk->setObjectName(QStringLiteral("BitBtnEditOk"));
    BitBtnEditOk->setGeometry(10, 46, 161, 25);
    BitBtnEditOk->setIcon(WindowStyle::StandardIcon(QStyle::SP_DialogOkButton));
    connect(BitBtnEditOk, &QPushButton::clicked, this, &TFormNames::BitBtnEditOkClick);
    BitBtnEditCancel = new QPushButton(Panel1);
    BitBtnEditCancel->setObjectName(QStringLiteral("BitBtnEditCancel"));
    BitBtnEditCancel->setGeometry(183, 46, 161, 25);
    BitBtnEditCancel->setIcon(WindowStyle::StandardIcon(QStyle::SP_DialogCancelButton));
    connect(BitBtnEditCancel, &QPushButton::clicked, this, &TFormNames::BitBtnEditCancelClick);
    Panel1->raise();
    Panel1->hide();

    RetranslateUi();
    FormCreate();
}

void TFormNames::RetranslateUi() {
    setWindowTitle(tr("Names of Operators"));
    BitBtnAdd->setText(tr("&Add"));
    BitBtnEdit->setText(tr("&Edit"));
    BitBtnDelete->setText(tr("&Delete"));
    BitBtnOk->setText(tr("OK"));
    BitBtnCancel->setText(tr("Cancel"));
    BitBtnEditOk->setText(tr("OK"));
    BitBtnEditCancel->setText(tr("Cancel"));
}

void TFormNames::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

void TFormNames::FormCreate() {
    // Over the two button rows while an edit is open.
    Panel1->move(0, 210);
}

void TFormNames::FormShow() {
    BitBtnOk->setFocus();
}

void TFormNames::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

bool TFormNames::EditNames(std::vector<std::string>& names) {
    const WindowPosition pos =
        settings_ ? ReadWindowPosition(*settings_, "Names") : WindowPosition{};
    ScreenFit::MoveToStoredPosition(this, QPoint(pos.X, pos.Y));

    ListBox1->clear();
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        items.append(DiskToQ(name));
    ListBox1->addItems(items);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);

    editMode_ = 0;
    editedItem_ = nullptr;
    Panel1->hide();
    setResult(0);
    const bool accepted = exec() == 1;

    if (accepted) {
        names.clear();
        for (int i = 0; i < ListBox1->count(); ++i)
            names.push_back(QToDisk(ListBox1->item(i)->text()));
    }
    if (settings_)
        WriteWindowPosition(*settings_, "Names", WindowPosition{x(), y()});
    return accepted;
}

namespace {

// The selected entry: the current one, if it is selected.
QListWidgetItem* SelectedItem(QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

} // namespace

void TFormNames::BitBtnAddClick() {
    // The buttons lie under the open panel; their shortcuts must not
    // start a second edit over the first.
    if (editMode_ != 0)
        return;
    EditName->clear();
    Panel1->show();
    EditName->setFocus();
    editMode_ = 1;
}

void TFormNames::BitBtnEditClick() {
    if (editMode_ != 0)
        return;
    QListWidgetItem* item = SelectedItem(ListBox1);
    if (!item)
        return;
    editedItem_ = item;
    EditName->setText(item->text());
    EditName->selectAll();
    Panel1->show();
    EditName->setFocus();
    editMode_ = 2;
}

void TFormNames::BitBtnDeleteClick() {
    if (editMode_ != 0)
        return;
    QListWidgetItem* item = SelectedItem(ListBox1);
    if (!item)
        return;
    delete ListBox1->takeItem(ListBox1->row(item));
    // As after any removal, nothing is selected: a second click does not
    // take the neighbour with it.
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
}

void TFormNames::BitBtnEditOkClick() {
    const QString text = EditName->text();
    if (editMode_ == 1) {
        if (IsUsableName(text))
            ListBox1->addItem(text);
        if (ListBox1->count() > 0)
            ListBox1->setCurrentRow(ListBox1->count() - 1);
    } else if (editMode_ == 2 && editedItem_) {
        // An empty name must never reach the settings file: emptying an
        // entry keeps its old name.
        if (IsUsableName(text))
            editedItem_->setText(text);
        ListBox1->setCurrentItem(editedItem_);
    }
    CloseEditPanel();
}

void TFormNames::BitBtnEditCancelClick() {
    CloseEditPanel();
}

void TFormNames::CloseEditPanel() {
    const bool hadFocus = Panel1->isAncestorOf(focusWidget());
    Panel1->hide();
    editMode_ = 0;
    editedItem_ = nullptr;
    if (hadFocus)
        ListBox1->setFocus();
}

void TFormNames::BitBtnOkClick() {
    if (editMode_ != 0)
        BitBtnEditOkClick();
    else
        done(1);
}

void TFormNames::BitBtnCancelClick() {
    if (editMode_ != 0)
        BitBtnEditCancelClick();
    else
        done(2);
}

void TFormNames::reject() {
    done(2);
}

void TFormNames::keyPressEvent(QKeyEvent* event) {
    // Both button pairs answer Enter and Escape; an open edit comes first.
    switch (event->key()) {
    case Qt::Key_Escape:
        BitBtnCancelClick();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        BitBtnOkClick();
        event->accept();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
