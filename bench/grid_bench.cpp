// Times a table on nodes of its own beside the fixed grid's, with the very
// nodes of the fixed grid given as a table's own (37 x 36) and the example
// table's values: a single table (log K with its stencil and flags, and
// log K alone) and a set of 32, one core, in alternating rounds so that the
// machine's drift touches each alike. Prints the best round of each in ns
// per value (points times tables) and the ratio of the grid's to the
// fixed grid's.
//   grid_bench <quartz.dat> [points] [rounds]
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "logk/grid.hpp"
#include "logk/logk.h"
#include "logk/logk.hpp"

using bench::best_seconds;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: grid_bench <quartz.dat> [points] [rounds]\n");
        return 2;
    }
    const std::size_t n = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1000000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 11;
    std::mt19937_64 random(1994);
    const bench::Points points = bench::library_points(n, random);
    const logk::Read<logk::Table> loaded = logk::Table::load(argv[1]);
    if (!loaded) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const logk::Table& fixed = *loaded.value;
    const logk::Table grid = logk::Table::from_grid(logk::PGRID, logk::TGRID, fixed.values());
    constexpr std::size_t kTables = 32;
    std::vector<logk::Table> fixed_tables, grid_tables;
    for (std::size_t r = 0; r < kTables; ++r) {
        std::vector<double> values = fixed.values();
        for (double& v : values) v = v * (1.0 + 0.01 * static_cast<double>(r)) - 0.1 * static_cast<double>(r);
        fixed_tables.push_back(logk::Table::from_values(values));
        grid_tables.push_back(logk::Table::from_grid(logk::PGRID, logk::TGRID, values));
    }
    const logk::TableSet fixed_set = logk::TableSet::from_tables(fixed_tables);
    const logk::TableSet grid_set = logk::TableSet::from_tables(grid_tables);

    std::vector<double> LK(n * kTables);
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    const std::span<double> one(LK.data(), n);
    const logk::Outputs five{.LK = one, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR};
    const logk::Outputs set_five{.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR};
    struct Row {
        const char* name;
        std::size_t values;
        std::function<void()> fixed, grid;
        double best_fixed = 1e30, best_grid = 1e30;
    };
    std::vector<Row> rows = {
        {"a table, log K, stencil and flags", n, [&] { fixed.interpolate(points.P, points.T, five); },
         [&] { grid.interpolate(points.P, points.T, five); }},
        {"a table, log K alone", n, [&] { fixed.interpolate(points.P, points.T, {.LK = one}); },
         [&] { grid.interpolate(points.P, points.T, {.LK = one}); }},
        {"a set of 32, log K, stencil and flags", n * kTables,
         [&] { fixed_set.interpolate(points.P, points.T, set_five); },
         [&] { grid_set.interpolate(points.P, points.T, set_five); }},
    };
    for (int round = 0; round < rounds; ++round) {
        for (Row& row : rows) {
            row.best_fixed = std::min(row.best_fixed, best_seconds(1, row.fixed));
            row.best_grid = std::min(row.best_grid, best_seconds(1, row.grid));
        }
    }
    std::printf("the batch loop's build: %s, division %s%s%s\n", logk_build(), logk_division(),
                *logk_build_note() != '\0' ? ": " : "", logk_build_note());
    for (const Row& row : rows) {
        const double f = row.best_fixed * 1e9 / static_cast<double>(row.values);
        const double g = row.best_grid * 1e9 / static_cast<double>(row.values);
        std::printf("%-40s fixed grid %6.2f ns a value, own nodes %6.2f ns a value, %.2fx\n", row.name, f, g, g / f);
    }
}
