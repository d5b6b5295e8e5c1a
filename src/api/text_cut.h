// Cutting a text to fit a fixed buffer without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace logk {

// The length of the longest start of `text` of at most `most` bytes that
// ends between two UTF-8 characters: a path in a message may hold any
// characters, and a C caller's buffer must not end in half of one.
//   whole_characters("ab\xC3\xA9", 3) == 2     whole_characters("abc", 5) == 3
// (Bytes that are no UTF-8 are cut anywhere, as no character is whole.)
constexpr std::size_t whole_characters(std::string_view text, std::size_t most) {
    if (text.size() <= most) return text.size();
    std::size_t length = most;
    auto continues = [&text](std::size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
    for (int back = 0; back < 3 && length > 0 && continues(length); ++back) --length;
    return continues(length) ? most : length;
}

static_assert(whole_characters("ab\xC3\xA9", 3) == 2 && whole_characters("ab\xC3\xA9", 4) == 4);
static_assert(whole_characters("a\xE2\x82\xAC", 3) == 1 && whole_characters("abc", 5) == 3);

}  // namespace logk
