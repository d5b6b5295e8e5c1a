// What a logk::TableSet shares between its copies, and what a C
// logk_table_set holds: the tables laid out for the batch loop, never
// changed once made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "grid/logk_table.h"
#include "logk/logk.hpp"

namespace logk {

struct TableSetData {
    std::size_t count = 0;
    // The values of one node side by side, table after table: table r at
    // cell c (a LogKTable's order) is values[c * count + r], so that the
    // loop loads one node of many tables at once.
    std::vector<double> values;
    std::vector<std::string> names;  // one per table, empty where none was given

    static constexpr std::size_t kCells = LogKTable::kCells;
    // Beyond TableSet::kMostTables, kCells * tables could wrap.
    static constexpr std::size_t kMostTables = TableSet::kMostTables;

    // A set of fewer tables than this keeps each table apart too.
    static constexpr std::size_t kFewTables = 8;

    // Throws std::length_error for more than kMostTables. One value more
    // than the tables hold: the batch loop's loads of four may read it.
    explicit TableSetData(std::size_t tables)
        : count(tables), values(cells_of(tables) + 1), apart(tables < kFewTables ? tables : 0) {
        for (const LogKTable& table : apart) apart_cells.push_back(table.cells());
    }
    TableSetData(TableSetData&&) = default;  // the cells apart stay where they are
    TableSetData(const TableSetData&) = delete;

    TableValues tables() const { return {values.data(), count, apart.empty() ? nullptr : apart_cells.data()}; }

    // Table r from, or into, a LogKTable.
    void put(std::size_t r, const LogKTable& LOGK) {
        for (std::size_t c = 0; c < kCells; ++c) values[c * count + r] = LOGK.cells()[c];
        if (!apart.empty()) apart[r] = LOGK;
    }
    LogKTable get(std::size_t r) const {
        LogKTable LOGK;
        for (int I = 1; I <= kPressureNodes; ++I) {
            for (int J = 1; J <= kTemperatureNodes; ++J) LOGK(I, J) = values[LogKTable::offset(I, J) * count + r];
        }
        return LOGK;
    }

private:
    std::vector<LogKTable> apart;  // for few tables
    std::vector<const double*> apart_cells;

    static std::size_t cells_of(std::size_t tables) {
        if (tables > kMostTables) {
            throw std::length_error("a count of " + std::to_string(tables) + " tables is too large (at most " +
                                    std::to_string(kMostTables) + ")");
        }
        return kCells * tables;
    }
};

}  // namespace logk
