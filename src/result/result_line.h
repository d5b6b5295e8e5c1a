// The lines of logk.out: a 68-character header, then one 71-character line
// per point, each ending in CR LF.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace logk {

// The header, CR LF included (70 bytes).
std::string_view result_header();

// One result line, CR LF included: columns 2-9 P, 12-19 T, 26-27 PIDX,
// 36-37 TIDX, 42-53 LK, 61 ISOERR, 71 PTERR, blanks between.
//   P=500 T=300 PIDX=19 TIDX=13 LK=-2.5 'N' 'N' ->
//   "  500.000   300.000      19        13          -2.500       N         N\r\n"
// A line is made once, blanks and CR LF in place; each point then only
// overwrites its fields, which always fill their full width.
inline constexpr std::size_t kResultLineSize = 73;
class ResultLine {
public:
    ResultLine();
    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kResultLineSize; }
    char& operator[](std::size_t i) { return bytes_[i]; }

private:
    std::array<char, kResultLineSize> bytes_;
};
void format_result_line(double P, double T, int PIDX, int TIDX, double LK, char ISOERR, char PTERR,
                        ResultLine& line);

}  // namespace logk
