// Byte classes of the free-form notation.
#pragma once

#include <array>
#include <cstdint>

namespace logk {

enum class CharClass : std::uint8_t {
    other,      // anything that may not stand in a numeric field
    digit,
    sign,       // '+' '-'
    point,      // '.'
    exponent,   // 'E' 'D' 'Q', either case
    star,       // '*' ends a repeat count
    delimiter,  // ' ' '\t' ',' '/' ')' end a field
};

inline constexpr std::array<CharClass, 256> kCharClasses = [] {
    std::array<CharClass, 256> table{};
    for (int c = '0'; c <= '9'; ++c) table[c] = CharClass::digit;
    table['+'] = table['-'] = CharClass::sign;
    table['.'] = CharClass::point;
    for (unsigned char c : {'E', 'e', 'D', 'd', 'Q', 'q'}) table[c] = CharClass::exponent;
    table['*'] = CharClass::star;
    for (unsigned char c : {' ', '\t', ',', '/', ')'}) table[c] = CharClass::delimiter;
    return table;
}();

constexpr CharClass char_class(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }

// Only space and tab are blanks; form feed, NUL and the like are text.
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The end of a field that starts at `p`: the next blank, tab, ',', '/' or
// ')', or the end of the record.
inline const char* field_end(const char* p, const char* end) {
    while (p != end && char_class(*p) != CharClass::delimiter) ++p;
    return p;
}

}  // namespace logk
