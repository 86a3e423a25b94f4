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
    // Each row: filter 0, then red, green, blue.
    QByteArray raw;
    raw.reserve(qsizetype(height) * (1 + 3 * width));
    for (int y = 0; y < height; ++y) {
        raw.append('\0');
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x)
            raw.append(char(qRed(row[x]))).append(char(qGreen(row[x]))).append(char(qBlue(row[x])));
    }
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
                  uLong(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    packed.resize(qsizetype(size));

    QByteArray header, density;
    put32(header, quint32(width));
    put32(header, quint32(height));
    header.append("\x08\x02\x00\x00\x00", 5); // 8 bits a channel, RGB, deflate, no interlace
    put32(density, dotsPerMetre);
    put32(density, dotsPerMetre);
    density.append('\1'); // per metre
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
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
    bmp.reserve(54 + qsizetype(pixels));
    bmp.append("BM", 2);
    for (const auto& [value, size] : {std::pair<quint32, int>{54 + pixels, 4}, {0, 4}, {54, 4}, {40, 4},
                                      {quint32(width), 4}, {quint32(height), 4}, {1, 2}, {24, 2}, {0, 4},
                                      {pixels, 4}, {dotsPerMetre, 4}, {dotsPerMetre, 4}, {0, 4}, {0, 4}})
        putLittle(bmp, value, size);
    // Bottom-up rows of blue, green, red, each padded to four bytes.
    for (int y = height - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x)
            bmp.append(char(qBlue(row[x]))).append(char(qGreen(row[x]))).append(char(qRed(row[x])));
        bmp.append(stride - width * 3, '\0');
    }
    return bmp;
}

} // namespace app
