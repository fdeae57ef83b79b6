// Loading picture files by extension: ".jpg"/".jpeg" through libjpeg,
// ".bmp" through Qt. Any failure leaves *out untouched.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Larger pictures are refused before anything is allocated for them.
inline constexpr int kMaxPictureSide = 20000;
inline constexpr qint64 kMaxPicturePixels = 100LL * 1000 * 1000;

// The company logo is read at every start and shown at most about 370 x 400
// pixels (main window column, company dialog 230 x 192; it is not printed),
// so a logo file is bounded well below the general limits: a hostile or
// merely huge logo costs a fraction of a second, then the default picture.
inline constexpr qint64 kMaxLogoFileBytes = 8LL * 1024 * 1024;
// Width x height from the file's header (a 24-megapixel photo still loads).
inline constexpr qint64 kMaxLogoPixels = 25LL * 1000 * 1000;
// Decoded no larger than this box (twice the largest place it is shown at),
// through libjpeg's DCT scaling, then smooth scaling for the rest.
inline constexpr int kMaxLogoSide = 800;
// What a decode may take, counted rather than timed, so that whether a logo
// loads is the same on every machine. The decoder's own memory: a 25-megapixel
// progressive photo keeps all its coefficients (about 72 MiB at 4:2:0, 143 MiB
// at 4:4:4); a bitmap's decoded pixels.
inline constexpr qint64 kMaxLogoDecodeBytes = 160LL * 1024 * 1024;
// Progressive scans times pixels: each scan walks the whole picture. A
// 25-megapixel file of 16 scans (libjpeg writes 10) still loads.
inline constexpr qint64 kMaxLogoScanPixels = 16 * kMaxLogoPixels;
// A run-length bitmap gives at most 255 pixels for each 2 bytes it holds;
// one claiming more than this per byte is mostly empty picture.
inline constexpr qint64 kMaxRlePixelsPerByte = 256;

// A logo file: the file is read only when it is a regular file of at most
// kMaxLogoFileBytes (a named pipe fails at once), the picture is refused
// beyond kMaxLogoPixels, kMaxLogoDecodeBytes or kMaxLogoScanPixels (checked
// before the memory is taken) and comes out within kMaxLogoSide x
// kMaxLogoSide, keeping its proportions.
bool LoadPictureFile(const QString& path, QImage* out);
// JPEG bytes in memory; false for anything the decoder does not accept,
// including data the decoder only warns about (a picture with holes).
bool DecodeJpeg(const QByteArray& bytes, QImage* out);
// The same with a smaller pixel limit (the fuzzer keeps its runs short).
bool DecodeJpegLimited(const QByteArray& bytes, QImage* out, qint64 maxPixels);

struct JpegBounds {
    qint64 maxPixels = kMaxPicturePixels; // header width x height
    int fitSide = 0;                      // > 0: DCT-scaled down towards this box
    qint64 maxScanPixels = 0;             // > 0: scans x pixels beyond this are refused
    qint64 maxMemory = 0;                 // > 0: the decoder's memory
};
// DecodeJpeg within the given bounds; with fitSide the result may still be
// larger than the box (DCT scaling stops at 1/8).
bool DecodeJpegBounded(const QByteArray& bytes, QImage* out, const JpegBounds& bounds);
// The built-in default company logo (needs no file).
QImage DefaultLogoPicture();
