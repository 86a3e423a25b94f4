#pragma once
// Text to QR symbol through libqrencode, with the choice of error correction level.
#include <qrencode.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "Utf8.h"

namespace qrcl {

struct QRcodeDeleter {
    void operator()(QRcode* code) const noexcept { QRcode_free(code); }
};
using QRcodePtr = std::unique_ptr<QRcode, QRcodeDeleter>;

struct Encoded {
    std::int32_t status; // QRCL_OK, QRCL_ERR_TOO_LONG or QRCL_ERR_INTERNAL
    QRcodePtr symbol;    // set when status is QRCL_OK
};

// text: non-empty, of kind Ascii or Utf8 (see classifyText). level: 0 chooses as the header
// says; 1 to 4 is L, M, Q or H, that level alone.
Encoded encode(std::string_view text, TextKind kind, int level = 0);

} // namespace qrcl
