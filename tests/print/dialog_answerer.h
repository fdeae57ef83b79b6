// Answers the modal dialogs that come up while a call runs, as a user would:
// the printer dialog is accepted (after typing a file name) or cancelled,
// and given up when it comes back; message boxes are confirmed (overwriting
// a file too) and their texts kept.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

class DialogAnswerer {
public:
    enum Choice { Cancel, Accept };

    explicit DialogAnswerer(Choice choice, QString fileName = {})
        : choice_(choice), fileName_(std::move(fileName)) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    int PrintDialogs = 0;
    QStringList Messages;

private:
    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) {
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            Messages << box->text();
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                yes->click();
            } else if (QPushButton* b = box->defaultButton()) {
                b->click();
            } else {
                box->reject();
            }
        } else if (auto* print = qobject_cast<QPrintDialog*>(w)) {
            if (++PrintDialogs > 1) {
                print->reject();
                return;
            }
            if (choice_ == Accept && !fileName_.isEmpty()) {
                // The "print to file" name field of the dialog.
                if (auto* edit = print->findChild<QLineEdit*>(QStringLiteral("filename"))) {
                    edit->setText(fileName_);
                }
            }
            choice_ == Accept ? print->accept() : print->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        }
    }

    Choice choice_;
    QString fileName_;
    QTimer timer_;
};
