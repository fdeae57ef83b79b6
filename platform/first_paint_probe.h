// The first paint of a window, for the program's start-up and its benchmark.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// Watches the application for the first paint of any widget of one window:
// on X11 the window itself may never be painted, only its children (a scroll
// area's viewport covers it); offscreen and on Windows the window is. Painted
// is emitted once, queued, so the whole window has been drawn by then.
class FirstPaintProbe : public QObject {
    Q_OBJECT
public:
    explicit FirstPaintProbe(QWidget* window, QObject* parent = nullptr);
    ~FirstPaintProbe() override;

    bool Seen() const { return seen_; }
    // When painted, prints "startup-probe: shown" on stdout and ends the
    // event loop (what the start-up benchmark waits for), before Painted.
    void ReportAndQuitWhenPainted();

signals:
    void Painted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool seen_ = false;
    bool report_ = false;
};
