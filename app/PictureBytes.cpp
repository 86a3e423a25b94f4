#include "PictureBytes.h"

#include <zlib.h>

namespace app {

namespace {

constexpr std::uint32_t dotsPerMetre = 3780; // 96 dpi

void put32(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char(value >> shift & 0xff);
}

void putLittle(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes += char(value >> (8 * i) & 0xff);
}

void chunk(std::string& png, const char* type, const std::string& data) {
    put32(png, std::uint32_t(data.size()));
    const std::size_t start = png.size();
    png.append(type, 4).append(data);
    put32(png, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(png.data() + start), uInt(png.size() - start))));
}

} // namespace

std::string pngBytes(const Symbol& symbol, const Layout& layout, std::uint32_t ground, std::uint32_t ink) {
    const int width = layout.side, height = layout.side;
    // Two colours, the ground's first: one bit a pixel, packed rows. A thirtieth of a colour
    // picture's data to compress, for the same pixels. A module's first pixel row goes as it is
    // (filter 0), the rows that repeat it as their difference from the row above (filter 2, "up"):
    // all zeros, which the fastest deflate levels pack as tightly as its slowest packs the rows.
    const std::size_t rowBytes = 1 + (std::size_t(width) + 7) / 8;
    try {
        std::string raw(std::size_t(height) * rowBytes, '\0');
        for (int y = 0; y < symbol.width; ++y) {
            const std::size_t top = std::size_t(layout.offset + y * layout.scale) * rowBytes;
            unsigned char* out = reinterpret_cast<unsigned char*>(raw.data()) + top + 1;
            for (int x = 0; x < symbol.width; ++x)
                if (symbol.modules[std::size_t(y) * symbol.width + x])
                    for (int pixel = layout.offset + x * layout.scale, end = pixel + layout.scale; pixel < end; ++pixel)
                        out[pixel / 8] |= static_cast<unsigned char>(0x80 >> (pixel % 8));
            // The module's other pixel rows repeat its first.
            for (int copy = 1; copy < layout.scale; ++copy)
                raw[top + std::size_t(copy) * rowBytes] = '\2';
        }
        // One deflate state for each thread of the run: made afresh for each picture, it was the
        // most of a small picture's time (allocated and cleared each time). Reset, it compresses
        // alike. An 8 kB window holds a whole 201-pixel picture; a smaller hash is cleared faster.
        struct Deflater {
            z_stream stream{};
            bool ready = deflateInit2(&stream, 2, Z_DEFLATED, 13, 5, Z_DEFAULT_STRATEGY) == Z_OK;
            ~Deflater() {
                if (ready)
                    deflateEnd(&stream);
            }
        };
        thread_local Deflater deflater;
        if (!deflater.ready || deflateReset(&deflater.stream) != Z_OK)
            return {};
        z_stream& stream = deflater.stream;
        std::string packed(deflateBound(&stream, uLong(raw.size())), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(raw.data());
        stream.avail_in = uInt(raw.size());
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = uInt(packed.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
            return {};
        const std::size_t size = stream.total_out;
        packed.resize(size);

        std::string header, palette, density;
        put32(header, std::uint32_t(width));
        put32(header, std::uint32_t(height));
        header.append("\x01\x03\x00\x00\x00", 5); // 1 bit, palette, deflate, no interlace
        for (const std::uint32_t colour : {ground, ink})
            palette.append({char(colour >> 16 & 0xff), char(colour >> 8 & 0xff), char(colour & 0xff)});
        put32(density, dotsPerMetre);
        put32(density, dotsPerMetre);
        density += '\1'; // per metre
        std::string png("\x89PNG\r\n\x1a\n", 8);
        png.reserve(packed.size() + 128);
        chunk(png, "IHDR", header);
        chunk(png, "PLTE", palette);
        chunk(png, "pHYs", density);
        chunk(png, "IDAT", packed);
        chunk(png, "IEND", {});
        return png;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string bmpBytes(const Picture& picture) {
    const int width = picture.width, height = picture.height;
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixels = std::uint32_t(stride * std::size_t(height));
    try {
        std::string bmp("BM");
        for (const auto& [value, size] : {std::pair<std::uint32_t, int>{54 + pixels, 4}, {0, 4}, {54, 4}, {40, 4},
                                          {std::uint32_t(width), 4}, {std::uint32_t(height), 4}, {1, 2}, {24, 2},
                                          {0, 4}, {pixels, 4}, {dotsPerMetre, 4}, {dotsPerMetre, 4}, {0, 4}, {0, 4}})
            putLittle(bmp, value, size);
        // Bottom-up rows of blue, green, red, each padded to four bytes.
        bmp.resize(54 + std::size_t(pixels), '\0');
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* row = picture.pixels.data() + std::size_t(height - 1 - y) * width;
            char* out = bmp.data() + 54 + std::size_t(y) * stride;
            for (int x = 0; x < width; ++x) {
                *out++ = char(row[x] & 0xff);
                *out++ = char(row[x] >> 8 & 0xff);
                *out++ = char(row[x] >> 16 & 0xff);
            }
        }
        return bmp;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace app
