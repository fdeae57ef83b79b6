// The dialogs' type face: Tahoma bold where installed, else the closest
// sans face. Header only: the message dialog's test builds that dialog alone.
#pragma once

#include <QFont>
#include <QString>

// pixelSize 0 keeps the toolkit's size.
inline QFont TahomaBold(int pixelSize = 0) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    return f;
}
