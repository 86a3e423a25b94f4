#pragma once
// Layout sizes are given in twips: 1440 to the inch, 15 to the pixel at 96 dots per inch.
#include <QRect>

namespace ui {

constexpr int px(int twips) {
    return (twips * 2 + 15) / 30; // rounded to the nearest pixel
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace ui
