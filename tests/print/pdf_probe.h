// Looks into a printed PDF with poppler's tools: the words with their
// top-left in 600 dpi page pixels (pdftotext -bbox), the document info
// (pdfinfo) and a raster of the page (pdftoppm); the file's bytes and mode.
#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

struct PdfWord {
    QString Text;
    double X = 0, Y = 0, Height = 0; // 600 dpi pixels
    double XMax = 0;                 // right end
};

inline bool HavePopplerTools() {
    for (const char* tool : {"pdftotext", "pdfinfo", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            return false;
        }
    }
    return true;
}

inline QByteArray RunTool(const char* tool, const QStringList& args) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QLatin1String(tool)), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return {};
    }
    return p.readAllStandardOutput();
}

inline QList<PdfWord> PdfWords(const QString& pdf) {
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    const QString html = QString::fromUtf8(RunTool("pdftotext", {"-bbox", pdf, "-"}));
    QList<PdfWord> words;
    const double px = 600.0 / 72.0;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        // Ligatures such as "fi" come back as one character.
        words.append({text.normalized(QString::NormalizationForm_KC), m.captured(1).toDouble() * px,
                      m.captured(2).toDouble() * px,
                      (m.captured(4).toDouble() - m.captured(2).toDouble()) * px,
                      m.captured(3).toDouble() * px});
    }
    return words;
}

// The words of the line whose top is at y, from x (within a tolerance of
// 13 pixels, about 1.5 points) up to untilX, joined by blanks.
inline QString LineAt(const QList<PdfWord>& words, double x, double y, double untilX = 5000) {
    QList<PdfWord> line;
    for (const PdfWord& w : words) {
        if (std::abs(w.Y - y) < 13 && w.X > x - 13 && w.X < untilX - 13) {
            line << w;
        }
    }
    std::sort(line.begin(), line.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.X < b.X; });
    QStringList found;
    for (const PdfWord& w : line) {
        found << w.Text;
    }
    return found.join(QLatin1Char(' '));
}

inline QString PdfInfo(const QString& pdf) {
    return QString::fromUtf8(RunTool("pdfinfo", {pdf}));
}

// The page at 50 dpi: one raster pixel is 12 page pixels.
inline QImage PdfRaster(const QString& pdf) {
    const QString base = pdf + QStringLiteral(".raster");
    RunTool("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The whole file (empty when unreadable) and its permission bits.
inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline unsigned FileMode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}
