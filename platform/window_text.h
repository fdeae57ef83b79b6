// The windows' edge: texts on disk and from the tester are Windows-1252
// bytes, the controls show Unicode; numbers use the locale's separators.
// Header only, for every window library (main window, dialogs, printed page).
#pragma once

#include "text/cp1252.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QUrl>

#include <string>
#include <vector>

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

// The program's arguments for the file layer: on Linux the bytes given (a
// name need not be UTF-8, and a QString would lose it), on Windows the wide
// command line in UTF-8.
inline std::vector<std::string> ArgumentsToCore([[maybe_unused]] int argc,
                                                [[maybe_unused]] char** argv) {
#ifdef _WIN32
    std::vector<std::string> out;
    for (const QString& a : QCoreApplication::arguments())
        out.push_back(a.toStdString());
    return out;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

// A local file's url for the file layer: its percent-encoded bytes as they
// are on Linux, UTF-8 on Windows.
inline std::string LocalFileToCore(const QUrl& url) {
#ifdef _WIN32
    return url.toLocalFile().toStdString();
#else
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
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
