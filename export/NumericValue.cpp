#include "NumericValue.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace exporting {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal order of magnitude of the number, used only when it lies outside a double's range.
// The exponent is capped so that absurdly long exponents cannot overflow the sum.
long long orderOf(const std::string& intDigits, const std::string& fracDigits, bool negativeExponent,
                  const std::string& expDigits) {
    long long order = 0;
    const auto firstSignificant = intDigits.find_first_not_of('0');
    if (firstSignificant != std::string::npos)
        order = static_cast<long long>(intDigits.size() - firstSignificant);
    else if (const auto firstFraction = fracDigits.find_first_not_of('0'); firstFraction != std::string::npos)
        order = -static_cast<long long>(firstFraction);
    else
        return std::numeric_limits<long long>::min(); // zero is never out of range
    long long exponent = 0;
    for (char c : expDigits) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > 1'000'000)
            break;
    }
    return order + (negativeExponent ? -exponent : exponent);
}

} // namespace

double numericValue(const QString& text) {
    // Only ASCII can belong to a number; anything else ends it, as does any character that
    // cannot continue the number read so far.
    std::string s;
    s.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n')
            continue;
        s.push_back(u < 0x80 ? static_cast<char>(u) : '\x01');
    }

    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    std::string intDigits, fracDigits, expDigits;
    while (i < s.size() && isDigit(s[i]))
        intDigits.push_back(s[i++]);
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            fracDigits.push_back(s[i++]);
    }
    if (intDigits.empty() && fracDigits.empty())
        return 0.0;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            expNegative = s[j++] == '-';
        // An "E" without digits after it is not part of the number.
        while (j < s.size() && isDigit(s[j]))
            expDigits.push_back(s[j++]);
        if (!expDigits.empty())
            negativeExponent = expNegative;
    }

    std::string number = (intDigits.empty() ? std::string("0") : intDigits);
    if (!fracDigits.empty())
        number += '.' + fracDigits;
    if (!expDigits.empty())
        number += std::string(negativeExponent ? "e-" : "e") + expDigits;

    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const bool tooLarge = orderOf(intDigits, fracDigits, negativeExponent, expDigits) > 0;
        value = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest < 0.5)
        return down;
    if (rest > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

} // namespace exporting
