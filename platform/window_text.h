// The windows' edge: texts on disk and from the tester are Windows-1252
// bytes, the controls show Unicode; numbers use the locale's separators.
// Header only, for every window library (main window, dialogs, printed page).
#pragma once

#include "text/cp1252.h"

#include <QLocale>
#include <QString>

#include <string>

inline QString DiskToQ(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}
inline std::string QToDisk(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

inline QChar LocaleDecimalPoint() {
    const QString s = QLocale().decimalPoint();
    return s.isEmpty() ? QLatin1Char('.') : s.at(0);
}
inline QChar LocaleGroupSeparator() {
    const QString s = QLocale().groupSeparator();
    return s.isEmpty() ? QLatin1Char(',') : s.at(0);
}
