// The pictures of the actions (the image list, SVG resources) and the
// program's cursor.
#include "app/main/main_window_icons.h"

#include "platform/window_style.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Kaldorian = WindowStyle::BrandRed();

// The action pictures are SVG files in the window's resources: sharp at every
// size and on scaled screens (PNG renderings of them where SVG is missing).
const char* ImageFile(int index) {
    switch (index) {
    case 0:
        return "read";
    case 2:
        return "clear";
    case 4:
        return "clear-after-read";
    case 6:
        return "open";
    case 8:
        return "save";
    case 10:
        return "print";
    case 12:
        return "exit";
    case 14:
        return "company";
    case 16:
        return "operators";
    case 18:
        return "about";
    case 20:
        return "sensor";
    default:
        return nullptr;
    }
}

const char* ThemeName(int index) {
    switch (index) {
    case 6:
        return "document-open";
    case 8:
        return "document-save";
    case 10:
        return "document-print";
    case 12:
        return "application-exit";
    case 18:
        return "help-about";
    default:
        return nullptr;
    }
}

} // namespace

// The window library is static: its resources are registered by hand.
static void InitWindowResources() {
    Q_INIT_RESOURCE(vrx_mainwindow);
}

// A build without SVG support carries each picture as PNG files rendered
// from the same SVG at fixed sizes.
static QIcon ActionPicture(const char* file) {
    if (file == nullptr)
        return QIcon();
    const QString name = QLatin1String(file);
    if (!QFile::exists(QStringLiteral(":/app/actions/%1-16.png").arg(name)))
        return QIcon(QStringLiteral(":/app/actions/%1.svg").arg(name));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/app/actions/%1-%2.png").arg(name).arg(size),
                     QSize(size, size));
    return icon;
}

QIcon ImageListIcon(int index) {
    InitWindowResources();
    const QIcon own = ActionPicture(ImageFile(index));
    // The desktop's theme where it has a fitting picture; ours elsewhere.
    const char* theme = ThemeName(index);
    return theme ? QIcon::fromTheme(QLatin1String(theme), own) : own;
}

QIcon ProgramIcon() {
    InitWindowResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/app/vrx310-%1.png").arg(size), QSize(size, size));
    return icon;
}

QCursor KaldorianCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 22);
    arrow.lineTo(6.5, 17);
    arrow.lineTo(10.5, 26);
    arrow.lineTo(14, 24.5);
    arrow.lineTo(10, 15.5);
    arrow.lineTo(17, 15.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Kaldorian);
    p.drawPath(arrow);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(20, 20), QPointF(20, 30));
    p.drawLine(QPointF(20, 25), QPointF(26, 20));
    p.drawLine(QPointF(21.5, 24), QPointF(27, 30));
    p.end();
    return QCursor(pm, 1, 1);
}

QMap<int, QCursor>& ScreenCursors() {
    static QMap<int, QCursor> table;
    return table;
}
