#include "platform/picture_loader.h"

#include "fileio/safe_file.h"
#include "platform/window_text.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

// Resources of a static library are registered by hand; outside any namespace.
static void InitPlatformResources() {
    Q_INIT_RESOURCE(vrx_platform);
}

namespace {

constexpr int kMaxScans = 500; // a valid progressive file has a few dozen

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

// Warnings mean corrupt data: a picture with holes in it is no picture.
// Only a few mere oddities of otherwise sound files are let through.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) {
        return; // trace messages
    }
    const int code = cinfo->err->msg_code;
    if (code == JWRN_ADOBE_XFORM || code == JWRN_JFIF_MAJOR) {
        return;
    }
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void OnOutputMessage(j_common_ptr) {}

struct ProgressMonitor {
    jpeg_progress_mgr pub; // first: libjpeg sees only this part
    qint64 maxScanPixels = 0;
};

// Endless progressive scans would keep the window busy for minutes; many
// legal ones over a huge picture still take seconds. Each scan walks the
// whole picture, so scans are counted against its size.
void OnProgress(j_common_ptr cinfo) {
    bool giveUp = false;
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        const auto* monitor = reinterpret_cast<const ProgressMonitor*>(cinfo->progress);
        const qint64 scans = d->input_scan_number;
        giveUp = scans > kMaxScans ||
                 (monitor->maxScanPixels > 0 &&
                  scans * d->image_width * d->image_height > monitor->maxScanPixels);
    }
    if (giveUp) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::longjmp(err->jump, 1);
    }
}

// The largest DCT scaling M/8 that brings the picture into the box; 1/8
// when none does.
int ScaleEighths(qint64 w, qint64 h, int fitSide) {
    if (fitSide <= 0) {
        return 8;
    }
    for (int m = 8; m > 1; --m) {
        if ((w * m + 7) / 8 <= fitSide && (h * m + 7) / 8 <= fitSide) {
            return m;
        }
    }
    return 1;
}

// Everything touched after setjmp lives here, outside the jumping frame, so
// no local variable is left indeterminate by longjmp.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    ProgressMonitor progress{};
    QImage image;
    std::vector<unsigned char> row;
    bool created = false;
};

bool Decode(DecodeState& s, const QByteArray& bytes, const JpegBounds& bounds) {
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = OnError;
    s.err.pub.emit_message = OnMessage;
    s.err.pub.output_message = OnOutputMessage;
    if (setjmp(s.err.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.progress.pub.progress_monitor = OnProgress;
    s.progress.maxScanPixels = bounds.maxScanPixels;
    // Beyond this libjpeg wants a backing store, which it has not: the
    // decode fails before the memory is taken.
    if (bounds.maxMemory > 0) {
        s.cinfo.mem->max_memory_to_use = static_cast<long>(bounds.maxMemory);
    }
    s.cinfo.progress = &s.progress.pub;
    jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    const qint64 w = s.cinfo.image_width;
    const qint64 h = s.cinfo.image_height;
    if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide ||
        w * h > bounds.maxPixels) {
        return false;
    }
    s.cinfo.scale_num = static_cast<unsigned>(ScaleEighths(w, h, bounds.fitSide));
    s.cinfo.scale_denom = 8;
    const J_COLOR_SPACE source = s.cinfo.jpeg_color_space;
    const bool cmyk = source == JCS_CMYK || source == JCS_YCCK;
    const bool gray = source == JCS_GRAYSCALE;
    s.cinfo.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
    if (!jpeg_start_decompress(&s.cinfo)) {
        return false;
    }
    const int components = s.cinfo.output_components;
    const qint64 outW = s.cinfo.output_width;
    const qint64 outH = s.cinfo.output_height;
    if (outW <= 0 || outH <= 0 || outW > w || outH > h || components != (cmyk ? 4 : gray ? 1 : 3)) {
        return false;
    }
    s.image = QImage(static_cast<int>(outW), static_cast<int>(outH), QImage::Format_RGB888);
    if (s.image.isNull()) {
        return false; // out of memory
    }
    s.row.resize(static_cast<std::size_t>(outW) * static_cast<std::size_t>(components));
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const int y = static_cast<int>(s.cinfo.output_scanline);
        uchar* out = s.image.scanLine(y);
        JSAMPROW rowPtr = components == 3 ? out : s.row.data();
        if (jpeg_read_scanlines(&s.cinfo, &rowPtr, 1) != 1) {
            return false;
        }
        const unsigned char* in = s.row.data();
        if (gray) {
            for (qint64 x = 0; x < outW; ++x) {
                out[x * 3] = out[x * 3 + 1] = out[x * 3 + 2] = in[x];
            }
        } else if (cmyk) {
            // Adobe writes inverted CMYK, the usual kind in JPEG files.
            for (qint64 x = 0; x < outW; ++x) {
                const int k = in[x * 4 + 3];
                out[x * 3] = static_cast<uchar>(in[x * 4] * k / 255);
                out[x * 3 + 1] = static_cast<uchar>(in[x * 4 + 1] * k / 255);
                out[x * 3 + 2] = static_cast<uchar>(in[x * 4 + 2] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&s.cinfo);
    return true;
}

quint32 U16At(const QByteArray& b, int at) {
    return quint32(uchar(b[at])) | quint32(uchar(b[at + 1])) << 8;
}

quint32 U32At(const QByteArray& b, int at) {
    return U16At(b, at) | U16At(b, at + 2) << 16;
}

// What a bitmap's header promises, weighed before the decoder allocates:
// its pixels, the memory they take decoded (one byte a pixel up to 8 bits,
// four above), and for run-length data the pixels its bytes can hold.
bool BitmapWithinBounds(const QByteArray& b) {
    if (b.size() < 30 || b[0] != 'B' || b[1] != 'M') {
        return false;
    }
    const quint32 headerSize = U32At(b, 14);
    qint64 w = 0;
    qint64 h = 0;
    quint32 bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        w = U16At(b, 18);
        h = U16At(b, 20);
        bits = U16At(b, 24);
    } else if (headerSize >= 40 && b.size() >= 34) {
        w = qint32(U32At(b, 18));
        h = qint32(U32At(b, 22));
        bits = U16At(b, 28);
        compression = U32At(b, 30);
    } else {
        return false;
    }
    h = h < 0 ? -h : h; // top-down rows
    if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxLogoPixels ||
        w * h * (bits <= 8 ? 1 : 4) > kMaxLogoDecodeBytes) {
        return false;
    }
    constexpr quint32 kRle8 = 1;
    constexpr quint32 kRle4 = 2;
    if (compression == kRle8 || compression == kRle4) {
        const qint64 dataBytes = qMax<qint64>(0, b.size() - qint64{U32At(b, 10)});
        return w * h <= kMaxRlePixelsPerByte * dataBytes;
    }
    return true;
}

bool DecodeBitmap(const QByteArray& bytes, QImage* out) {
    if (!BitmapWithinBounds(bytes)) {
        return false;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return false;
    }
    QImageReader reader(&buffer, "BMP");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
        qint64{size.width()} * size.height() > kMaxLogoPixels) {
        return false;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return false;
    }
    *out = std::move(image);
    return true;
}

} // namespace

bool DecodeJpegBounded(const QByteArray& bytes, QImage* out, const JpegBounds& bounds) {
    if (out == nullptr || bytes.isEmpty()) {
        return false;
    }
    DecodeState state;
    const bool ok = Decode(state, bytes, bounds);
    if (state.created) {
        jpeg_destroy_decompress(&state.cinfo);
    }
    if (!ok) {
        return false;
    }
    *out = std::move(state.image);
    return true;
}

bool DecodeJpegLimited(const QByteArray& bytes, QImage* out, qint64 maxPixels) {
    JpegBounds bounds;
    bounds.maxPixels = maxPixels;
    return DecodeJpegBounded(bytes, out, bounds);
}

bool DecodeJpeg(const QByteArray& bytes, QImage* out) {
    return DecodeJpegLimited(bytes, out, kMaxPicturePixels);
}

bool LoadPictureFile(const QString& path, QImage* out) {
    if (out == nullptr || path.isEmpty()) {
        return false;
    }
    const QString ext = QFileInfo(path).suffix().toLower();
    const bool jpeg = ext == QLatin1String("jpg") || ext == QLatin1String("jpeg");
    if (!jpeg && ext != QLatin1String("bmp")) {
        return false;
    }
    // Type and size are checked on the open file before reading: a pipe
    // or a huge file never holds up the start.
    std::string bytes;
    if (safefile::ReadRegularFile(PathToCore(path), bytes, kMaxLogoFileBytes) !=
        safefile::ReadStatus::Ok) {
        return false;
    }
    const QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QImage picture;
    if (jpeg) {
        JpegBounds bounds;
        bounds.maxPixels = kMaxLogoPixels;
        bounds.fitSide = kMaxLogoSide;
        bounds.maxScanPixels = kMaxLogoScanPixels;
        bounds.maxMemory = kMaxLogoDecodeBytes;
        if (!DecodeJpegBounded(data, &picture, bounds)) {
            return false;
        }
    } else if (!DecodeBitmap(data, &picture)) {
        return false;
    }
    // Smooth scaling turns a palette picture into 32 bits a pixel first: a
    // large one is brought near the box by dropping pixels before that.
    if (picture.width() > 2 * kMaxLogoSide || picture.height() > 2 * kMaxLogoSide) {
        picture = picture.scaled(2 * kMaxLogoSide, 2 * kMaxLogoSide, Qt::KeepAspectRatio,
                                 Qt::FastTransformation);
    }
    if (picture.width() > kMaxLogoSide || picture.height() > kMaxLogoSide) {
        picture = picture.scaled(kMaxLogoSide, kMaxLogoSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
    }
    *out = std::move(picture);
    return true;
}

QImage DefaultLogoPicture() {
    static const QImage logo = [] {
        InitPlatformResources();
        QFile file(QStringLiteral(":/platform/default_logo.jpg"));
        QImage image;
        if (file.open(QIODevice::ReadOnly)) {
            DecodeJpeg(file.readAll(), &image);
        }
        return image;
    }();
    return logo;
}
