// The everyday numeric field, converted in one pass.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "reader/field_chars.h"

static_assert(std::endian::native == std::endian::little, "eight digits are read as one little-endian word");

namespace logk {

namespace simple_number_detail {

inline constexpr double kExactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr std::uint64_t kScales[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The leading run of digits of the eight bytes at `p`: its length (0 to 8),
// and, when shorter than 8, its value in `run`. Eight bytes at a time: an ASCII digit XOR '0' is
// 0..9, and adding 0x76 to a byte sets its top bit exactly when it is 10 or
// more (a carry out of a byte only ever disturbs the bytes after the first
// one flagged, which are not looked at). The run is then moved to the top of
// the word, the bytes before it becoming leading zeros, and its digits are
// combined in pairs, fours and eights by three multiplications.
inline int take_eight(const char* p, std::uint64_t& run) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    std::uint64_t digits = bytes ^ 0x3030303030303030u;
    const std::uint64_t flagged = ((digits + 0x7676767676767676u) | digits) & 0x8080808080808080u;
    const int length = flagged == 0 ? 8 : std::countr_zero(flagged) >> 3;
    if (length == 0 || length == 8) {
        run = 0;
        return length;
    }
    digits <<= 8 * (8 - length);  // little-endian: the first byte becomes the highest digit
    digits = digits * 10 + (digits >> 8);
    digits = ((digits & 0x000000FF000000FFu) * (100 + (1000000ull << 32)) +
              ((digits >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >> 32;
    run = digits & 0xFFFFFFFFu;
    return length;
}

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
constexpr bool ends_field(char c) {
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

// Bytes at which a field ends on a line read whole: the delimiters, CR and LF.
inline constexpr std::array<bool, 256> kEndsOnLine = [] {
    std::array<bool, 256> ends{};
    for (int c = 0; c < 256; ++c) ends[static_cast<std::size_t>(c)] = ends_field<FieldEnds::also_at_line_ends>(static_cast<char>(c));
    return ends;
}();

// How many bytes from the start of a field convert_quick_number may look at.
inline constexpr std::ptrdiff_t kQuickWindow = 32;

// The everyday field of a line read whole, in one pass with no bounds to
// test: the caller guarantees kQuickWindow readable bytes at `p`. Up to 7
// digits before the point and 14 in all, and an exponent of at most 3
// digits, so the field has at most 22 bytes and the mantissa stays below
// 10^14; the value is then made as convert_simple_numeric makes it. Returns
// the end of the field (a delimiter, CR or LF) with `value` set, or nullptr
// for anything else, which convert_simple_numeric then takes.
//   "3200.502 " -> 3200502 / 10^3     "5.1513E+03," -> 51513 * 10^-1
inline const char* convert_quick_number(const char* p, double& value) {
    using namespace simple_number_detail;
    std::uint64_t sign = 0;
    if (!is_digit(*p)) {
        sign = std::uint64_t{*p == '-'} << 63;
        p += is_sign(*p);
    }
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    std::uint64_t digits = bytes ^ 0x3030303030303030u;  // see take_eight
    std::uint64_t flagged = ((digits + 0x7676767676767676u) | digits) & 0x8080808080808080u;
    if (flagged == 0) return nullptr;
    const int point = std::countr_zero(flagged) >> 3;  // the first byte that is no digit
    int length = point;  // the bytes of this word that hold the mantissa
    int fraction_digits = 0;
    std::uint64_t more = 0;  // the fraction's digits beyond this word, if it runs on
    int more_digits = 0;
    if (((digits >> (8 * point)) & 0xFF) == ('.' ^ '0')) {
        flagged &= flagged - 1;
        length = flagged == 0 ? 8 : std::countr_zero(flagged) >> 3;
        if (length == 8 && (more_digits = take_eight(p + 8, more)) == 8) return nullptr;
        fraction_digits = length - point - 1 + more_digits;
        // Out with the point: the digits before it move up a byte, over it,
        // and the first byte becomes a leading zero.
        const std::uint64_t through_point = ~std::uint64_t{0} >> (56 - 8 * point);
        digits = ((digits << 8) & through_point) | (digits & ~through_point);
    }
    if (point + fraction_digits == 0) return nullptr;
    p += length + more_digits;
    int exponent = 0;
    if (!kEndsOnLine[static_cast<unsigned char>(*p)]) {
        // E, D or Q with an optional sign, or a sign alone: '1.5-3' is 1.5E-3.
        if (char_class(*p) == CharClass::exponent) ++p;
        else if (!is_sign(*p)) return nullptr;
        const bool exponent_negative = *p == '-';
        p += is_sign(*p);
        // Up to three digits, taken without a loop: "03" is 3, "" is 0.
        const unsigned e0 = static_cast<unsigned char>(p[0] - '0');
        const unsigned e1 = static_cast<unsigned char>(p[1] - '0');
        const unsigned e2 = static_cast<unsigned char>(p[2] - '0');
        if (e0 < 10) {
            exponent = static_cast<int>(e0);
            if (e1 < 10) {
                exponent = exponent * 10 + static_cast<int>(e1);
                if (e2 < 10) {
                    exponent = exponent * 10 + static_cast<int>(e2);
                    ++p;
                }
                ++p;
            }
            ++p;
        }
        if (exponent_negative) exponent = -exponent;
        if (!kEndsOnLine[static_cast<unsigned char>(*p)]) return nullptr;
    }
    // The length bytes of digits, moved to the top of the word, as eight digits.
    digits <<= 8 * (8 - length);
    digits = digits * 10 + (digits >> 8);
    digits = ((digits & 0x000000FF000000FFu) * (100 + (1000000ull << 32)) +
              ((digits >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >> 32;
    const std::uint64_t mantissa = (digits & 0xFFFFFFFFu) * kScales[more_digits] + more;
    if (mantissa == 0) {
        value = 0.0;  // an all-zero mantissa is +0.0, whatever the sign
        return p;
    }
    const int scale = exponent - fraction_digits;
    if (scale < -22 || scale > 22) return nullptr;
    double magnitude = static_cast<double>(static_cast<std::int64_t>(mantissa));  // below 10^14
    magnitude = scale < 0 ? magnitude / kExactPowersOfTen[-scale] : magnitude * kExactPowersOfTen[scale];
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | sign);
    return p;
}

}  // namespace logk
