#pragma once
// What kind of text arrived: the encoding path and the failure code depend on it.
#include <string_view>

namespace qrcl {

enum class TextKind {
    Ascii,   // bytes 0x01..0x7F only
    Utf8,    // valid UTF-8 with at least one non-ASCII character
    HasNul,  // a NUL byte somewhere
    Invalid, // not UTF-8
};

// A NUL byte wins over invalid UTF-8: it is the more specific complaint.
TextKind classifyText(std::string_view text) noexcept;

} // namespace qrcl
