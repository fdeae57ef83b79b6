#include "print/pdf_file.h"

#include "fileio/safe_file.h"
#include "platform/window_text.h"

#include <QFile>

#include <string_view>

bool IsCompletePdf(const QByteArray& pdf) {
    static const QByteArray eof("%%EOF");
    static const QByteArray startxref("startxref");
    if (!pdf.startsWith("%PDF-")) {
        return false;
    }
    const QByteArray body = pdf.trimmed();
    if (!body.endsWith(eof)) {
        return false;
    }
    const qsizetype key = body.lastIndexOf(startxref);
    if (key < 0) {
        return false;
    }
    const qsizetype numberAt = key + startxref.size();
    bool ok = false;
    const qlonglong offset =
        body.mid(numberAt, body.size() - eof.size() - numberAt).trimmed().toLongLong(&ok);
    if (!ok || offset <= 0 || offset >= key) {
        return false;
    }
    // A cross-reference table, or the object header of a cross-reference stream.
    const char first = body.at(offset);
    return body.mid(offset, 4) == "xref" || (first >= '0' && first <= '9');
}

bool ReplacePdfFile(const QString& path, const QByteArray& pdf) {
    if (path.isEmpty() || !IsCompletePdf(pdf)) {
        return false;
    }
    return safefile::ReplaceFile(PathToCore(path), std::string_view(pdf.constData(), pdf.size()));
}
