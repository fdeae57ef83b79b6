// Keeps windows reachable on the screens there are now: a stored position
// from a monitor that is gone, a window larger than a small or scaled screen.
#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ScreenFit {

// Height of the title bar the user must be able to reach to move a window.
inline constexpr int TitleBarHeight = 30;

// The top-left for a window of this width: `stored` itself while its title
// bar (height `titleHeight`) lies on one of `screens` (available
// geometries), else the available top-left of the screen nearest to
// `stored`. No screens: `stored`.
QPoint ReachableTopLeft(const QPoint& stored, int width, int titleHeight,
                        const QList<QRect>& screens);

// The available geometries of the application's screens.
QList<QRect> AvailableGeometries();

// The available geometry of the screen that holds most of `frame`, else of
// the screen nearest to its top-left.
QRect AvailableGeometryFor(const QRect& frame);

// Moves a top-level window to its stored top-left, or onto the nearest
// screen where that would leave its title bar off every screen.
void MoveToStoredPosition(QWidget* window, const QPoint& stored);

// Where the available geometry of the window's screen is smaller than the
// window's minimum size with its frame, lowers minimum and size to what is
// available and puts the window at the available edge in that direction.
// `scrollBars` (width of the vertical, height of the horizontal bar of a
// scrolling client area) is added across a direction that scrolls, as far
// as the screen allows, so that one scroll bar does not bring the other.
// Windows that fit are left exactly as they are. Returns whether it shrank.
bool FitIntoScreen(QWidget* window, const QSize& scrollBars = QSize());

} // namespace ScreenFit
