#include "result/result_line.h"

#include "result/number_field.h"

namespace logk {
namespace {

// Four labels of 6 columns each followed by 4 blanks, 2 more blanks, then
// "LogK  ", "isoerr" and " PTerr" with 4 blanks between them. The labels
// stand left of their value columns, as they always have.
constexpr char kHeader[] =
    "    P     "
    "    T     "
    "  Pidx    "
    "  Tidx    "
    "  "
    "LogK  "
    "    "
    "isoerr"
    "    "
    " PTerr"
    "\r\n";
static_assert(sizeof kHeader - 1 == 70, "68 characters and CR LF");

// Zero-based offsets of the fields in a result line.
constexpr std::size_t kPColumn = 1;
constexpr std::size_t kTColumn = 11;
constexpr std::size_t kPidxColumn = 25;
constexpr std::size_t kTidxColumn = 35;
constexpr std::size_t kLkColumn = 41;
constexpr std::size_t kIsoerrColumn = 60;
constexpr std::size_t kPterrColumn = 70;

}  // namespace

std::string_view result_header() { return {kHeader, sizeof kHeader - 1}; }

ResultLine::ResultLine() {
    bytes_.fill(' ');
    bytes_[71] = '\r';
    bytes_[72] = '\n';
}

void format_result_line(double P, double T, int PIDX, int TIDX, double LK, char ISOERR, char PTERR,
                        ResultLine& line) {
    put_number_field<8>(P, &line[kPColumn]);
    put_number_field<8>(T, &line[kTColumn]);
    put_index_field(PIDX, &line[kPidxColumn]);
    put_index_field(TIDX, &line[kTidxColumn]);
    put_number_field<12>(LK, &line[kLkColumn]);
    line[kIsoerrColumn] = ISOERR;
    line[kPterrColumn] = PTERR;
}

}  // namespace logk
