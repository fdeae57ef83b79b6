// Loading picture files by extension: ".jpg"/".jpeg" through libjpeg,
// ".bmp" through Qt. Any failure leaves *out untouched.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Larger pictures are refused before anything is allocated for them.
inline constexpr int kMaxPictureSide = 20000;
inline constexpr qint64 kMaxPicturePixels = 100LL * 1000 * 1000;

bool LoadPictureFile(const QString& path, QImage* out);
// JPEG bytes in memory; false for anything the decoder does not accept,
// including data the decoder only warns about (a picture with holes).
bool DecodeJpeg(const QByteArray& bytes, QImage* out);
// The same with a smaller pixel limit (the fuzzer keeps its runs short).
bool DecodeJpegLimited(const QByteArray& bytes, QImage* out, qint64 maxPixels);
// The built-in default company logo (needs no file).
QImage DefaultLogoPicture();
