#include "BmpPicture.h"

#include "QRCodeLib.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace qrcl {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780; // 96 dpi, the screen's

void put16(std::uint8_t*& out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out += 2;
}

void put32(std::uint8_t*& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        *out++ = static_cast<std::uint8_t>(value >> shift);
}

} // namespace

int moduleScale(int modules) {
    return std::max(1, QRCL_PICTURE_LIMIT / (modules + 2 * kQuietZone));
}

std::vector<std::uint8_t> renderBmp(const QRcode& symbol) {
    const int modules = symbol.width;
    const int scale = moduleScale(modules);
    // The picture fills the tool's preview: what the modules leave over widens the quiet zone,
    // an odd pixel going right and bottom.
    const int side = QRCL_PICTURE_LIMIT;
    const int margin = (side - modules * scale) / 2;
    const std::size_t stride = (static_cast<std::size_t>(side) * 3 + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(side);
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;

    // White everywhere (quiet zone and row padding alike); only black modules are drawn.
    std::vector<std::uint8_t> file(offset + pixelBytes, 0xFF);
    std::uint8_t* out = file.data();
    *out++ = 'B';
    *out++ = 'M';
    put32(out, static_cast<std::uint32_t>(file.size()));
    put32(out, 0); // two reserved words
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, static_cast<std::uint32_t>(kInfoHeaderSize));
    put32(out, static_cast<std::uint32_t>(side));
    put32(out, static_cast<std::uint32_t>(side)); // positive height: bottom-up rows
    put16(out, 1);                                // planes
    put16(out, 24);                               // bits per pixel
    put32(out, 0);                                // BI_RGB, uncompressed
    put32(out, static_cast<std::uint32_t>(pixelBytes));
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0); // colours used: none, no palette
    put32(out, 0); // important colours: all

    // Each module row is drawn once and copied to its scale - 1 neighbours. Bit 0 of a
    // libqrencode module byte means black.
    std::uint8_t* pixels = file.data() + offset;
    for (int y = 0; y < modules; ++y) {
        const int top = margin + y * scale;
        std::uint8_t* row = pixels + static_cast<std::size_t>(side - 1 - top) * stride;
        const unsigned char* data = symbol.data + static_cast<std::size_t>(y) * modules;
        for (int x = 0; x < modules; ++x)
            if (data[x] & 1)
                std::memset(row + static_cast<std::size_t>(margin + x * scale) * 3, 0,
                            static_cast<std::size_t>(scale) * 3);
        for (int k = 1; k < scale; ++k)
            std::memcpy(row - static_cast<std::size_t>(k) * stride, row, stride);
    }
    return file;
}

} // namespace qrcl
