#include "platform/picture_loader.h"

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

constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
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

// Endless progressive scans would keep the window busy for minutes.
void OnProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans) {
            auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
            std::longjmp(err->jump, 1);
        }
    }
}

// Everything touched after setjmp lives here, outside the jumping frame, so
// no local variable is left indeterminate by longjmp.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    QImage image;
    std::vector<unsigned char> row;
    bool created = false;
};

bool Decode(DecodeState& s, const QByteArray& bytes, qint64 maxPixels) {
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = OnError;
    s.err.pub.emit_message = OnMessage;
    s.err.pub.output_message = OnOutputMessage;
    if (setjmp(s.err.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.progress.progress_monitor = OnProgress;
    s.cinfo.progress = &s.progress;
    jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    const qint64 w = s.cinfo.image_width;
    const qint64 h = s.cinfo.image_height;
    if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide || w * h > maxPixels) {
        return false;
    }
    const J_COLOR_SPACE source = s.cinfo.jpeg_color_space;
    const bool cmyk = source == JCS_CMYK || source == JCS_YCCK;
    const bool gray = source == JCS_GRAYSCALE;
    s.cinfo.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
    if (!jpeg_start_decompress(&s.cinfo)) {
        return false;
    }
    const int components = s.cinfo.output_components;
    if (static_cast<qint64>(s.cinfo.output_width) != w ||
        static_cast<qint64>(s.cinfo.output_height) != h ||
        components != (cmyk   ? 4
                       : gray ? 1
                              : 3)) {
        return false;
    }
    s.image = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB888);
    if (s.image.isNull()) {
        return false; // out of memory
    }
    s.row.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(components));
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const int y = static_cast<int>(s.cinfo.output_scanline);
        uchar* out = s.image.scanLine(y);
        JSAMPROW rowPtr = components == 3 ? out : s.row.data();
        if (jpeg_read_scanlines(&s.cinfo, &rowPtr, 1) != 1) {
            return false;
        }
        const unsigned char* in = s.row.data();
        if (gray) {
            for (qint64 x = 0; x < w; ++x) {
                out[x * 3] = out[x * 3 + 1] = out[x * 3 + 2] = in[x];
            }
        } else if (cmyk) {
            // Adobe writes inverted CMYK, the usual kind in JPEG files.
            for (qint64 x = 0; x < w; ++x) {
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

bool LoadBitmap(const QString& path, QImage* out) {
    QImageReader reader(path, "BMP");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
        qint64{size.width()} * size.height() > kMaxPicturePixels) {
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

bool DecodeJpegLimited(const QByteArray& bytes, QImage* out, qint64 maxPixels) {
    if (out == nullptr || bytes.isEmpty()) {
        return false;
    }
    DecodeState state;
    const bool ok = Decode(state, bytes, maxPixels);
    if (state.created) {
        jpeg_destroy_decompress(&state.cinfo);
    }
    if (!ok) {
        return false;
    }
    *out = std::move(state.image);
    return true;
}

bool DecodeJpeg(const QByteArray& bytes, QImage* out) {
    return DecodeJpegLimited(bytes, out, kMaxPicturePixels);
}

bool LoadPictureFile(const QString& path, QImage* out) {
    if (out == nullptr || path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    if (!info.isFile()) {
        return false;
    }
    const QString ext = info.suffix().toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg")) {
        QFile file(path);
        if (info.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly)) {
            return false;
        }
        return DecodeJpeg(file.readAll(), out);
    }
    if (ext == QLatin1String("bmp")) {
        return LoadBitmap(path, out);
    }
    return false;
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
