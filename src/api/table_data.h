// What a logk::Table shares between its copies, and what a C logk_table
// holds: a table on the fixed grid, or on nodes of its own with the rules
// made for them, never changed once made.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "batch/batch.h"
#include "grid/grid.h"
#include "grid/grid_table.h"
#include "grid/logk_table.h"
#include "interp/intrpk.h"
#include "interp/slopes.h"
#include "logk/logk.hpp"
#include "stencil/findpt.h"
#include "stencil/grid_rules.h"

namespace logk {

// A table of its own nodes and its stencil selection, made once.
struct GridData {
    GridTable table;
    GridRules rules;
    explicit GridData(GridTable made) : table(std::move(made)), rules(table) {}
};

struct TableData {
    LogKTable LOGK;                        // on the fixed grid, where grid is null
    std::shared_ptr<const GridData> grid;  // on nodes of its own

    TableData() = default;
    explicit TableData(std::shared_ptr<const GridData> own) : grid(std::move(own)) {}

    TableValues values() const { return grid ? values_of(grid->table, grid->rules) : values_of(LOGK); }

    // The program's stencil selection and interpolation at one point.
    Interpolation at(double P, double T) const {
        Interpolation found{0.0, -100, -100, 'N', 'N'};
        if (grid) {
            grid->rules.find(P, T, found.PIDX, found.TIDX, found.PTERR, found.ISOERR);
            intrpk_grid(P, T, found.PIDX, found.TIDX, grid->table, grid->table.cells(), 1, found.LK);
        } else {
            FINDPT(P, T, found.PIDX, found.TIDX, found.PTERR, found.ISOERR);
            intrpk_cells(P, T, found.PIDX, found.TIDX, LOGK.cells(), found.LK);
        }
        return found;
    }
    Slopes slopes(double P, double T) const {
        const Interpolation stencil = at(P, T);
        Slopes slopes;
        if (grid) {
            grid_slopes_on(grid_stencil_basis(P, T, stencil.PIDX, stencil.TIDX, grid->table), grid->table,
                           grid->table.cells(), 1, slopes.dLK_dT, slopes.dLK_dP);
        } else {
            interpolant_slopes(P, T, stencil.PIDX, stencil.TIDX, LOGK, slopes.dLK_dT, slopes.dLK_dP);
        }
        return slopes;
    }

    // The values a row per pressure node, as a file holds them.
    std::vector<double> file_values() const {
        if (grid) return grid->table.values();
        std::vector<double> values(LogKTable::kCells);
        LOGK.get_in_file_order(values.data());
        return values;
    }
    const double* cells() const { return grid ? grid->table.cells() : LOGK.cells(); }
    std::size_t cell_count() const { return grid ? grid->table.cell_count() : LogKTable::kCells; }
    // The nodes of each axis.
    std::span<const double> pressures() const {
        return grid ? std::span<const double>(grid->table.pressures(), static_cast<std::size_t>(grid->table.m()))
                    : std::span<const double>(PGRID);
    }
    std::span<const double> temperatures() const {
        return grid ? std::span<const double>(grid->table.temperatures(), static_cast<std::size_t>(grid->table.n()))
                    : std::span<const double>(TGRID);
    }

    // The same nodes, bit for bit, and the same values.
    bool operator==(const TableData& other) const {
        if (static_cast<bool>(grid) != static_cast<bool>(other.grid)) return false;
        if (grid && !grid->table.same_nodes(other.grid->table)) return false;
        const double* a = cells();
        const double* b = other.cells();
        for (std::size_t k = 0; k < cell_count(); ++k) {
            if (std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k])) return false;
        }
        return true;
    }
};

}  // namespace logk
