#include "platform/window_style.h"

#include <QFontDatabase>

namespace WindowStyle {

QFont FormFont() {
    const QStringList installed = QFontDatabase::families();
    QString family = QStringLiteral("Tahoma");
    for (const QString& name : UiFamilies()) {
        if (installed.contains(name, Qt::CaseInsensitive)) {
            family = name;
            break;
        }
    }
    QFont font(family, 8);
    font.setBold(true);
    return font;
}

QFont AboutFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QString LinkFamily() {
    return QFontDatabase::families().contains(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma")
                                                                        : QStringLiteral("Arial");
}

QFont PageFont(bool bold) {
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setBold(bold);
    return font;
}

} // namespace WindowStyle
