// What the six windows show, gathered the same way in either language so the
// German module can be held against the built-in English texts.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// One text a control shows: where it is, and whether it fits there.
struct ShownText {
    QString Where; // "TFormNames/BitBtnAdd text"
    QString Text;
    bool Fits = true;
    QString Why; // why it does not fit
};

// The texts of one window and its controls, in creation order: window
// title, captions of buttons, labels, group boxes and actions, hints.
// Controls of other windows (the dialogs are children of the main window)
// and of the menus are left to their own calls.
QList<ShownText> WindowTexts(QWidget* window);

// The menu bar's menus and their actions, with hints.
QList<ShownText> MenuTexts(QWidget* mainWindow);

// The message tables of all windows, one list per window, named.
struct MessageTables {
    QStringList Names;
    QList<QStringList> Tables;
    QStringList Contexts; // translation context of each table
};
MessageTables AllMessageTables();

// A text the same in both languages by nature: names, units, numbers.
bool LanguageNeutral(const QString& text);
