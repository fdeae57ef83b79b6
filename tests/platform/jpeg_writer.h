// Test pictures: JPEG bytes written with libjpeg, so the tests depend on no
// image plugin.
#pragma once

#include <QByteArray>
#include <QImage>

enum class JpegKind { Rgb, Progressive, Gray, AdobeCmyk };

// image is taken as RGB; for AdobeCmyk the colours are stored as inverted
// CMYK with K = 255 - max(r, g, b), the way Adobe programs write them.
QByteArray EncodeJpeg(const QImage& image, JpegKind kind = JpegKind::Rgb, int quality = 95);
