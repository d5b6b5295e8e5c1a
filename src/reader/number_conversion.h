// Numeric fields of the free-form notation: their syntax and their value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace logk {

// Checks the characters of a numeric field (without a repeat count): only
// digits, signs, one '.', one exponent letter (E, D, Q in either case), and
// no exponent letter first. A '*' is not allowed here. Returns 0 or 59.
//   "1.5D-3" -> 0     "1.2.3" -> 59    "1E5E3" -> 59
//   "E5"     -> 59    "12a"   -> 59    "1E5.0" -> 0 (but does not convert)
int numeric_syntax_message(std::string_view field);

// Converts a numeric field that passed numeric_syntax_message to the nearest
// double; nullopt means the field cannot be converted (message 64).
//   "25"     -> 25.0         "1.0D2" -> 100.0       "1.5-3" -> 0.0015
//   "2+2"    -> 200.0        "1.5E"  -> 1.5         "-0"    -> +0.0
//   "0E999"  -> +0.0         "-."    -> +0.0        "-1E-400" -> -0.0
//   "1E400"  -> nullopt      "1E+-5" -> nullopt     "1+5E3" -> nullopt
// `scratch` is working space kept by the caller so that no call allocates
// once it has grown.
std::optional<double> convert_numeric(std::string_view field, std::string& scratch);

// A repeat count, the text before '*': an optional sign and decimal digits
// that fit a 32-bit signed integer. "3" -> 3, "-2" -> -2, "1.5" -> nullopt.
std::optional<std::int32_t> convert_repeat_count(std::string_view text);

}  // namespace logk
