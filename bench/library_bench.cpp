// Times the library on 10^6 random points, one core: the batch call of the
// C++ interface (all five outputs, and log K alone), one point at a time in
// a loop, and loading the example table; and each build of the batch loop
// with each division it can make, beside that division's limit, the
// divisions alone (bench/divisions.h), all in alternating rounds so that
// the machine's drift touches each alike. Says which build and division
// the library chose.
//   library_bench <quartz.dat> [points] [rounds] [PT.dat to write the points to]
// Points: P log-uniform from 0.5 to 6500 bar on half of them and uniform on
// the rest, T uniform from -5 to 720 degC, in random order. Prints the best
// round of each, in ns per point (ms for the load).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "batch/batch.h"
#include "bench_support.h"
#include "divisions.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

using bench::best_seconds;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: library_bench <quartz.dat> [points] [rounds]\n");
        return 2;
    }
    const std::size_t n = argc > 2 ? std::strtoull(argv[2], nullptr, 10) / 8 * 8 : 1000000;
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
    logk::LogKTable LOGK;  // the same table, for each build of the batch loop
    LOGK.set_in_file_order(table->values().data());
    const logk::BatchOutputs five{LK.data(), PIDX.data(), TIDX.data(), ISOERR.data(), PTERR.data()};
    const logk::BatchOutputs alone{LK.data()};
    const char* names[] = {"no vectors (SSE2)", "AVX2", "AVX-512"};
    // Each build with each division it can make, beside that division's limit.
    struct Form {
        logk::InstructionSet set;
        logk::Division division;
        double limit = 1e30, five = 1e30, alone = 1e30;
    };
    std::vector<Form> forms;
    for (logk::InstructionSet set : logk::available_instruction_sets()) {
        for (logk::Division division : logk::available_divisions(set)) forms.push_back({set, division});
    }

    struct Best {
        double batch = 1e30, lk_only = 1e30, one_by_one = 1e30, every_core = 1e30;
    } best;
    double sum = 0;
    for (int round = 0; round < rounds; ++round) {
        best.batch = std::min(best.batch, best_seconds(1, [&] {
            table->interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR});
        }));
        best.lk_only = std::min(best.lk_only, best_seconds(1, [&] { table->interpolate(P, T, {.LK = LK}); }));
        best.every_core = std::min(best.every_core, best_seconds(1, [&] {
            table->interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR}, 0);
        }));
        best.one_by_one = std::min(best.one_by_one, best_seconds(1, [&] {
            for (std::size_t i = 0; i < n; ++i) sum += table->interpolate(P[i], T[i]).LK;
        }));
        for (Form& form : forms) {
            const bench::DivisionsFunction limit =
                bench::kDivisions[static_cast<int>(form.set)][static_cast<int>(form.division)];
            form.limit = std::min(form.limit, best_seconds(1, [&] { limit(n, P.data(), T.data(), LK.data()); }));
            form.five = std::min(form.five, best_seconds(1, [&] {
                logk::interpolate_points_with(form.set, form.division, logk::values_of(LOGK), n, P.data(), T.data(), five);
            }));
            form.alone = std::min(form.alone, best_seconds(1, [&] {
                logk::interpolate_points_with(form.set, form.division, logk::values_of(LOGK), n, P.data(), T.data(), alone);
            }));
        }
    }
    // The interpolation backwards on 20,000 of the points: the temperature at
    // which log K at P takes its value at another temperature of the points
    // (so that every search finds one), and the pressure likewise.
    const std::size_t searched = std::min<std::size_t>(n, 20000);
    std::vector<double> values(searched), found(searched);
    std::vector<char> how(searched);
    for (std::size_t i = 0; i < searched; ++i) {
        values[i] = table->interpolate(P[i], 0.01 + 599.99 * (static_cast<double>(i * 7919 % searched) / searched)).LK;
    }
    const std::span<const double> P_searched(P.data(), searched), T_searched(T.data(), searched);
    const double temperature_at = best_seconds(rounds, [&] {
        table->temperature_at(P_searched, values, found, how);
    });
    const double pressure_at = best_seconds(rounds, [&] { table->pressure_at(T_searched, values, found, how); });
    const double per_point = 1e9 / static_cast<double>(n);
    std::printf("points %zu, best of %d alternating rounds, ns per point\n", n, rounds);
    std::printf("the library's build %s, division %s (the inverse's %s)%s%s\n", logk_build(), logk_division(),
                logk::division_name(logk::chosen_one_stencil_division()), *logk_build_note() != '\0' ? ": " : "",
                logk_build_note());
    std::printf("batch, all five outputs   %7.2f ns/point\n", best.batch * per_point);
    std::printf("batch, log K alone        %7.2f ns/point\n", best.lk_only * per_point);
    std::printf("batch, all five, %u cores  %7.2f ns/point (%.2f x one)\n", std::thread::hardware_concurrency(),
                best.every_core * per_point, best.batch / best.every_core);
    std::printf("one point per call        %7.2f ns/point\n", best.one_by_one * per_point);
    std::printf("loading the table         %7.3f ms\n", load * 1e3);
    std::printf("temperature_at, batch     %7.3f us/point\n", temperature_at / static_cast<double>(searched) * 1e6);
    std::printf("pressure_at, batch        %7.3f us/point\n", pressure_at / static_cast<double>(searched) * 1e6);
    std::printf("\nbuild and division            limit  all five      x     log K      x\n");
    for (const Form& form : forms) {
        std::printf("%-18s %-10s %6.2f %9.2f %6.2f %9.2f %6.2f\n", names[static_cast<int>(form.set)],
                    logk::division_name(form.division), form.limit * per_point, form.five * per_point,
                    form.five / form.limit, form.alone * per_point, form.alone / form.limit);
    }
    return sum == 12345.678 ? 3 : 0;  // keeps the loop's work
}
