#include "Lumo_Image_BmpJpg.h"

#include <turbojpeg.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace libj_detail {

namespace {

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
    if (!file)
        return false;
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

// New files get the permissions any ordinary program would give them (0666 less the umask);
// a replaced file keeps its own, as a person expects when saving over a picture.
mode_t modeFor(const char* path) {
    struct stat st {};
    if (::stat(path, &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    mode_t mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[128];
        unsigned value = 0;
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

bool writeAll(int fd, const unsigned char* data, unsigned long size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<unsigned long>(n);
    }
    return true;
}

// Renaming over a file ignores its permissions; a picture its owner made read-only (root's too)
// must stay as it is, as it would for a program writing into it. A link is followed to judge
// but never written through: the rename replaces the link itself.
bool mayReplace(const char* path) {
    struct stat st {};
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return true; // nothing there, or something the rename itself refuses
    return (st.st_mode & 0222) != 0 && ::access(path, W_OK) == 0;
}

// Complete or absent: a unique temporary in the target's folder, flushed, then renamed over.
// The folder itself is not synced: after a crash the old name may come back, but never a
// half-written picture, which is all the contract promises.
int32_t writeFileAtomically(const char* path, const unsigned char* data, unsigned long size) {
    try {
        if (!mayReplace(path))
            return LIBJ_ERR_WRITE;
        std::string temp = std::string(path) + ".XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0)
            return LIBJ_ERR_WRITE;
        bool ok = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok && ::rename(temp.c_str(), path) == 0)
            return LIBJ_OK;
        ::unlink(temp.c_str());
        return LIBJ_ERR_WRITE;
    } catch (...) {
        return LIBJ_ERR_WRITE;
    }
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
    return writeFileAtomically(jpgPath, jpeg.value, jpegSize);
}

} // namespace

int32_t bmpToJpg(const char* bmpPath, const char* jpgPath, int32_t quality, int32_t flag) {
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

extern "C" int32_t LIWriteJpg(const char* jpgPath, const unsigned char* rgb, int32_t width,
                              int32_t height, int32_t pitch, int32_t quality, int32_t flag) {
    try {
        return libj_detail::writeJpg(jpgPath, rgb, width, height, pitch, quality, flag);
    } catch (...) {
        return LIBJ_ERR_COMPRESS;
    }
}
