#include "Lumo_Image_BmpJpg.h"

#include "AtomicWrite.h"

#include <turbojpeg.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace libj_detail {

namespace {

thread_local int32_t lastError = 0; // errno of this thread's last failed read or write

// The largest side a JPEG frame header can carry in libjpeg.
constexpr int32_t kMaxSide = 65500;

template <typename T, int (*Release)(T)>
struct Owned {
    T value{};
    Owned() = default;
    explicit Owned(T v) : value(v) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (value)
            Release(value);
    }
};

int freeBuffer(unsigned char* buffer) {
    tjFree(buffer);
    return 0;
}

using Handle = Owned<tjhandle, tjDestroy>;
using Buffer = Owned<unsigned char*, freeBuffer>;

bool isEmpty(const char* path) { return path == nullptr || *path == '\0'; }

int32_t checkCommon(const char* jpgPath, int32_t quality, int32_t flag) {
    if (isEmpty(jpgPath) || (flag != 0 && flag != 1))
        return LIBJ_ERR_ARGUMENT;
    if (quality < 1 || quality > 100)
        return LIBJ_ERR_QUALITY;
    return LIBJ_OK;
}

std::uint32_t le(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// tjLoadImage also takes PPM files, and it sizes its buffers from the header before it reads a
// single row: a 60-byte file declaring 30000 x 30000 pixels made it ask for gigabytes. Only a
// BMP whose file holds every row its header declares goes on to it; a header it would refuse
// anyway (empty, unknown depth) is left to its own judgement.
bool holdsItsPixels(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        lastError = errno;
        return false;
    }
    unsigned char h[30] = {};
    const bool read = std::fread(h, 1, sizeof h, file) == sizeof h;
    const long fileSize = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    std::fclose(file);
    if (!read || fileSize < 0 || h[0] != 'B' || h[1] != 'M')
        return false;
    const bool core = le(h + 14, 4) == 12; // the old OS/2 header: 16-bit sides
    const std::int64_t width = core ? le(h + 18, 2) : static_cast<std::int32_t>(le(h + 18, 4));
    const std::int64_t height = core ? le(h + 20, 2) : static_cast<std::int32_t>(le(h + 22, 4));
    const std::int64_t bits = le(h + (core ? 24 : 28), 2);
    const std::int64_t offset = le(h + 10, 4);
    if (width <= 0 || height == 0 || bits < 1 || bits > 32)
        return true;
    const std::int64_t stride = (width * bits + 31) / 32 * 4;
    return offset <= fileSize && std::abs(height) <= (fileSize - offset) / stride;
}

int32_t compressAndWrite(const char* jpgPath, const unsigned char* rgb, int width, int height,
                         int pitch, int quality, int flag) {
    Handle compressor(tjInitCompress());
    if (!compressor.value)
        return LIBJ_ERR_COMPRESS;
    Buffer jpeg;
    unsigned long jpegSize = 0;
    if (tjCompress2(compressor.value, rgb, width, pitch, height, TJPF_RGB, &jpeg.value, &jpegSize,
                    flag == 1 ? TJSAMP_444 : TJSAMP_420, quality, 0) != 0)
        return LIBJ_ERR_COMPRESS;
    // The target is a person's file: a link there keeps pointing at the new picture.
    lastError = lumo::writeAtomically(jpgPath, {jpeg.value, static_cast<std::size_t>(jpegSize)},
                                      lumo::Links::WriteThrough);
    return lastError == 0 ? LIBJ_OK : LIBJ_ERR_WRITE;
}

} // namespace

int32_t bmpToJpg(const char* bmpPath, const char* jpgPath, int32_t quality, int32_t flag) {
    lastError = 0;
    if (isEmpty(bmpPath))
        return LIBJ_ERR_ARGUMENT;
    if (const int32_t code = checkCommon(jpgPath, quality, flag))
        return code;
    if (!holdsItsPixels(bmpPath))
        return LIBJ_ERR_READ_BMP;
    int width = 0, height = 0, pixelFormat = TJPF_RGB;
    Buffer pixels(tjLoadImage(bmpPath, &width, 1, &height, &pixelFormat, 0));
    if (!pixels.value)
        return LIBJ_ERR_READ_BMP;
    return compressAndWrite(jpgPath, pixels.value, width, height, width * 3, quality, flag);
}

int32_t writeJpg(const char* jpgPath, const unsigned char* rgb, int32_t width, int32_t height,
                 int32_t pitch, int32_t quality, int32_t flag) {
    lastError = 0;
    if (rgb == nullptr || width < 1 || width > kMaxSide || height < 1 || height > kMaxSide ||
        pitch < 3 * width)
        return LIBJ_ERR_ARGUMENT;
    if (const int32_t code = checkCommon(jpgPath, quality, flag))
        return code;
    return compressAndWrite(jpgPath, rgb, width, height, pitch, quality, flag);
}

} // namespace libj_detail

// Nothing thrown inside may cross into a C caller; the only throwing thing left is running out
// of memory, which the contract files under the encoder.
extern "C" int32_t LIBmpToJpg(const char* bmpPath, const char* jpgPath, int32_t quality,
                              int32_t flag) {
    try {
        return libj_detail::bmpToJpg(bmpPath, jpgPath, quality, flag);
    } catch (...) {
        return LIBJ_ERR_COMPRESS;
    }
}

extern "C" int32_t LILastError(void) {
    return libj_detail::lastError;
}

extern "C" int32_t LIWriteJpg(const char* jpgPath, const unsigned char* rgb, int32_t width,
                              int32_t height, int32_t pitch, int32_t quality, int32_t flag) {
    try {
        return libj_detail::writeJpg(jpgPath, rgb, width, height, pitch, quality, flag);
    } catch (...) {
        return LIBJ_ERR_COMPRESS;
    }
}
