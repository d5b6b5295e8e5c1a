// The everyday numeric field, converted in one pass.
#pragma once

#include <cstdint>

#include "driver/field_chars.h"

namespace logk {

namespace simple_number_detail {

inline constexpr double kExactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Appends the run of digits at `p` (before `end`) to `mantissa` and moves
// `p` past it; returns the run's length. Past 19 digits the mantissa wraps,
// and the caller rejects the field by its length.
inline int take_digits(const char*& p, const char* end, std::uint64_t& mantissa) {
    const char* begin = p;
    while (p != end && is_digit(*p)) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p++ - '0');
    return static_cast<int>(p - begin);
}

inline bool is_sign(char c) { return c == '-' || c == '+'; }

}  // namespace simple_number_detail

// Where a numeric field may end: at a delimiter; or also at a CR or LF, for
// a reader that takes the numbers straight from the text of a whole line.
enum class FieldEnds { at_delimiters, also_at_line_ends };

template <FieldEnds kEnds>
inline bool ends_field(char c) {
    if constexpr (kEnds == FieldEnds::also_at_line_ends) {
        if (c == '\n' || c == '\r') return true;
    }
    return char_class(c) == CharClass::delimiter;
}

// The common case in one pass: a field of at most 19 significant digits
// whose value is m * 10^e with m < 2^53 and |e| <= 22, ending at `end` or at
// a delimiter. Both m and 10^e are exact doubles then, so one multiplication
// or division gives the correctly rounded value. Returns the end of the
// field with `value` set, or nullptr when the field needs the general rules
// of convert_numeric (a repeat count, long digit strings, large exponents,
// anything malformed); the general rules give the same value for every
// field this accepts.
//   "3200.502" -> 3200502 / 10^3     "5.1513E+03" -> 51513 * 10^-1
template <FieldEnds kEnds = FieldEnds::at_delimiters>
inline const char* convert_simple_numeric(const char* p, const char* end, double& value) {
    using namespace simple_number_detail;
    bool negative = false;
    if (p != end && is_sign(*p)) negative = *p++ == '-';
    std::uint64_t mantissa = 0;
    int digits = take_digits(p, end, mantissa);
    int fraction_digits = 0;
    if (p != end && *p == '.') {
        ++p;
        fraction_digits = take_digits(p, end, mantissa);
        digits += fraction_digits;
    }
    if (digits == 0 || digits > 19) return nullptr;
    int exponent = 0;
    if (p != end && !ends_field<kEnds>(*p)) {
        // E, D or Q with an optional sign, or a sign alone: '1.5-3' is 1.5E-3.
        if (char_class(*p) == CharClass::exponent) ++p;
        else if (!is_sign(*p)) return nullptr;
        bool exponent_negative = false;
        if (p != end && is_sign(*p)) exponent_negative = *p++ == '-';
        const char* exponent_begin = p;
        for (; p != end && is_digit(*p); ++p) {
            if (p - exponent_begin == 4) return nullptr;
            exponent = exponent * 10 + (*p - '0');
        }
        if (exponent_negative) exponent = -exponent;
        if (p != end && !ends_field<kEnds>(*p)) return nullptr;
    }
    if (mantissa == 0) {
        value = 0.0;  // an all-zero mantissa is +0.0, whatever the sign
        return p;
    }
    const int scale = exponent - fraction_digits;
    if (mantissa > (std::uint64_t{1} << 53) || scale < -22 || scale > 22) return nullptr;
    double magnitude = static_cast<double>(mantissa);
    magnitude = scale < 0 ? magnitude / kExactPowersOfTen[-scale] : magnitude * kExactPowersOfTen[scale];
    value = negative ? -magnitude : magnitude;
    return p;
}

}  // namespace logk
