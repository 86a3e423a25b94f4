#pragma once
// A drawn code as the bytes of a PNG or a 24-bit BMP file, written here rather than through an
// image library: Qt's writers load every image format plugin first, which took most of a
// one-code run.
#include "CommandServices.h"

#include <string>

namespace app {

// Where a symbol goes in a square picture: side pixels a side, scale pixels a module, its first
// module offset pixels from the top-left corner.
struct Layout {
    int side;
    int scale;
    int offset;
};

// The symbol drawn in ink on the ground, one bit a pixel, straight from its modules; 96 dpi.
// Empty when memory runs out.
std::string pngBytes(const Symbol& symbol, const Layout& layout, std::uint32_t ground, std::uint32_t ink);
// picture: 96 dpi. Empty when memory runs out.
std::string bmpBytes(const Picture& picture);

} // namespace app
