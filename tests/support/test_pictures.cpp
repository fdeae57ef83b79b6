#include "tests/support/test_pictures.h"

#include <algorithm>
#include <utility>

QByteArray WithFrameSize(QByteArray jpeg, int width, int height) {
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0 || sof + 8 >= jpeg.size()) {
        return jpeg;
    }
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

QByteArray BitmapHeader(int width, int height, int bits, int compression, int paletteBytes,
                        quint32 dataBytes) {
    QByteArray b(54, '\0');
    auto put32 = [&b](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = static_cast<char>(v >> (8 * i));
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54 + quint32(paletteBytes) + dataBytes);
    put32(10, 54 + quint32(paletteBytes));
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    b[26] = 1;
    b[28] = static_cast<char>(bits);
    put32(30, quint32(compression));
    put32(34, compression != 0 ? dataBytes : 0);
    put32(46, quint32(paletteBytes / 4));
    return b;
}

QByteArray Rle8Bitmap(int left, int right, int rows, int claimedW, int claimedH) {
    QByteArray data;
    for (int y = 0; y < rows; ++y) {
        for (auto [n, index] : {std::pair{left, 10}, std::pair{right, 200}}) {
            for (; n > 0; n -= std::min(n, 255)) {
                data.append(char(std::min(n, 255))).append(char(index));
            }
        }
        data.append('\0').append('\0');
    }
    data.append('\0').append('\1');
    QByteArray b = BitmapHeader(claimedW, claimedH, 8, 1, 1024, quint32(data.size()));
    for (int i = 0; i < 256; ++i) {
        b.append(char(i)).append(char(i)).append(char(i)).append('\0');
    }
    return b + data;
}
