// The C boundary: arguments checked, every exception turned into a code.
#include "QRCodeLib.h"

#include "AtomicWrite.h"
#include "BmpPicture.h"
#include "Encoder.h"
#include "Utf8.h"

#include <string_view>

namespace qrcl {

namespace {

thread_local std::int32_t lastError = 0; // errno of this thread's last failed write

std::int32_t makeCode(std::string_view text, const char* path) {
    if (*path == '\0')
        return QRCL_ERR_ARGUMENT;
    if (text.empty())
        return QRCL_ERR_EMPTY;
    const TextKind kind = classifyText(text);
    if (kind == TextKind::HasNul)
        return QRCL_ERR_NUL;
    if (kind == TextKind::Invalid)
        return QRCL_ERR_ENCODING;

    const Encoded encoded = encode(text, kind);
    if (encoded.status != QRCL_OK)
        return encoded.status;
    const std::vector<std::uint8_t> picture = renderBmp(*encoded.symbol);
    // The path is the tool's working file: a link planted there is replaced, never followed.
    lastError = lumo::writeAtomically(path, picture, lumo::Links::Replace);
    return lastError == 0 ? QRCL_OK : QRCL_ERR_WRITE;
}

std::int32_t guarded(std::string_view text, const char* path) noexcept {
    lastError = 0;
    try {
        return makeCode(text, path);
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
    return qrcl::guarded(std::string_view(text), path);
}

int32_t FastQRCodeN(const char* text, int32_t length, const char* path) {
    if (text == nullptr || path == nullptr || length < 0)
        return QRCL_ERR_ARGUMENT;
    return qrcl::guarded(std::string_view(text, static_cast<std::size_t>(length)), path);
}

int32_t QRCodeLibLastError(void) {
    return qrcl::lastError;
}

int32_t QRCodeLibVer(void) {
    return (QRCODELIB_VERSION_MAJOR << 16) | (QRCODELIB_VERSION_MINOR << 8) | QRCODELIB_VERSION_PATCH;
}

} // extern "C"
