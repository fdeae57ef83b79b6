// Runs the real main window on the simulated tester, with a fresh settings
// folder, state file and request log per test, and answers the message
// dialog the way a user would.
#pragma once

#include "app/main/main_window.h"

#include <QComboBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

// One shown message: its text, caption and which buttons were offered.
struct ShownMessage {
    QString Text;
    QString Caption;
    QStringList Buttons; // "OK", "Cancel", "Yes", "No" as shown
    QString Focused;     // the button with the focus as shown
    int Answer = 0;
};

// Presses the button of each message dialog as it appears, from a queue of
// modal results; 0 closes the dialog with its close box, a negative value
// presses that key (-Qt::Key_Escape) and records the result. A dialog that
// nobody expected is closed and recorded, so a test never hangs on one.
class DialogAnswerer : public QObject {
public:
    DialogAnswerer();
    void Expect(int modalResult) { answers_.push_back(modalResult); }
    const QList<ShownMessage>& Shown() const { return shown_; }
    int Unexpected() const { return unexpected_; }
    int Pending() const { return static_cast<int>(answers_.size()); }

private:
    void Poll();
    QTimer timer_;
    std::deque<int> answers_;
    QList<ShownMessage> shown_;
    int unexpected_ = 0;
};

class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();

    // Simulator state lines ("compression=..."); empty: the default tester.
    void WriteState(const QString& text);
    void WriteSettings(const QString& text);
    QString SettingsPath() const;
    // The settings file as it lies on disk; empty when there is none.
    QByteArray SettingsBytes() const;
    bool SettingsExist() const;
    // Requests the program wrote to the tester, one per line ("40 00").
    QStringList Requests() const;
    void ClearRequests();

    // Start-up as the program does it: the main window shown, the dialogs
    // after its first paint.
    void Start();
    void Stop();

    DialogAnswerer& Answers() { return *answerer_; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<DialogAnswerer> answerer_;
};

// Frees a reader stuck on a named pipe: after the limit it opens the pipe
// for writing, which succeeds only while someone waits to read from it, and
// closes it again. A window that blocks on the pipe so fails its test
// instead of hanging the run.
class PipeWatchdog {
public:
    PipeWatchdog(const QString& path, int limitMs);
    ~PipeWatchdog();
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;
    // Whether some reader was stuck on the pipe and had to be freed.
    bool Released() const { return released_; }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

// The 24 values of a state file: compression then leakage, -1 for the rest.
QString StateValues(const QList<int>& compression, const QList<int>& leakage);

// Chooses an item in a drop-down list the way a user does: open the list,
// move to the item, press Enter.
void ChooseInList(QComboBox* box, int item);
