#pragma once
// The tool's picture of a code, painted independently of the tool: the largest whole-pixel module
// size with a 4-module white quiet zone, top-left in a square box of the window's grey.
#include <qrencode.h>

#include <QColor>
#include <QImage>
#include <QPainter>

namespace lumo::test {

constexpr int kPictureSide = 201; // the tool's picture box

inline int moduleScale(const QRcode& code, int side = kPictureSide) { return side / (code.width + 8); }

inline QImage paintQr(const QRcode& code, int side = kPictureSide) {
    const int modules = code.width;
    const int scale = moduleScale(code, side);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(239, 239, 239));
    QPainter painter(&image);
    painter.fillRect(0, 0, (modules + 8) * scale, (modules + 8) * scale, Qt::white);
    for (int y = 0; y < modules; ++y)
        for (int x = 0; x < modules; ++x)
            if (code.data[y * modules + x] & 1)
                painter.fillRect((x + 4) * scale, (y + 4) * scale, scale, scale, Qt::black);
    painter.end();
    return image;
}

} // namespace lumo::test
