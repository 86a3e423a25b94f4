#include "Encoder.h"

#include "QRCodeLib.h"

#include <cerrno>
#include <string>

namespace qrcl {

namespace {

constexpr unsigned kEciUtf8 = 26;

struct QRinputDeleter {
    void operator()(QRinput* input) const noexcept { QRinput_free(input); }
};

struct Attempt {
    QRcodePtr symbol;
    int error = 0; // errno when symbol is null: ERANGE if too long at that level even at version 40
};

// The whole text as one 8-bit segment, behind ECI 26 when it is UTF-8: readers guess a legacy
// character set for unmarked 8-bit bytes.
Attempt encodeAsBytes(const std::string& text, bool utf8, QRecLevel level) {
    errno = 0;
    Attempt attempt;
    std::unique_ptr<QRinput, QRinputDeleter> input(QRinput_new2(0, level));
    if (input && (!utf8 || QRinput_appendECIheader(input.get(), kEciUtf8) == 0) &&
        QRinput_append(input.get(), QR_MODE_8, static_cast<int>(text.size()),
                       reinterpret_cast<const unsigned char*>(text.data())) == 0)
        attempt.symbol.reset(QRcode_encodeInput(input.get()));
    attempt.error = errno; // before QRinput_free may touch it
    return attempt;
}

bool tooLong(const Attempt& attempt) {
    return !attempt.symbol && attempt.error == ERANGE;
}

// One attempt at one level. libqrencode finds a text too long before the costly masking, so a
// failing attempt is cheap.
Attempt encodeAt(const std::string& text, TextKind kind, QRecLevel level) {
    if (kind != TextKind::Ascii)
        return encodeAsBytes(text, true, level);
    // Splitting out digit and upper-case runs usually saves room, but runs too short to repay
    // their segment headers make the text longer than plain bytes, up to not fitting at all.
    errno = 0;
    Attempt split;
    split.symbol.reset(QRcode_encodeString(text.c_str(), 0, level, QR_MODE_8, 1));
    split.error = errno;
    return tooLong(split) ? encodeAsBytes(text, false, level) : std::move(split);
}

Encoded found(Attempt& attempt) {
    return {QRCL_OK, std::move(attempt.symbol)};
}

Encoded failed(const Attempt& attempt) {
    return {tooLong(attempt) ? QRCL_ERR_TOO_LONG : QRCL_ERR_INTERNAL, nullptr};
}

} // namespace

Encoded encode(std::string_view view, TextKind kind) {
    // No symbol holds more than 7089 characters; larger texts need no attempt (and would
    // overflow libqrencode's int sizes).
    if (view.size() > 7089)
        return {QRCL_ERR_TOO_LONG, nullptr};
    const std::string text(view); // libqrencode's string entry needs the terminator

    Attempt medium = encodeAt(text, kind, QR_ECLEVEL_M);
    if (!medium.symbol) {
        if (!tooLong(medium))
            return failed(medium);
        Attempt low = encodeAt(text, kind, QR_ECLEVEL_L);
        return low.symbol ? found(low) : failed(low);
    }

    // Stronger correction comes free while the symbol keeps M's size. A higher level never
    // needs a smaller version, so when Q does not fit in it, H is not tried.
    const int version = medium.symbol->version;
    Attempt quartile = encodeAt(text, kind, QR_ECLEVEL_Q);
    if (!quartile.symbol && !tooLong(quartile))
        return failed(quartile);
    if (!quartile.symbol || quartile.symbol->version > version)
        return found(medium);
    Attempt high = encodeAt(text, kind, QR_ECLEVEL_H);
    if (!high.symbol && !tooLong(high))
        return failed(high);
    if (high.symbol && high.symbol->version <= version)
        return found(high);
    return found(quartile);
}

} // namespace qrcl
