#include "reader/number_conversion.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "reader/field_chars.h"

namespace logk {
namespace {

constexpr int kSyntaxError = 59;

// A numeric field taken apart: [sign] mantissa [exponent].
struct FieldParts {
    bool negative = false;
    const char* mantissa_begin = nullptr;
    const char* mantissa_end = nullptr;
    bool nonzero_digit = false;
    char exponent_letter = 0;  // 0 for none or for a bare sign exponent
    bool exponent_negative = false;
    const char* exponent_digits = nullptr;
    const char* end = nullptr;  // where the recognised form stops
};

FieldParts take_apart(const char* p, const char* end) {
    FieldParts parts;
    if (p != end && char_class(*p) == CharClass::sign) parts.negative = *p++ == '-';
    parts.mantissa_begin = p;
    for (; p != end; ++p) {
        CharClass cls = char_class(*p);
        if (cls == CharClass::digit) {
            parts.nonzero_digit |= *p != '0';
        } else if (cls != CharClass::point) {
            break;
        }
    }
    parts.mantissa_end = p;
    if (p != end && char_class(*p) == CharClass::exponent) {
        parts.exponent_letter = *p++;
        if (p != end && char_class(*p) == CharClass::sign) parts.exponent_negative = *p++ == '-';
    } else if (p != end && char_class(*p) == CharClass::sign) {
        parts.exponent_negative = *p++ == '-';  // '1.5-3' is 1.5E-3
    }
    parts.exponent_digits = p;
    while (p != end && char_class(*p) == CharClass::digit) ++p;
    parts.end = p;
    return parts;
}

// The power of ten of the leading significant digit, plus one: 123.4 -> 3,
// 0.05 -> -1. Decides whether a value out of range overflowed or underflowed.
std::ptrdiff_t decimal_order(const FieldParts& parts, int exponent) {
    const char* point = parts.mantissa_end;
    const char* first = nullptr;
    for (const char* p = parts.mantissa_begin; p != parts.mantissa_end; ++p) {
        if (*p == '.') {
            point = p;
        } else if (first == nullptr && *p != '0') {
            first = p;
        }
    }
    std::ptrdiff_t order = first < point ? point - first : point - first + 1;
    return order + exponent;
}

}  // namespace

int numeric_syntax_message(std::string_view field) {
    if (field.empty() || char_class(field.front()) == CharClass::exponent) return kSyntaxError;
    int points = 0;
    int letters = 0;
    for (char c : field) {
        switch (char_class(c)) {
            case CharClass::digit:
            case CharClass::sign:
                break;
            case CharClass::point:
                if (++points > 1) return kSyntaxError;
                break;
            case CharClass::exponent:
                if (++letters > 1) return kSyntaxError;
                break;
            default:
                return kSyntaxError;
        }
    }
    return 0;
}

std::optional<double> convert_numeric(std::string_view field, std::string& scratch) {
    const FieldParts parts = take_apart(field.data(), field.data() + field.size());
    if (parts.end != field.data() + field.size()) return std::nullopt;  // '1E+-5', '1E5.0', '1+5E3'
    // No digit other than zeros: positive zero, whatever the sign and exponent.
    if (!parts.nonzero_digit) return 0.0;

    const char* significant = parts.exponent_digits;
    while (significant != parts.end && *significant == '0') ++significant;
    if (parts.end - significant >= 5) {
        // Ten to the power of 10000 or more overflows whatever the mantissa;
        // ten to the power of -10000 or less leaves a zero of the mantissa's sign.
        if (!parts.exponent_negative) return std::nullopt;
        return parts.negative ? -0.0 : 0.0;
    }
    int exponent = 0;
    for (const char* p = significant; p != parts.end; ++p) exponent = exponent * 10 + (*p - '0');
    if (parts.exponent_negative) exponent = -exponent;

    // The C form '1.5e-3' converts in place; other forms ('1.5D-3', '1.5-3',
    // '1.5E') are rewritten into the caller's scratch space first.
    const char* text = parts.mantissa_begin;
    const char* text_end = parts.end;
    bool c_exponent = (parts.exponent_letter == 'e' || parts.exponent_letter == 'E') &&
                      parts.exponent_digits != parts.end;
    bool no_exponent = parts.mantissa_end == parts.end;
    if (!c_exponent && !no_exponent) {
        scratch.assign(parts.mantissa_begin, parts.mantissa_end);
        scratch += 'e';
        scratch += std::to_string(exponent);
        text = scratch.data();
        text_end = text + scratch.size();
    }
    double magnitude = 0.0;
    std::from_chars_result result = std::from_chars(text, text_end, magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        if (decimal_order(parts, exponent) > 0) return std::nullopt;
        magnitude = 0.0;  // below the smallest subnormal
    } else if (result.ec != std::errc() || result.ptr != text_end) {
        return std::nullopt;
    }
    return parts.negative ? -magnitude : magnitude;
}

std::optional<std::int32_t> convert_repeat_count(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    if (p != end && *p == '+') {
        ++p;
        if (p != end && *p == '-') return std::nullopt;  // one sign only
    }
    std::int32_t count = 0;
    std::from_chars_result result = std::from_chars(p, end, count);
    if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return count;
}

}  // namespace logk
