// The windows' shared look: the brand colours and the type faces, so that a
// changed face or colour is changed once. The common parts are inline: the
// message dialog's test builds that dialog without this library.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

namespace WindowStyle {

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
