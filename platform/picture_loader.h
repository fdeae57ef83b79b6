// Loading picture files by extension: ".jpg"/".jpeg" through libjpeg,
// ".bmp" through Qt. Any failure leaves *out untouched.
#pragma once

#include <QImage>
#include <QString>

bool LoadPictureFile(const QString& path, QImage* out);
// JPEG bytes in memory; false for anything the decoder does not accept.
bool DecodeJpeg(const QByteArray& bytes, QImage* out);
// The built-in default company logo (needs no file).
QImage DefaultLogoPicture();
