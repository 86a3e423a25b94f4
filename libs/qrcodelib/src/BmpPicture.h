#pragma once
// The QR symbol as the bytes of a 24-bit BMP file.
#include <qrencode.h>

#include <cstdint>
#include <vector>

namespace qrcl {

constexpr int kQuietZone = 4; // modules of white on every side

// Pixels per module: the largest that keeps (modules + 2 * quiet zone) * scale within the
// picture limit, at least 1.
int moduleScale(int modules);

// Uncompressed 24-bit BMP (BITMAPINFOHEADER, bottom-up rows padded to 4 bytes), black modules
// on white, QRCL_PICTURE_LIMIT pixels square with the symbol in the middle.
std::vector<std::uint8_t> renderBmp(const QRcode& symbol);

} // namespace qrcl
