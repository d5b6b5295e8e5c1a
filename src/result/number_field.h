// Fixed-width fields of the result file.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the column tables are laid out for little-endian stores");

namespace logk {

// Writes x into out[0..width) as a number with 3 decimals, right-justified.
// The exact binary value is rounded to the nearest 0.001, exact halves away
// from zero, so the C library's %.3f (which ties to even, and may decide on
// a shorter decimal form) cannot be used:
//   width 8:  1.0625 -> "   1.063"   2.0005 -> "   2.001"   1.0005 -> "   1.000"
//             -0.0004 -> "   0.000" (no sign on zero)        -20 -> " -20.000"
//             -9999.9 -> "********" (does not fit)           1e-310 -> ".000E+00"
//   width 12: -2.5 -> "      -2.500"   NaN -> " NaN        "   -inf -> " -Infinity  "
void format_number_field(double x, int width, char* out);

// Writes value into out[0..width) as a right-justified decimal integer, or
// as asterisks when it does not fit: width 2 holds -9 to 99.
void format_integer_field(int value, int width, char* out);

// The fields of the result line, whose widths are fixed: the everyday values
// straight from two tables, inline, and the rest as above.
template <int kWidth>
void put_number_field(double x, char* out);
void put_index_field(int value, char* out);

namespace number_field_detail {

// The columns of a whole part below 10000, blanks before its first digit:
// "   5", "  42", " 123", "1234"; the first column in the lowest byte.
extern const std::array<std::uint32_t, 10000> kWholeColumns;
// The point and three decimals of 0..999: ".000" to ".999".
extern const std::array<std::uint32_t, 1000> kFractionColumns;

// The everyday field, |x| in [2^-11, 2^13), of width 8 or 12, at the cost of
// one exact integer rounding and two table reads: |x| = m * 2^-s with a
// 53-bit m and s from 40 to 63, so m * 2000 stays below 2^64, and shifting
// it right by s gives the whole part of twice the exact value; one more,
// halved, rounds to the nearest integer with halves away from zero: |x| in
// thousandths, below 8192001. Returns false, writing nothing, for any other
// value.
template <int kWidth>
inline bool format_everyday(double x, char* out) {
    static_assert(kWidth == 8 || kWidth == 12);
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (static_cast<unsigned>(biased - 1012) >= 24) return false;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int s = 1075 - biased;
    const auto thousandths = static_cast<std::uint32_t>(((m * 2000 >> s) + 1) >> 1);
    const std::uint32_t whole = thousandths / 1000;
    std::uint32_t columns = kWholeColumns[whole];
    const std::uint32_t fraction = kFractionColumns[thousandths - whole * 1000];
    std::uint32_t blanks = 0x20202020u;  // the four columns a 12-column field has in front
    if (static_cast<std::int64_t>(bits) < 0 && thousandths != 0) {
        // The minus sign takes the last blank before the first digit.
        const int lead = std::countr_zero(columns ^ 0x20202020u) >> 3;
        if (lead > 0) {
            columns += std::uint32_t{'-' - ' '} << (8 * (lead - 1));
        } else if (kWidth == 8) {
            return false;  // "-1234.000" does not fit: asterisks
        } else {
            blanks += std::uint32_t{'-' - ' '} << 24;
        }
    }
    if constexpr (kWidth == 12) {
        std::memcpy(out, &blanks, 4);
        out += 4;
    }
    std::memcpy(out, &columns, 4);
    std::memcpy(out + 4, &fraction, 4);
    return true;
}

// A stencil index, 0 to 99, in its two columns; false for any other value.
inline bool format_everyday_index(int value, char* out) {
    if (static_cast<unsigned>(value) >= 100) return false;
    const auto columns = static_cast<std::uint16_t>(kWholeColumns[static_cast<std::size_t>(value)] >> 16);
    std::memcpy(out, &columns, 2);
    return true;
}

}  // namespace number_field_detail

template <int kWidth>
inline void put_number_field(double x, char* out) {
    if (!number_field_detail::format_everyday<kWidth>(x, out)) format_number_field(x, kWidth, out);
}

inline void put_index_field(int value, char* out) {
    if (!number_field_detail::format_everyday_index(value, out)) format_integer_field(value, 2, out);
}

}  // namespace logk
