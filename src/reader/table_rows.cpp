#include "reader/table_rows.h"

#include <array>

namespace logk {

ReadOutcome read_table_rows(InputFile& file, LogKTable& LOGK, TableRowsNotes* notes, bool read_on) {
    std::array<double*, kTemperatureNodes> row{};
    for (int I = 1; I <= kPressureNodes; ++I) {
        for (int J = 1; J <= kTemperatureNodes; ++J) row[static_cast<std::size_t>(J - 1)] = &LOGK(I, J);
        const ReadOutcome outcome = read_values(file, row, false, notes != nullptr);
        if (outcome.status != ReadOutcome::complete) return outcome;
        if (notes == nullptr) continue;
        if (notes->past_row_line == 0 && outcome.values_left_on_line > 0) {
            notes->past_row_line = file.line();
            notes->past_row_values = outcome.values_on_line;
        }
        if (notes->null_line == 0) notes->null_line = outcome.null_line;
    }
    if (notes != nullptr) notes->after_table_line = first_line_holding_values(file, read_on);
    return {ReadOutcome::complete};
}

}  // namespace logk
