#include "Encoder.h"

#include "QRCodeLib.h"

#include <algorithm>
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

// What the whole text fits in as one segment, and the most of it any symbol holds (version 40,
// level L). A text is never taken beyond its class's limit, even where splitting it into runs
// would fit more: the limit a person is told then holds for every text of that class.
struct TextClass {
    QRencodeMode mode;
    bool eci;
    std::size_t limit;
};

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           std::string_view(" $%*+-./:").find(c) != std::string_view::npos;
}

TextClass classOf(std::string_view text, TextKind kind) {
    if (kind != TextKind::Ascii)
        return {QR_MODE_8, true, 2952}; // the ECI 26 header takes one byte's room
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {QR_MODE_NUM, false, 7089};
    if (std::all_of(text.begin(), text.end(), isAlphanumeric))
        return {QR_MODE_AN, false, 4296};
    return {QR_MODE_8, false, 2953};
}

// The whole text as one segment of its class's mode, behind ECI 26 when it is UTF-8: readers
// guess a legacy character set for unmarked 8-bit bytes.
Attempt encodeWhole(const std::string& text, const TextClass& textClass, QRecLevel level) {
    errno = 0;
    Attempt attempt;
    std::unique_ptr<QRinput, QRinputDeleter> input(QRinput_new2(0, level));
    if (input && (!textClass.eci || QRinput_appendECIheader(input.get(), kEciUtf8) == 0) &&
        QRinput_append(input.get(), textClass.mode, static_cast<int>(text.size()),
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
Attempt encodeAt(const std::string& text, const TextClass& textClass, QRecLevel level) {
    if (textClass.eci)
        return encodeWhole(text, textClass, level);
    // Splitting out digit and upper-case runs usually saves room, but runs too short to repay
    // their segment headers make the text longer than the whole text in one mode, up to not
    // fitting at all.
    errno = 0;
    Attempt split;
    split.symbol.reset(QRcode_encodeString(text.c_str(), 0, level, QR_MODE_8, 1));
    split.error = errno;
    return tooLong(split) ? encodeWhole(text, textClass, level) : std::move(split);
}

Encoded found(Attempt& attempt) {
    return {QRCL_OK, std::move(attempt.symbol)};
}

Encoded failed(const Attempt& attempt) {
    return {tooLong(attempt) ? QRCL_ERR_TOO_LONG : QRCL_ERR_INTERNAL, nullptr};
}

} // namespace

Encoded encode(std::string_view view, TextKind kind, int level) {
    // Checked before any attempt: a larger text would also overflow libqrencode's int sizes.
    const TextClass textClass = classOf(view, kind);
    if (view.size() > textClass.limit)
        return {QRCL_ERR_TOO_LONG, nullptr};
    const std::string text(view); // libqrencode's string entry needs the terminator
    if (level != 0) {
        constexpr QRecLevel levels[] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};
        Attempt chosen = encodeAt(text, textClass, levels[level - 1]);
        return chosen.symbol ? found(chosen) : failed(chosen);
    }

    Attempt medium = encodeAt(text, textClass, QR_ECLEVEL_M);
    if (!medium.symbol) {
        if (!tooLong(medium))
            return failed(medium);
        Attempt low = encodeAt(text, textClass, QR_ECLEVEL_L);
        return low.symbol ? found(low) : failed(low);
    }

    // Stronger correction comes free while the symbol keeps M's size. A higher level never
    // needs a smaller version, so when Q does not fit in it, H is not tried.
    const int version = medium.symbol->version;
    Attempt quartile = encodeAt(text, textClass, QR_ECLEVEL_Q);
    if (!quartile.symbol && !tooLong(quartile))
        return failed(quartile);
    if (!quartile.symbol || quartile.symbol->version > version)
        return found(medium);
    Attempt high = encodeAt(text, textClass, QR_ECLEVEL_H);
    if (!high.symbol && !tooLong(high))
        return failed(high);
    if (high.symbol && high.symbol->version <= version)
        return found(high);
    return found(quartile);
}

} // namespace qrcl
