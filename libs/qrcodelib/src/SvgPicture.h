#pragma once
// The QR symbol as an SVG document, for printing at any size.
#include <qrencode.h>

#include <cstdint>
#include <vector>

namespace qrcl {

// SVG 1.1: a white square of modules + 8 units (the quiet zone included) with the dark modules
// as one black path of whole-module rectangles. Its width and height, in millimetres, are those
// of the same code in the printed BMP picture (QRCL_PICTURE_LIMIT pixels at 96 dpi).
std::vector<std::uint8_t> renderSvg(const QRcode& symbol);

} // namespace qrcl
