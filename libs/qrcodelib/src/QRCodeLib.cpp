// The C boundary: arguments checked, every exception turned into a code.
#include "QRCodeLib.h"

#include "AtomicWrite.h"
#include "BmpPicture.h"
#include "Encoder.h"
#include "SvgPicture.h"
#include "Utf8.h"

#include <string_view>

namespace qrcl {

namespace {

thread_local std::int32_t lastError = 0; // errno of this thread's last failed write

// What a file format takes: its writer, and what a link planted at the path means.
struct Format {
    std::vector<std::uint8_t> (*render)(const QRcode&);
    lumo::Links links;
};
// The BMP is the tool's working file: a link there is replaced, never followed. An SVG is a
// person's file: a link there keeps pointing at the new drawing.
constexpr Format kBmp{renderBmp, lumo::Links::Replace};
constexpr Format kSvg{renderSvg, lumo::Links::WriteThrough};

// The text's own checks, then its code.
Encoded encodeChecked(std::string_view text, int level) {
    if (text.empty())
        return {QRCL_ERR_EMPTY, nullptr};
    const TextKind kind = classifyText(text);
    if (kind == TextKind::HasNul)
        return {QRCL_ERR_NUL, nullptr};
    if (kind == TextKind::Invalid)
        return {QRCL_ERR_ENCODING, nullptr};
    return encode(text, kind, level);
}

std::int32_t makeCode(std::string_view text, const char* path, const Format& format) {
    if (*path == '\0')
        return QRCL_ERR_ARGUMENT;
    const Encoded encoded = encodeChecked(text, 0);
    if (encoded.status != QRCL_OK)
        return encoded.status;
    const std::vector<std::uint8_t> picture = format.render(*encoded.symbol);
    lastError = lumo::writeAtomically(path, picture, format.links);
    return lastError == 0 ? QRCL_OK : QRCL_ERR_WRITE;
}

std::int32_t copySymbol(std::string_view text, int level, unsigned char* modules, std::int32_t capacity,
                        std::int32_t* width) {
    const Encoded encoded = encodeChecked(text, level);
    if (encoded.status != QRCL_OK)
        return encoded.status;
    const int side = encoded.symbol->width;
    *width = side;
    if (capacity < side * side)
        return QRCL_ERR_ARGUMENT;
    // Bit 0 of a libqrencode module byte means dark; the other bits are its own bookkeeping.
    for (int i = 0; i < side * side; ++i)
        modules[i] = encoded.symbol->data[i] & 1;
    return QRCL_OK;
}

std::int32_t guarded(std::string_view text, const char* path, const Format& format) noexcept {
    lastError = 0;
    try {
        return makeCode(text, path, format);
    } catch (...) { // std::bad_alloc in practice; nothing may cross into C
        return QRCL_ERR_INTERNAL;
    }
}

} // namespace

} // namespace qrcl

extern "C" {

int32_t FastQRCode(const char* text, const char* path) {
    if (text == nullptr || path == nullptr)
        return QRCL_ERR_ARGUMENT;
    return qrcl::guarded(std::string_view(text), path, qrcl::kBmp);
}

int32_t FastQRCodeN(const char* text, int32_t length, const char* path) {
    if (text == nullptr || path == nullptr || length < 0)
        return QRCL_ERR_ARGUMENT;
    return qrcl::guarded(std::string_view(text, static_cast<std::size_t>(length)), path, qrcl::kBmp);
}

int32_t FastQRCodeSvg(const char* text, const char* path) {
    if (text == nullptr || path == nullptr)
        return QRCL_ERR_ARGUMENT;
    return qrcl::guarded(std::string_view(text), path, qrcl::kSvg);
}

int32_t FastQRCodeSvgN(const char* text, int32_t length, const char* path) {
    if (text == nullptr || path == nullptr || length < 0)
        return QRCL_ERR_ARGUMENT;
    return qrcl::guarded(std::string_view(text, static_cast<std::size_t>(length)), path, qrcl::kSvg);
}

int32_t QRCodeLibSymbol(const char* text, int32_t length, int32_t options, unsigned char* modules,
                        int32_t capacity, int32_t* width) {
    if (text == nullptr || modules == nullptr || width == nullptr || length < 0 || capacity < 0 ||
        options < QRCL_SYMBOL_DEFAULTS || options > QRCL_SYMBOL_LEVEL_H)
        return QRCL_ERR_ARGUMENT;
    qrcl::lastError = 0;
    try {
        return qrcl::copySymbol(std::string_view(text, static_cast<std::size_t>(length)), options, modules, capacity, width);
    } catch (...) {
        return QRCL_ERR_INTERNAL;
    }
}

int32_t QRCodeLibLastError(void) {
    return qrcl::lastError;
}

int32_t QRCodeLibVer(void) {
    return (QRCODELIB_VERSION_MAJOR << 16) | (QRCODELIB_VERSION_MINOR << 8) | QRCODELIB_VERSION_PATCH;
}

} // extern "C"
