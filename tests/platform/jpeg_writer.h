// Test pictures: JPEG bytes written with libjpeg, so the tests depend on no
// image plugin.
#pragma once

#include <QByteArray>
#include <QImage>

// ManyScans: progressive with one scan per coefficient and component (190
// scans in colour), legal but slow to decode over a large picture.
enum class JpegKind { Rgb, Progressive, Gray, AdobeCmyk, ManyScans };

// image is taken as RGB; for AdobeCmyk the colours are stored as inverted
// CMYK with K = 255 - max(r, g, b), the way Adobe programs write them.
QByteArray EncodeJpeg(const QImage& image, JpegKind kind = JpegKind::Rgb, int quality = 95);
