// The windows' edge: texts on disk and from the tester are Windows-1252
// bytes, the controls show Unicode; numbers use the locale's separators.
// Header only, for every window library (main window, dialogs, printed page).
#pragma once

#include "text/cp1252.h"

#include <QFile>
#include <QLocale>
#include <QString>

#include <string>

inline QString DiskToQ(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}
inline std::string QToDisk(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

// File names for the core: the system's 8-bit names on Linux, UTF-8 on
// Windows, where the file layer opens them through the wide API (the ANSI
// code page would lose any name outside it).
inline std::string PathToCore(const QString& path) {
#ifdef _WIN32
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}
inline QString PathFromCore(const std::string& path) {
#ifdef _WIN32
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

inline QChar LocaleDecimalPoint() {
    const QString s = QLocale().decimalPoint();
    return s.isEmpty() ? QLatin1Char('.') : s.at(0);
}
inline QChar LocaleGroupSeparator() {
    const QString s = QLocale().groupSeparator();
    return s.isEmpty() ? QLatin1Char(',') : s.at(0);
}
