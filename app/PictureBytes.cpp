#include "PictureBytes.h"

#include <QtEndian>
#include <zlib.h>

namespace app {

namespace {

constexpr quint32 dotsPerMetre = 3780; // 96 dpi

void put32(QByteArray& bytes, quint32 value) {
    const quint32 big = qToBigEndian(value);
    bytes.append(reinterpret_cast<const char*>(&big), 4);
}

void putLittle(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(char(value >> (8 * i) & 0xff));
}

void chunk(QByteArray& png, const char* type, const QByteArray& data) {
    put32(png, quint32(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4).append(data);
    put32(png, quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + start), uInt(png.size() - start))));
}

} // namespace

QByteArray pngBytes(const QImage& picture) {
    const int width = picture.width(), height = picture.height();
    // Two colours, the ground's first: one bit a pixel, packed rows behind filter 0. A
    // thirtieth of a colour picture's data to compress, for the same pixels.
    const QRgb ground = picture.pixel(0, 0);
    QRgb ink = ground;
    const int rowBytes = 1 + (width + 7) / 8;
    QByteArray raw(qsizetype(height) * rowBytes, '\0');
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* out = reinterpret_cast<uchar*>(raw.data()) + qsizetype(y) * rowBytes + 1;
        for (int x = 0; x < width; ++x)
            if (row[x] != ground) {
                ink = row[x];
                out[x / 8] |= uchar(0x80 >> (x % 8));
            }
    }
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
                  uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    packed.resize(qsizetype(size));

    QByteArray header, palette, density;
    put32(header, quint32(width));
    put32(header, quint32(height));
    header.append("\x01\x03\x00\x00\x00", 5); // 1 bit, palette, deflate, no interlace
    for (const QRgb colour : {ground, ink})
        palette.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    put32(density, dotsPerMetre);
    put32(density, dotsPerMetre);
    density.append('\1'); // per metre
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "PLTE", palette);
    chunk(png, "pHYs", density);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});
    return png;
}

QByteArray bmpBytes(const QImage& picture) {
    const int width = picture.width(), height = picture.height();
    const int stride = (width * 3 + 3) / 4 * 4;
    const quint32 pixels = quint32(stride) * quint32(height);
    QByteArray bmp;
    bmp.append("BM", 2);
    for (const auto& [value, size] : {std::pair<quint32, int>{54 + pixels, 4}, {0, 4}, {54, 4}, {40, 4},
                                      {quint32(width), 4}, {quint32(height), 4}, {1, 2}, {24, 2}, {0, 4},
                                      {pixels, 4}, {dotsPerMetre, 4}, {dotsPerMetre, 4}, {0, 4}, {0, 4}})
        putLittle(bmp, value, size);
    // Bottom-up rows of blue, green, red, each padded to four bytes.
    bmp.resize(54 + qsizetype(pixels), '\0');
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(height - 1 - y));
        char* out = bmp.data() + 54 + qsizetype(y) * stride;
        for (int x = 0; x < width; ++x) {
            *out++ = char(qBlue(row[x]));
            *out++ = char(qGreen(row[x]));
            *out++ = char(qRed(row[x]));
        }
    }
    return bmp;
}

} // namespace app
