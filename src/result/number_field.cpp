#include "result/number_field.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace logk {
namespace {

void fill_asterisks(int width, char* out) { std::memset(out, '*', static_cast<std::size_t>(width)); }

// The two widths the result line uses get a fixed-size copy each.
void fill_blanks(int width, char* out) {
    static constexpr char kBlanks[] = "            ";
    if (width == 8) {
        std::memcpy(out, kBlanks, 8);
    } else if (width == 12) {
        std::memcpy(out, kBlanks, 12);
    } else {
        std::memset(out, ' ', static_cast<std::size_t>(width));
    }
}

void put_right(std::string_view text, int width, char* out) {
    std::size_t w = static_cast<std::size_t>(width);
    if (text.size() > w) return fill_asterisks(width, out);
    std::memset(out, ' ', w - text.size());
    std::memcpy(out + (w - text.size()), text.data(), text.size());
}

void put_left(std::string_view text, int width, char* out) {
    std::size_t w = static_cast<std::size_t>(width);
    if (text.size() > w) return fill_asterisks(width, out);
    std::memcpy(out, text.data(), text.size());
    std::memset(out + text.size(), ' ', w - text.size());
}

// "00", "01", ... "99": the digits of a number are written two at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

const char* digit_pair(unsigned n) { return &kDigitPairs[2 * n]; }

// |x| in thousandths, rounded half away from zero on the exact binary value,
// for a normal |x| below 2^52 (so the value has a fractional part in binary).
// |x| = m * 2^-s with a 53-bit m; m * 1000 < 2^63 is exact in 64 bits, and
// its s low bits decide the rounding.
std::uint64_t round_to_thousandths(double magnitude) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int s = 1075 - biased;  // magnitude = m * 2^-s, s >= 1 below 2^52
    if (s >= 64) return 0;        // below 2^-11, far under half a thousandth
    const std::uint64_t scaled = m * 1000;
    const std::uint64_t whole = scaled >> s;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << s) - 1);
    const std::uint64_t half = std::uint64_t{1} << (s - 1);
    return whole + (rest >= half ? 1 : 0);
}

// Every value, every width.
void format_any_number(double x, int width, char* out) {
    if (std::isnan(x)) return put_left(" NaN", width, out);
    if (std::isinf(x)) return put_left(x > 0 ? " Infinity" : " -Infinity", width, out);

    const double magnitude = std::fabs(x);
    if (magnitude != 0.0 && magnitude < std::numeric_limits<double>::min()) {
        // Subnormals keep an exponent form; the leading 0 goes where it does not fit.
        return put_right(width >= 9 ? "0.000E+00" : ".000E+00", width, out);
    }
    // At 1e9 the text has at least 14 characters and fits no field here.
    if (magnitude >= 1e9) return fill_asterisks(width, out);

    const std::uint64_t thousandths = magnitude == 0.0 ? 0 : round_to_thousandths(magnitude);
    // Blanks first, then from the right end of the field: three decimals,
    // the point, the whole part ("0" below 1) and the sign.
    fill_blanks(width, out);
    char* p = out + width;
    const unsigned fraction = static_cast<unsigned>(thousandths % 1000);
    p -= 2;
    std::memcpy(p, digit_pair(fraction % 100), 2);
    *--p = static_cast<char>('0' + fraction / 100);
    *--p = '.';
    std::uint32_t whole = static_cast<std::uint32_t>(thousandths / 1000);  // below 1e9
    while (whole >= 100) {
        if (p - out < 2) return fill_asterisks(width, out);
        p -= 2;
        std::memcpy(p, digit_pair(whole % 100), 2);
        whole /= 100;
    }
    if (whole >= 10) {
        if (p - out < 2) return fill_asterisks(width, out);
        p -= 2;
        std::memcpy(p, digit_pair(whole), 2);
    } else {
        if (p == out) return fill_asterisks(width, out);
        *--p = static_cast<char>('0' + whole);
    }
    if (x < 0 && thousandths != 0) {
        if (p == out) return fill_asterisks(width, out);
        *--p = '-';
    }
}

}  // namespace

namespace number_field_detail {

constexpr std::array<std::uint32_t, 10000> kWholeColumns = [] {
    std::array<std::uint32_t, 10000> columns{};
    for (std::uint32_t whole = 0; whole < 10000; ++whole) {
        std::uint32_t text = 0;
        std::uint32_t left = whole;
        for (int column = 3; column >= 0; --column) {
            const std::uint32_t c = (column == 3 || left != 0) ? '0' + left % 10 : ' ';
            text |= c << (8 * column);
            left /= 10;
        }
        columns[whole] = text;
    }
    return columns;
}();

constexpr std::array<std::uint32_t, 1000> kFractionColumns = [] {
    std::array<std::uint32_t, 1000> columns{};
    for (std::uint32_t f = 0; f < 1000; ++f) {
        columns[f] = '.' | ('0' + f / 100) << 8 | ('0' + f / 10 % 10) << 16 | ('0' + f % 10) << 24;
    }
    return columns;
}();

}  // namespace number_field_detail

void format_number_field(double x, int width, char* out) {
    if (width == 8 && number_field_detail::format_everyday<8>(x, out)) return;
    if (width == 12 && number_field_detail::format_everyday<12>(x, out)) return;
    format_any_number(x, width, out);
}

void format_integer_field(int value, int width, char* out) {
    if (width == 2 && number_field_detail::format_everyday_index(value, out)) return;
    char text[16];
    char* end = std::to_chars(text, text + sizeof text, value).ptr;
    put_right(std::string_view(text, static_cast<std::size_t>(end - text)), width, out);
}

}  // namespace logk
