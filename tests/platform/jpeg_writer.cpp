#include "tests/platform/jpeg_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

QByteArray EncodeJpeg(const QImage& source, JpegKind kind, int quality) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err); // test data: a failure may abort
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    switch (kind) {
    case JpegKind::Gray:
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        break;
    case JpegKind::AdobeCmyk:
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        break;
    default:
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::Progressive) {
        jpeg_simple_progression(&cinfo);
    }
    std::vector<jpeg_scan_info> scans;
    if (kind == JpegKind::ManyScans) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = cinfo.num_components;
        for (int c = 0; c < cinfo.num_components; ++c) {
            dc.component_index[c] = c;
        }
        scans.push_back(dc);
        for (int c = 0; c < cinfo.num_components; ++c) {
            for (int k = 1; k < 64; ++k) {
                jpeg_scan_info ac{};
                ac.comps_in_scan = 1;
                ac.component_index[0] = c;
                ac.Ss = ac.Se = k;
                scans.push_back(ac);
            }
        }
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(image.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uchar* in = image.constScanLine(static_cast<int>(cinfo.next_scanline));
        for (int x = 0; x < image.width(); ++x) {
            const int r = in[x * 3], g = in[x * 3 + 1], b = in[x * 3 + 2];
            if (kind == JpegKind::Gray) {
                row[x] = static_cast<unsigned char>((r * 299 + g * 587 + b * 114) / 1000);
            } else if (kind == JpegKind::AdobeCmyk) {
                // Inverted CMYK: 255 means no ink; the decoder computes c * k / 255.
                const int k = std::max({r, g, b});
                auto ink = [k](int v) { return k == 0 ? 0 : v * 255 / k; };
                row[x * 4] = static_cast<unsigned char>(ink(r));
                row[x * 4 + 1] = static_cast<unsigned char>(ink(g));
                row[x * 4 + 2] = static_cast<unsigned char>(ink(b));
                row[x * 4 + 3] = static_cast<unsigned char>(k);
            } else {
                row[x * 3] = static_cast<unsigned char>(r);
                row[x * 3 + 1] = static_cast<unsigned char>(g);
                row[x * 3 + 2] = static_cast<unsigned char>(b);
            }
        }
        JSAMPROW rowPtr = row.data();
        jpeg_write_scanlines(&cinfo, &rowPtr, 1);
    }
    jpeg_finish_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}
