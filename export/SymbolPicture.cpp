#include "SymbolPicture.h"

namespace exporting {

namespace {
constexpr int quietZone = 4;
}

int smallestSide(const host::Symbol& symbol) {
    return symbol.width + 2 * quietZone;
}

QImage symbolPicture(const host::Symbol& symbol, int side) {
    const int width = symbol.width;
    if (width <= 0 || side < smallestSide(symbol) || symbol.modules.size() < qsizetype(width) * width)
        return {};
    const int scale = side / smallestSide(symbol);
    const int margin = (side - width * scale) / 2;
    // One bit a pixel: 8192 pixels square is 8 MB, not the 256 of a colour picture.
    QImage picture(side, side, QImage::Format_Mono);
    if (picture.isNull())
        return picture;
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    picture.setDotsPerMeterX(3780); // 96 dpi, as the window's picture
    picture.setDotsPerMeterY(3780);
    for (int y = 0; y < width; ++y) {
        const int top = margin + y * scale;
        uchar* line = picture.scanLine(top);
        for (int x = 0; x < width; ++x)
            if (symbol.modules[y * width + x])
                for (int px = margin + x * scale; px < margin + (x + 1) * scale; ++px)
                    line[px >> 3] |= uchar(0x80 >> (px & 7));
        for (int row = 1; row < scale; ++row)
            std::copy_n(line, picture.bytesPerLine(), picture.scanLine(top + row));
    }
    return picture;
}

} // namespace exporting
