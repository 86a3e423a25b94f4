// exporting::numericValue, the leading-number reading of a typed ratio, on arbitrary UTF-8 text, against
// glibc's correctly rounded strtod in the "C" locale wherever both read the same grammar; and
// metamorphic checks where strtod has no say: blanks count for nothing wherever they stand, and a
// sign in front changes the sign alone. roundHalfEven against nearbyint in round-to-nearest mode.
#include "FuzzSupport.h"
#include "NumericValue.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// The text as numericValue sees it: blanks, tabs and line feeds gone, anything beyond ASCII a
// character that no number holds.
std::string squeezed(const QString& text) {
    std::string s;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n')
            continue;
        s.push_back(u < 0x80 ? static_cast<char>(u) : '\x01');
    }
    return s;
}

// strtod reads the same grammar when the text starts, after one sign, with a digit or a point and
// is no hexadecimal number.
bool strtodAgrees(const std::string& s) {
    std::size_t i = s.size() > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (i >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
        return false;
    return !(s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X'));
}

std::string show(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double value = exporting::numericValue(text);
    FUZZ_CHECK(!std::isnan(value), "not a number");

    const std::string s = squeezed(text);
    if (strtodAgrees(s)) {
        const double expected = std::strtod(s.c_str(), nullptr); // the fuzzer runs in the "C" locale
        if (std::isinf(expected) || std::fabs(expected) >= DBL_MIN) {
            FUZZ_CHECK(value == expected, "read " + show(value) + " where strtod reads " + show(expected));
        } else {
            // Below the normal range the two may differ on whether to keep a subnormal.
            FUZZ_CHECK(value == expected || value == 0.0, "read " + show(value) + " for a tiny number");
        }
    }
    FUZZ_CHECK(exporting::numericValue(QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()))) ==
                   value,
               "blanks changed the value");
    if (!s.empty() && s[0] != '+' && s[0] != '-') {
        FUZZ_CHECK(exporting::numericValue(u'-' + text) == -value, "a minus sign changed more than the sign");
        FUZZ_CHECK(exporting::numericValue(u'+' + text) == value, "a plus sign changed the value");
    }

    std::fesetround(FE_TONEAREST);
    const double rounded = exporting::roundHalfEven(value);
    FUZZ_CHECK(rounded == std::nearbyint(value) || (std::isinf(value) && rounded == value),
               "rounded " + show(value) + " to " + show(rounded));
    return 0;
}
