#include "Encoder.h"

#include "MaskChoice.h"
#include "QRCodeLib.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

// libqrencode's own steps behind QRcode_encodeString and QRcode_encodeInput: the text split into
// segments, and the symbol made with a given mask. The library exports both (Debian lists them
// among its symbols since 3.2.0) without declaring them in its header.
extern "C" {
int Split_splitStringToQRinput(const char* string, QRinput* input, QRencodeMode hint, int casesensitive);
QRcode* QRcode_encodeMask(QRinput* input, int mask);
}

namespace qrcl {

namespace {

constexpr unsigned kEciUtf8 = 26;

struct QRinputDeleter {
    void operator()(QRinput* input) const noexcept { QRinput_free(input); }
};

// An attempt's symbol carries mask 0 until it is the one chosen: an attempt costs no mask choice.
struct Attempt {
    QRecLevel level = QR_ECLEVEL_M;
    QRcodePtr symbol;
    int error = 0; // errno when symbol is null: ERANGE if too long at that level even at version 40
    bool wholeAfterSplit = false; // split into runs it did not fit: the whole text in one mode
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

// The fewest bits any segmentation of text into numeric, alphanumeric and byte segments takes,
// in sixths of a bit, for versions 1-9, 10-26 and 27-40 (their length fields differ). Each
// character at its mode's rate (a digit 10/3 bits, an alphanumeric character 11/2, a byte 8),
// each segment's header whole: no encoding of the text, libqrencode's included, takes fewer.
struct FewestBits {
    std::int64_t sixths[3];

    explicit FewestBits(std::string_view text) {
        constexpr int lengthBits[3][3] = {{10, 9, 8}, {12, 11, 16}, {14, 13, 16}}; // numeric, alnum, byte
        constexpr int rate[3] = {20, 33, 48};
        constexpr std::int64_t none = std::int64_t(1) << 60;
        for (int group = 0; group < 3; ++group) {
            std::int64_t cost[3] = {none, none, none}; // the text so far, ending in a segment of each mode
            std::int64_t best = 0;             // the text so far, in any mode
            for (const char c : text) {
                const bool fits[3] = {isDigit(c), isAlphanumeric(c), true};
                for (int mode = 0; mode < 3; ++mode)
                    cost[mode] = fits[mode] ? std::min(cost[mode], best + 6 * (4 + lengthBits[group][mode])) + rate[mode]
                                            : none;
                best = std::min({cost[0], cost[1], cost[2]});
            }
            sixths[group] = best;
        }
    }

    // True when the text cannot fit the version at that level (an index into kDataCodewords).
    bool exceed(int version, int level) const {
        const int group = version < 10 ? 0 : version < 27 ? 1 : 2;
        return sixths[group] > std::int64_t(48) * kDataCodewords[version - 1][level];
    }

    // The smallest version the text might fit at that level; 41 when none.
    int smallestVersion(int level) const {
        int version = 1;
        while (version <= 40 && exceed(version, level))
            ++version;
        return version;
    }
};

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
    attempt.level = level;
    std::unique_ptr<QRinput, QRinputDeleter> input(QRinput_new2(0, level));
    if (input && (!textClass.eci || QRinput_appendECIheader(input.get(), kEciUtf8) == 0) &&
        QRinput_append(input.get(), textClass.mode, static_cast<int>(text.size()),
                       reinterpret_cast<const unsigned char*>(text.data())) == 0)
        attempt.symbol.reset(QRcode_encodeMask(input.get(), 0));
    attempt.error = errno; // before QRinput_free may touch it
    return attempt;
}

bool tooLong(const Attempt& attempt) {
    return !attempt.symbol && attempt.error == ERANGE;
}

// One attempt at one level.
Attempt encodeAt(const std::string& text, const TextClass& textClass, QRecLevel level) {
    if (textClass.eci)
        return encodeWhole(text, textClass, level);
    // Splitting out digit and upper-case runs usually saves room, but runs too short to repay
    // their segment headers make the text longer than the whole text in one mode, up to not
    // fitting at all.
    errno = 0;
    Attempt split;
    split.level = level;
    std::unique_ptr<QRinput, QRinputDeleter> input(QRinput_new2(0, level));
    if (input && Split_splitStringToQRinput(text.c_str(), input.get(), QR_MODE_8, 1) >= 0)
        split.symbol.reset(QRcode_encodeMask(input.get(), 0));
    split.error = errno;
    if (!tooLong(split))
        return split;
    Attempt whole = encodeWhole(text, textClass, level);
    whole.wholeAfterSplit = true;
    return whole;
}

Encoded found(Attempt& attempt) {
    applyBestMask(*attempt.symbol, attempt.level);
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

    // The strongest level whose symbol is no larger than M's, a higher level never needing a
    // smaller version. Each attempt that fits somewhere is a full encoding, masks and all, so a
    // level is not encoded where the fewest bits the text takes already decide. Where M and Q
    // plainly share their smallest version, Q goes first: when M cannot fit a version below
    // Q's, Q's version is M's (the same segments, with more room), and M is not encoded.
    const FewestBits fewest(text);
    const auto strongest = [&](Attempt& quartile, int version) -> Encoded {
        if (fewest.exceed(version, 3))
            return found(quartile);
        Attempt high = encodeAt(text, textClass, QR_ECLEVEL_H);
        if (!high.symbol && !tooLong(high))
            return failed(high);
        if (high.symbol && high.symbol->version <= version)
            return found(high);
        return found(quartile);
    };
    Attempt quartile;
    bool quartileTried = false;
    if (fewest.smallestVersion(2) <= 40 && fewest.smallestVersion(2) == fewest.smallestVersion(1)) {
        quartile = encodeAt(text, textClass, QR_ECLEVEL_Q);
        quartileTried = true;
        if (!quartile.symbol && !tooLong(quartile))
            return failed(quartile);
        if (quartile.symbol && !quartile.wholeAfterSplit) {
            const int version = quartile.symbol->version;
            if (version == 1 || fewest.exceed(version - 1, 1))
                return strongest(quartile, version);
        }
    }

    Attempt medium = encodeAt(text, textClass, QR_ECLEVEL_M);
    if (!medium.symbol) {
        if (!tooLong(medium))
            return failed(medium);
        Attempt low = encodeAt(text, textClass, QR_ECLEVEL_L);
        return low.symbol ? found(low) : failed(low);
    }
    const int version = medium.symbol->version;
    if (!quartileTried) {
        if (fewest.exceed(version, 2))
            return found(medium);
        quartile = encodeAt(text, textClass, QR_ECLEVEL_Q);
        if (!quartile.symbol && !tooLong(quartile))
            return failed(quartile);
    }
    if (!quartile.symbol || quartile.symbol->version > version)
        return found(medium);
    return strongest(quartile, version);
}

} // namespace qrcl
