// A printed page kept as PDF bytes until it is known to be whole, then put
// in place of the chosen file through the shared writer.
#pragma once

#include <QByteArray>
#include <QString>

// Whether the bytes are a complete PDF: "%PDF-" at the start, "%%EOF" at
// the end (trailing whitespace allowed) and a "startxref" offset that points
// at a cross-reference inside the data before it.
bool IsCompletePdf(const QByteArray& pdf);

// Replaces the file at path by a complete PDF: the old file's mode is kept,
// a link is followed, a read-only file is refused. False (the old file as it
// was) when pdf is not complete or the file cannot be replaced.
bool ReplacePdfFile(const QString& path, const QByteArray& pdf);
