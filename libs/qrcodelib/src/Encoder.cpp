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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlphanumeric(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || std::string_view(" $%*+-./:").find(c) != std::string_view::npos;
}

// The data codewords a symbol holds, by version (1 to 40) and level (L, M, Q, H).
constexpr short kDataCodewords[40][4] = {
    {19, 16, 13, 9},         {34, 28, 22, 16},        {55, 44, 34, 26},        {80, 64, 48, 36},
    {108, 86, 62, 46},       {136, 108, 76, 60},      {156, 124, 88, 66},      {194, 154, 110, 86},
    {232, 182, 132, 100},    {274, 216, 154, 122},    {324, 254, 180, 140},    {370, 290, 206, 158},
    {428, 334, 244, 180},    {461, 365, 261, 197},    {523, 415, 295, 223},    {589, 453, 325, 253},
    {647, 507, 367, 283},    {721, 563, 397, 313},    {795, 627, 445, 341},    {861, 669, 485, 385},
    {932, 714, 512, 406},    {1006, 782, 568, 442},   {1094, 860, 614, 464},   {1174, 914, 664, 514},
    {1276, 1000, 718, 538},  {1370, 1062, 754, 596},  {1468, 1128, 808, 628},  {1531, 1193, 871, 661},
    {1631, 1267, 911, 701},  {1735, 1373, 985, 745},  {1843, 1455, 1033, 793}, {1955, 1541, 1115, 845},
    {2071, 1631, 1171, 901}, {2191, 1725, 1231, 961}, {2306, 1812, 1286, 986}, {2434, 1914, 1354, 1054},
    {2566, 1992, 1426, 1096}, {2702, 2102, 1502, 1142}, {2812, 2216, 1582, 1222}, {2956, 2334, 1666, 1276}};

// True when no encoding of text fits the version at that level (index into kDataCodewords): even
// at each character's cheapest rate in any mode (a digit 10/3 bits, another alphanumeric
// character 11/2, any other byte 8) behind one segment header, it takes more bits than the
// symbol holds. Counted in sixths of a bit.
bool cannotFit(std::string_view text, int version, int level) {
    long sixths = 0;
    for (const char c : text)
        sixths += isDigit(c) ? 20 : isAlphanumeric(c) ? 33 : 48;
    const int shortestCount = version < 10 ? 8 : version < 27 ? 11 : 13; // bits of a segment's length
    sixths += 6 * (4 + shortestCount);
    return sixths > 6L * 8 * kDataCodewords[version - 1][level];
}

TextClass classOf(std::string_view text, TextKind kind) {
    if (kind != TextKind::Ascii)
        return {QR_MODE_8, true, 2952}; // the ECI 26 header takes one byte's room
    if (std::all_of(text.begin(), text.end(), isDigit))
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
    // needs a smaller version, so when Q does not fit in it, H is not tried. A level whose
    // capacity at that version is plainly too small is not even tried: each attempt that fits
    // somewhere costs a full encoding, masks and all.
    const int version = medium.symbol->version;
    if (cannotFit(text, version, 2))
        return found(medium);
    Attempt quartile = encodeAt(text, textClass, QR_ECLEVEL_Q);
    if (!quartile.symbol && !tooLong(quartile))
        return failed(quartile);
    if (!quartile.symbol || quartile.symbol->version > version)
        return found(medium);
    if (cannotFit(text, version, 3))
        return found(quartile);
    Attempt high = encodeAt(text, textClass, QR_ECLEVEL_H);
    if (!high.symbol && !tooLong(high))
        return failed(high);
    if (high.symbol && high.symbol->version <= version)
        return found(high);
    return found(quartile);
}

} // namespace qrcl
