// The pictures of the actions (the image list) and the program's cursor,
// drawn by the program itself so that no picture file is needed.
#include "app/main/main_window_icons.h"

#include "platform/window_style.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(40, 40, 48);
const QColor Kaldorian = WindowStyle::BrandRed();

// The hand-held tester: a dark body with a display.
void DrawTester(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(70, 74, 82));
    p.drawRoundedRect(QRectF(4, 2, 15, 26), 3, 3);
    p.setBrush(QColor(170, 220, 190));
    p.drawRect(QRectF(6.5, 5, 10, 7));
    p.setBrush(Kaldorian);
    p.drawEllipse(QRectF(9, 16, 5, 5));
    p.setPen(QPen(Ink, 2));
    p.drawLine(QPointF(11.5, 28), QPointF(11.5, 31));
}

void DrawArrowDown(QPainter& p, const QColor& c) {
    QPainterPath a;
    a.moveTo(22, 8);
    a.lineTo(28, 8);
    a.lineTo(28, 17);
    a.lineTo(31, 17);
    a.lineTo(25, 25);
    a.lineTo(19, 17);
    a.lineTo(22, 17);
    a.closeSubpath();
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c);
    p.drawPath(a);
}

void DrawCross(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(200, 0, 0), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void DrawFolder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath back;
    back.moveTo(2, 8);
    back.lineTo(11, 8);
    back.lineTo(14, 11);
    back.lineTo(28, 11);
    back.lineTo(28, 27);
    back.lineTo(2, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(252, 222, 120));
    QPainterPath front;
    front.moveTo(2, 27);
    front.lineTo(7, 15);
    front.lineTo(31, 15);
    front.lineTo(27, 27);
    front.closeSubpath();
    p.drawPath(front);
}

void DrawDisk(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 90), 1.2));
    p.setBrush(QColor(50, 90, 170));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(8, 4, 16, 9));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(18, 6, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 20; y <= 26; y += 3)
        p.drawLine(10, y, 22, y);
}

void DrawPrinter(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(120, 124, 132));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawLine(11, 23, 21, 23);
    p.drawLine(11, 26, 19, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 220, 80));
    p.drawEllipse(QRectF(24, 14.5, 3, 3));
}

void DrawExit(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(150, 100, 60));
    p.drawRect(QRectF(4, 3, 14, 26));
    p.setBrush(QColor(190, 140, 90));
    QPolygonF door;
    door << QPointF(4, 3) << QPointF(13, 6) << QPointF(13, 31) << QPointF(4, 29);
    p.drawPolygon(door);
    QPainterPath a;
    a.moveTo(16, 14);
    a.lineTo(24, 14);
    a.lineTo(24, 10);
    a.lineTo(31, 16.5);
    a.lineTo(24, 23);
    a.lineTo(24, 19);
    a.lineTo(16, 19);
    a.closeSubpath();
    p.setPen(QPen(QColor(20, 110, 20), 1));
    p.setBrush(QColor(60, 170, 60));
    p.drawPath(a);
}

void DrawCompany(QPainter& p) {
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(3, 10, 15, 19));
    p.setBrush(QColor(170, 170, 185));
    p.drawRect(QRectF(18, 4, 11, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 130, 200));
    for (int r = 0; r < 4; ++r) {
        p.drawRect(QRectF(6, 13 + 4 * r, 3, 2.5));
        p.drawRect(QRectF(12, 13 + 4 * r, 3, 2.5));
    }
    for (int r = 0; r < 5; ++r)
        p.drawRect(QRectF(21, 7 + 4 * r, 5, 2.5));
    p.setBrush(Kaldorian);
    p.drawRect(QRectF(9, 24, 4, 5));
}

void DrawPerson(QPainter& p, const QPointF& at, const QColor& c) {
    p.setPen(QPen(c.darker(160), 1));
    p.setBrush(c);
    p.drawEllipse(QRectF(at.x() - 4.5, at.y(), 9, 9));
    QPainterPath body;
    body.moveTo(at.x() - 8, at.y() + 21);
    body.cubicTo(at.x() - 8, at.y() + 10, at.x() + 8, at.y() + 10, at.x() + 8, at.y() + 21);
    body.closeSubpath();
    p.drawPath(body);
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(QColor(20, 60, 140), 1.2));
    p.setBrush(QColor(60, 120, 210));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont f;
    f.setPixelSize(19);
    f.setBold(true);
    f.setFamily(QStringLiteral("serif"));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("i"));
}

void DrawSensor(QPainter& p) {
    // A pressure gauge with two arrows around it.
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(235, 235, 235));
    p.drawEllipse(QRectF(6, 4, 20, 20));
    p.setPen(QPen(Kaldorian, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 14), QPointF(22, 9));
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(120, 124, 132));
    p.drawRect(QRectF(13, 24, 6, 6));
    p.setPen(QPen(QColor(30, 120, 30), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1, 1, 30, 30), 200 * 16, 70 * 16);
    p.drawArc(QRectF(1, 1, 30, 30), 20 * 16, 70 * 16);
}

QPixmap DrawImage(int index) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // read the tester
        DrawTester(p);
        DrawArrowDown(p, QColor(60, 170, 60));
        break;
    case 2: // clear the tester
        DrawTester(p);
        DrawCross(p, QRectF(20, 16, 10, 10));
        break;
    case 4: // clear after reading
        DrawArrowDown(p, QColor(60, 170, 60));
        DrawCross(p, QRectF(5, 16, 10, 10));
        break;
    case 6:
        DrawFolder(p);
        break;
    case 8:
        DrawDisk(p);
        break;
    case 10:
        DrawPrinter(p);
        break;
    case 12:
        DrawExit(p);
        break;
    case 14:
        DrawCompany(p);
        break;
    case 16:
        DrawPerson(p, QPointF(21, 5), QColor(120, 150, 200));
        DrawPerson(p, QPointF(11, 9), QColor(70, 110, 180));
        break;
    case 18:
        DrawAbout(p);
        break;
    case 20:
        DrawSensor(p);
        break;
    default:
        break;
    }
    return pm;
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

QIcon ImageListIcon(int index) {
    QIcon own(DrawImage(index));
    // The desktop's theme where it has a fitting picture; ours elsewhere.
    const char* theme = ThemeName(index);
    return theme ? QIcon::fromTheme(QLatin1String(theme), own) : own;
}

QIcon ProgramIcon() {
    // The window library is static: its resources are registered by hand.
    Q_INIT_RESOURCE(vrx_mainwindow);
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
