// What a logk::TableSet shares between its copies, and what a C
// logk_table_set holds: the tables laid out for the batch loop, never
// changed once made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/table_data.h"
#include "batch/batch.h"
#include "grid/logk_table.h"
#include "logk/logk.hpp"

namespace logk {

struct TableSetData {
    std::size_t count = 0;
    // The values of one node side by side, table after table: table r at
    // cell c (a LogKTable's order, or its grid's) is values[c * count + r],
    // so that the loop loads one node of many tables at once.
    std::vector<double> values;
    std::vector<std::string> names;  // one per table, empty where none was given
    // Tables of their own nodes: the first table's nodes and rules, which
    // every table of the set shares (null on the fixed grid).
    std::shared_ptr<const GridData> grid;

    static constexpr std::size_t kCells = LogKTable::kCells;
    // Beyond TableSet::kMostTables, kCells * tables could wrap.
    static constexpr std::size_t kMostTables = TableSet::kMostTables;

    // A set of fewer tables than this keeps each table apart too.
    static constexpr std::size_t kFewTables = 8;

    // Throws std::length_error for more than kMostTables (or for a grid's,
    // whose tables may be larger). One value more than the tables hold:
    // the batch loop's loads of four may read it.
    explicit TableSetData(std::size_t tables, std::shared_ptr<const GridData> own = nullptr)
        : count(tables), values(cells_of(tables, own ? own->table.cell_count() : kCells) + 1), grid(std::move(own)),
          apart(tables < kFewTables && !grid ? tables : 0) {
        for (const LogKTable& table : apart) apart_cells.push_back(table.cells());
    }
    TableSetData(TableSetData&&) = default;  // the cells apart stay where they are
    TableSetData(const TableSetData&) = delete;

    std::size_t cells() const { return grid ? grid->table.cell_count() : kCells; }

    TableValues tables() const {
        if (grid) return {values.data(), count, nullptr, &grid->table, &grid->rules};
        return {values.data(), count, apart.empty() ? nullptr : apart_cells.data()};
    }

    // Table r from, or into, a table's data (of the set's kind: the fixed
    // grid's, or one of the set's nodes).
    void put(std::size_t r, const TableData& table) {
        const double* from = table.cells();
        for (std::size_t c = 0; c < cells(); ++c) values[c * count + r] = from[c];
        if (!apart.empty()) apart[r] = table.LOGK;
    }
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
    // Table r as a table of its own.
    std::shared_ptr<TableData> table(std::size_t r) const {
        if (!grid) {
            auto data = std::make_shared<TableData>();
            data->LOGK = get(r);
            return data;
        }
        const GridTable& nodes = grid->table;
        std::vector<double> rows;
        rows.reserve(nodes.cell_count());
        for (int I = 1; I <= nodes.m(); ++I) {
            for (int J = 1; J <= nodes.n(); ++J) rows.push_back(values[nodes.offset(I, J) * count + r]);
        }
        return std::make_shared<TableData>(std::make_shared<const GridData>(GridTable(
            {nodes.pressures(), static_cast<std::size_t>(nodes.m())},
            {nodes.temperatures(), static_cast<std::size_t>(nodes.n())}, rows)));
    }

    // Why tables cannot make one set ("" where they can): all on the fixed
    // grid, or all on the same nodes with the same missing values, so that
    // each point's stencil is the same in every table.
    static std::string refusal(const std::vector<const TableData*>& tables) {
        const TableData& first = *tables.front();
        for (std::size_t r = 1; r < tables.size(); ++r) {
            const TableData& other = *tables[r];
            if (static_cast<bool>(first.grid) != static_cast<bool>(other.grid) ||
                (first.grid && !first.grid->table.same_nodes(other.grid->table))) {
                return "table " + std::to_string(r) + " lies on other nodes than table 0: the tables of a set share "
                       "their nodes";
            }
            if (first.grid && !first.grid->table.same_missing_values(other.grid->table)) {
                return "table " + std::to_string(r) + " misses other values than table 0: the tables of a set miss "
                       "the same ones, so that each point's stencil is the same in every table";
            }
        }
        return {};
    }

private:
    std::vector<LogKTable> apart;  // for few tables
    std::vector<const double*> apart_cells;

    static std::size_t cells_of(std::size_t tables, std::size_t cells) {
        const std::size_t most = PTRDIFF_MAX / (cells * sizeof(double));
        if (tables > std::min(most, kMostTables)) {
            throw std::length_error("a count of " + std::to_string(tables) + " tables is too large (at most " +
                                    std::to_string(std::min(most, kMostTables)) + ")");
        }
        return cells * tables;
    }
};

}  // namespace logk
