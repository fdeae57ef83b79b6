#include "platform/first_paint_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>

FirstPaintProbe::FirstPaintProbe(QWidget* window, QObject* parent)
    : QObject(parent), window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

FirstPaintProbe::~FirstPaintProbe() {
    if (!seen_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void FirstPaintProbe::ReportAndQuitWhenPainted() {
    report_ = true;
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && !seen_ && window_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
        seen_ = true;
        QCoreApplication::instance()->removeEventFilter(this);
        // After the paint that is under way has been flushed.
        QTimer::singleShot(0, this, [this] {
            // Reported before anything waiting for the paint runs.
            if (report_) {
                std::printf("startup-probe: shown\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            }
            emit Painted();
        });
    }
    return false;
}
