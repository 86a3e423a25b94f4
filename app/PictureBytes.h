#pragma once
// A drawn code as the bytes of a PNG or a 24-bit BMP file, written here rather than through
// Qt's image writers: those load every image format plugin first, which took most of a
// one-code run.
#include <QByteArray>
#include <QImage>

namespace app {

// picture: Format_RGB32 of two colours at most, the ground's at the top-left corner; 96 dpi.
// Empty when memory runs out.
QByteArray pngBytes(const QImage& picture);
QByteArray bmpBytes(const QImage& picture);

} // namespace app
