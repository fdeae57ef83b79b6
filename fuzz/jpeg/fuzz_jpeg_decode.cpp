// DecodeJpeg over arbitrary bytes: never a crash, an endless loop or a read
// outside the input; a failed decode leaves the target alone, a successful
// one gives a whole picture of the declared size.
#include "platform/picture_loader.h"

#include <cstddef>
#include <cstdint>

namespace {

// Small enough to keep each run short; the full limits only add memory.
constexpr qint64 kFuzzPixels = 4LL * 1000 * 1000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No copy: the sanitizer sees every read past the fuzzer's buffer.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QImage out(1, 1, QImage::Format_RGB32);
    out.fill(0x123456u);
    const QImage before = out;
    if (DecodeJpegLimited(bytes, &out, kFuzzPixels)) {
        if (out.isNull() || out.format() != QImage::Format_RGB888 ||
            qint64{out.width()} * out.height() > kFuzzPixels) {
            __builtin_trap();
        }
        // Touch the last pixel: the whole picture must be there.
        volatile uchar last = out.constScanLine(out.height() - 1)[out.width() * 3 - 1];
        (void)last;
    } else if (out != before) {
        __builtin_trap();
    }
    return 0;
}
