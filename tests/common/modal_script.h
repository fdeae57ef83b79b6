// Answers the modal windows of a test the way a user would. Each step waits
// until a modal window it recognises is active and then acts on it (from
// its own timer event, so a step may open further modal windows while the
// script keeps going). Plain message boxes are pressed with OK and their
// texts recorded. The program's own message dialog is left to the main
// window fixture. When nothing happens for a while, the active modal
// window is ended, so a fault fails its test instead of hanging the run.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>

class ModalScript : public QObject {
public:
    using Match = std::function<bool(QWidget*)>;
    using Act = std::function<void(QWidget*)>;

    explicit ModalScript(int idleLimitMs = 5000) : idleLimitMs_(idleLimitMs) {
        clock_.start();
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
        timer_.start();
    }

    // The next step: act once match recognises the active modal window.
    ModalScript& Then(Match match, Act act) {
        steps_.push_back({std::move(match), std::move(act)});
        return *this;
    }
    // The next step on one particular window.
    ModalScript& On(QWidget* window, Act act) {
        return Then([window](QWidget* w) { return w == window; }, std::move(act));
    }
    template <typename T> ModalScript& OnA(std::function<void(T*)> act) {
        return Then([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                    [act](QWidget* w) { act(qobject_cast<T*>(w)); });
    }
    // The next step on a file dialog: the path typed into its name field,
    // then Open.
    ModalScript& ChooseInFileDialog(const QString& path) {
        return OnA<QFileDialog>([path](QFileDialog* d) {
            if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            static_cast<QDialog*>(d)->accept(); // as the Open button does
        });
    }

    // Texts of the plain message boxes, in the order they were shown.
    const QStringList& Boxes() const { return boxes_; }
    int Pending() const { return static_cast<int>(steps_.size()); }
    bool TimedOut() const { return timedOut_; }

private:
    struct Step {
        Match match;
        Act act;
    };

    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        // A window counts once it is still the active one at the next poll:
        // between two dialogs the one just closed may still be running out
        // its loop while the window below looks active.
        if (w != lastModal_) {
            lastModal_ = w;
            clock_.restart();
            return;
        }
        if (scheduled_ || !w || !w->isVisible() || w->inherits("TFormMsg")) {
            CheckIdle(nullptr);
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes_ << box->text();
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
            clock_.restart();
            return;
        }
        if (!steps_.empty() && steps_.front().match(w)) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            scheduled_ = true;
            QPointer<QWidget> target(w);
            QTimer::singleShot(0, this, [this, step, target] {
                scheduled_ = false;
                if (target)
                    step.act(target);
            });
            clock_.restart();
            return;
        }
        CheckIdle(w);
    }

    void CheckIdle(QWidget* w) {
        if (clock_.elapsed() < idleLimitMs_)
            return;
        clock_.restart();
        if (auto* dlg = qobject_cast<QDialog*>(w)) {
            timedOut_ = true;
            dlg->done(3);
        }
    }

    QTimer timer_;
    QElapsedTimer clock_;
    std::deque<Step> steps_;
    QStringList boxes_;
    QPointer<QWidget> lastModal_;
    int idleLimitMs_;
    bool scheduled_ = false;
    bool timedOut_ = false;
};
