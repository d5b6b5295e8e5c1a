// Numeric fields against strtod: every field that converts gives the double
// strtod gives for the field rewritten in C syntax; fields that must not
// convert do not. The one-pass conversion agrees with both.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "reader/field_chars.h"
#include "reader/number_conversion.h"
#include "reader/simple_number.h"

namespace {

using logk::CharClass;

struct Expected {
    bool converts;
    double value;
};

bool is_sign(char c) { return c == '+' || c == '-'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value the field must have, worked out independently: the field in C
// syntax (the exponent letter made 'e', a bare sign exponent given its 'e')
// through strtod, plus the rules strtod does not know.
Expected reference(const std::string& field) {
    std::size_t i = 0;
    std::string c_form;
    if (i < field.size() && is_sign(field[i])) c_form += field[i++];
    std::string mantissa;
    while (i < field.size() && (is_digit(field[i]) || field[i] == '.')) mantissa += field[i++];
    if (std::count(mantissa.begin(), mantissa.end(), '.') > 1) return {false, 0};
    std::string exponent;
    bool exponent_negative = false;
    if (i < field.size() && logk::char_class(field[i]) == CharClass::exponent) ++i;
    else if (i < field.size() && !is_sign(field[i]) && i != field.size()) return {false, 0};
    if (i < field.size() && is_sign(field[i])) exponent_negative = field[i++] == '-';
    while (i < field.size() && is_digit(field[i])) exponent += field[i++];
    if (i != field.size()) return {false, 0};  // left over after the form
    if (mantissa.find_first_of("123456789") == std::string::npos) return {true, 0.0};
    const std::size_t significant = exponent.find_first_not_of('0');
    if (significant != std::string::npos && exponent.size() - significant >= 5) {
        if (!exponent_negative) return {false, 0};
        return {true, c_form == "-" ? -0.0 : 0.0};
    }
    if (mantissa == "." || mantissa.empty()) return {true, 0.0};
    c_form += mantissa + "e" + (exponent_negative ? "-" : "+") + (exponent.empty() ? "0" : exponent);
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(c_form.c_str(), &end);
    if (*end != '\0') std::abort();  // the rewrite is always complete C syntax
    if (std::isinf(value)) return {false, 0};
    return {true, value};
}

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string field(reinterpret_cast<const char*>(data), size);
    if (logk::numeric_syntax_message(field) != 0) return 0;
    std::string scratch;
    const std::optional<double> got = logk::convert_numeric(field, scratch);
    const Expected expected = reference(field);
    if (got.has_value() != expected.converts) std::abort();
    if (got && !same(*got, expected.value)) std::abort();
    // Digits follow the field, so that a conversion running past its end
    // would show as a mismatch.
    const std::string padded = field + "9999";
    double fast = 0;
    if (const char* stop = logk::convert_simple_numeric(padded.data(), padded.data() + field.size(), fast)) {
        if (stop != padded.data() + field.size() || !got || !same(fast, *got)) std::abort();
    }
    // The conversion of whole lines looks ahead into the next line's text.
    const std::string line = field + "\n" + std::string(logk::kQuickWindow, '9');
    if (const char* stop = logk::convert_quick_number(line.data(), fast)) {
        if (stop != line.data() + field.size() || !got || !same(fast, *got)) std::abort();
    }
    return 0;
}
