#include "Utf8.h"

#include <cstdint>

namespace qrcl {

namespace {

// Length of the well-formed sequence starting at text[i], or 0 when it is not one.
// Follows the table of well-formed byte sequences: no overlong forms, no surrogates,
// nothing beyond U+10FFFF.
std::size_t sequenceLength(std::string_view text, std::size_t i) noexcept {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

TextKind classifyText(std::string_view text) noexcept {
    if (text.find('\0') != std::string_view::npos)
        return TextKind::HasNul;
    bool ascii = true;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<std::uint8_t>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(text, i);
        if (length == 0)
            return TextKind::Invalid;
        ascii = false;
        i += length;
    }
    return ascii ? TextKind::Ascii : TextKind::Utf8;
}

} // namespace qrcl
