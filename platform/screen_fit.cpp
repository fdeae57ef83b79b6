#include "platform/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace ScreenFit {

namespace {

// Width of the title bar that must be on a screen for the user to grab it.
constexpr int GrabWidth = 50;

// The window manager's frame before the window is shown and has one.
constexpr QMargins AssumedFrame(4, TitleBarHeight, 4, 4);

qint64 DistanceSquared(const QPoint& p, const QRect& r) {
    const qint64 dx = std::max({r.left() - p.x(), 0, p.x() - r.right()});
    const qint64 dy = std::max({r.top() - p.y(), 0, p.y() - r.bottom()});
    return dx * dx + dy * dy;
}

int NearestIndex(const QPoint& p, const QList<QRect>& screens) {
    int best = 0;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < screens.size(); ++i) {
        const qint64 d = DistanceSquared(p, screens[i]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QMargins FrameMargins(const QWidget* window) {
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    const QMargins known(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return known.isNull() ? AssumedFrame : known;
}

} // namespace

QPoint ReachableTopLeft(const QPoint& stored, int width, int titleHeight,
                        const QList<QRect>& screens) {
    if (screens.isEmpty())
        return stored;
    const int grab = std::clamp(width, 1, GrabWidth);
    for (const QRect& a : screens) {
        const bool barInside = stored.y() >= a.top() && stored.y() + titleHeight <= a.bottom() + 1;
        const int overlap =
            std::min(stored.x() + width, a.right() + 1) - std::max(stored.x(), a.left());
        if (barInside && overlap >= grab)
            return stored;
    }
    return screens[NearestIndex(stored, screens)].topLeft();
}

QList<QRect> AvailableGeometries() {
    QList<QRect> rects;
    for (const QScreen* s : QGuiApplication::screens())
        rects << s->availableGeometry();
    return rects;
}

QRect AvailableGeometryFor(const QRect& frame) {
    const QList<QRect> screens = AvailableGeometries();
    if (screens.isEmpty())
        return {};
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect common = screens[i].intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return screens[best >= 0 ? best : NearestIndex(frame.topLeft(), screens)];
}

void MoveToStoredPosition(QWidget* window, const QPoint& stored) {
    window->move(ReachableTopLeft(stored, window->frameGeometry().width(), TitleBarHeight,
                                  AvailableGeometries()));
}

bool FitIntoScreen(QWidget* window, const QSize& scrollBars) {
    const QRect avail = AvailableGeometryFor(window->frameGeometry());
    if (avail.isEmpty())
        return false;
    const QMargins frame = FrameMargins(window);
    const QSize room(avail.width() - frame.left() - frame.right(),
                     avail.height() - frame.top() - frame.bottom());
    QSize wanted = window->minimumSize();
    if (wanted.width() <= room.width() && wanted.height() <= room.height())
        return false;
    if (wanted.height() > room.height())
        wanted.rwidth() += scrollBars.width();
    if (wanted.width() > room.width())
        wanted.rheight() += scrollBars.height();
    const bool narrower = wanted.width() > room.width();
    const bool lower = wanted.height() > room.height();
    window->setMinimumSize(wanted.boundedTo(room));
    window->resize(window->size().expandedTo(window->minimumSize()).boundedTo(room));
    window->move(narrower ? avail.left() : window->x(), lower ? avail.top() : window->y());
    return true;
}

} // namespace ScreenFit
