// Times the library on 10^6 random points: the batch call (C++), one point
// at a time in a loop, and loading the example table.
//   library_bench <quartz.dat> [points] [rounds] [PT.dat to write the points to]
// Points: P log-uniform from 0.5 to 6500 bar on half of them and uniform on
// the rest, T uniform from -5 to 720 degC, in random order. Prints the best
// round of each, in ns per point (ms for the load).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "api/batch.h"
#include "bench_support.h"
#include "logk/logk.hpp"

using bench::best_seconds;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: library_bench <quartz.dat> [points] [rounds]\n");
        return 2;
    }
    const std::size_t n = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1000000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 11;
    std::mt19937_64 random(1994);
    const bench::Points points = bench::library_points(n, random);
    const std::vector<double>& P = points.P;
    const std::vector<double>& T = points.T;

    if (argc > 4) {  // the same points for the program, each read back as the double it is
        FILE* out = std::fopen(argv[4], "w");
        if (out == nullptr) return 1;
        for (std::size_t i = 0; i < n; ++i) std::fprintf(out, "%.17g %.17g\n", P[i], T[i]);
        if (std::fclose(out) != 0) return 1;
    }

    std::optional<logk::Table> table;
    const double load = best_seconds(rounds, [&] { table = logk::Table::load(argv[1]).value; });
    if (!table) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    std::vector<double> LK(n);
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    const double batch = best_seconds(rounds, [&] {
        table->interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR});
    });
    double sum = 0;
    const double one_by_one = best_seconds(rounds, [&] {
        for (std::size_t i = 0; i < n; ++i) sum += table->interpolate(P[i], T[i]).LK;
    });
    const double lk_only = best_seconds(rounds, [&] { table->interpolate(P, T, {.LK = LK}); });
    logk::LogKTable LOGK;  // the same table, for each build of the batch loop
    LOGK.set_in_file_order(table->values().data());
    const char* names[] = {"no vectors", "AVX2", "AVX-512"};
    std::vector<double> by_set;
    for (logk::InstructionSet set : logk::available_instruction_sets()) {
        by_set.push_back(best_seconds(rounds, [&] {
            logk::interpolate_points_with(set, logk::values_of(LOGK), n, P.data(), T.data(),
                                          {LK.data(), PIDX.data(), TIDX.data(), ISOERR.data(), PTERR.data()});
        }));
    }
    std::printf("points %zu, best of %d rounds\n", n, rounds);
    std::printf("batch, all five outputs   %7.2f ns/point\n", batch / static_cast<double>(n) * 1e9);
    std::printf("batch, log K alone        %7.2f ns/point\n", lk_only / static_cast<double>(n) * 1e9);
    for (std::size_t k = 0; k < by_set.size(); ++k) {
        std::printf("batch built for %-10s %7.2f ns/point\n", names[k], by_set[k] / static_cast<double>(n) * 1e9);
    }
    std::printf("one point per call        %7.2f ns/point\n", one_by_one / static_cast<double>(n) * 1e9);
    std::printf("loading the table         %7.3f ms\n", load * 1e3);
    return sum == 12345.678 ? 3 : 0;  // keeps the loop's work
}
