// Picture files made byte by byte for the picture loader's tests and the
// logo bench: JPEG through libjpeg (tests/platform/jpeg_writer.h), a JPEG
// with a false frame size, bitmap headers and a run-length bitmap.
#pragma once

#include "tests/platform/jpeg_writer.h"

#include <QByteArray>

// jpeg with the frame size in its SOF0 marker replaced; unchanged when it
// has no such marker.
QByteArray WithFrameSize(QByteArray jpeg, int width, int height);

// The 54 bytes of a bitmap's file and information headers: a palette of
// paletteBytes (4 per colour) and dataBytes of pixels follow them.
// compression 0 is plain rows, 1 run-length 8-bit.
QByteArray BitmapHeader(int width, int height, int bits, int compression, int paletteBytes,
                        quint32 dataBytes);

// An 8-bit run-length bitmap: a grey palette, then rows of runs, bottom row
// first; each row 'left' pixels of index 10 and 'right' of index 200 in runs
// of at most 255, then the end of the line. The header claims
// claimedW x claimedH whatever the rows hold.
QByteArray Rle8Bitmap(int left, int right, int rows, int claimedW, int claimedH);
