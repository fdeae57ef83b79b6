// The windows' shared look: the brand colours and the type faces, so that a
// changed face or colour is changed once. The common parts are inline: the
// message dialog's test builds that dialog without this library.
#pragma once

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QStyle>

namespace WindowStyle {

// A standard picture of the application's style. The style looks each up in
// the desktop's icon theme, which under X11 walks every folder of the theme
// where the user's icon folder has no cache; the dialogs ask for the same few
// at start-up, so each is looked up once.
inline QIcon StandardIcon(QStyle::StandardPixmap which) {
    static QHash<int, QIcon> cache;
    static const QStyle* cachedFor = nullptr;
    const QStyle* style = QApplication::style();
    if (style != cachedFor) {
        cache.clear();
        cachedFor = style;
    }
    auto it = cache.find(which);
    if (it == cache.end())
        it = cache.insert(which, style->standardIcon(which));
    return *it;
}

// The maker's red behind every window.
inline QColor BrandRed() {
    return QColor(226, 26, 0);
}

// The light face of panels and fields inside the red windows.
inline QColor PanelFace() {
    return QColor(244, 248, 244);
}

// Tahoma where installed, else the closest sans faces, in this order.
inline QStringList UiFamilies() {
    return {QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
            QStringLiteral("Liberation Sans")};
}

// The dialogs' face; pixelSize 0 keeps the toolkit's size.
inline QFont UiFont(int pixelSize = 0, bool bold = true) {
    QFont f;
    f.setFamilies(UiFamilies());
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    return f;
}

// Makes the application's style one that takes the picture of a menu or tool
// bar's overflow button from the toolkit's own style only when the button is
// first drawn. The toolkit reads that picture by probing every picture-format
// plug-in, which loads them all (and the SVG library) while the menu bar is
// made, for a button the main window shows only when it is too narrow for
// its menus. Everything else is the toolkit's own style. Before the first
// window; a second call changes nothing.
void UseApplicationStyle();

// The main window's face: the first installed of UiFamilies() as its one
// family, 8 points, bold.
QFont FormFont();

// The About box's face: Tahoma, else Arial.
QFont AboutFont(int pixelSize, bool bold);

// The link label's one family: Tahoma where installed, else Arial.
QString LinkFamily();

// The printed page's face, without its size: Tahoma's condensed look comes
// closest among the faces a Linux desktop usually has.
QFont PageFont(bool bold);

} // namespace WindowStyle
