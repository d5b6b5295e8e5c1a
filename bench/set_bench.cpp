// Times table sets against their tables called one by one, on 10^6 random
// points of the library benchmark's distribution, on one core.
//   set_bench [points] [rounds] [table counts, 1 4 8 32 64 by default]
// For sets of 1, 4, 8, 32 and 64 tables of random values: the set's call
// (log K of every table, and the stencil and flags once a point), the
// same for log K alone, the first on every core (workers 0) and through
// each build of the loop the processor can run with each division it can
// make (d: the divider, r: the reciprocals), and the same tables called
// one by one for log K alone; beside them the limits of the library's
// build, its divisions alone by either division (bench/divisions.h), timed
// in the same rounds. Prints the best round of each in ns per value, a
// value being one point of one table, and the build and division the
// library chose.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "batch/batch.h"
#include "api/table_set_data.h"
#include "bench_support.h"
#include "divisions.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

using bench::best_seconds;

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::mt19937_64 random(1994);  // the points of library_bench
    const bench::Points points = bench::library_points(n, random);
    const std::vector<double>& P = points.P;
    const std::vector<double>& T = points.T;
    std::uniform_real_distribution<double> value(-12.0, 2.0);
    const char* names[] = {"no vectors", "AVX2", "AVX-512"};
    std::printf("points %zu, best of %d rounds, ns per value (a point of one table)\n", n, rounds);
    std::printf("the library's build %s, division %s%s%s\n", logk_build(), logk_division(),
                *logk_build_note() != '\0' ? ": " : "", logk_build_note());
    std::printf("%6s  %9s  %9s  %11s  %9s  %9s  %9s", "tables", "set", "set lk", "every core", "one by one",
                "limit d", "limit r");
    struct Form {
        logk::InstructionSet build;
        logk::Division division;
    };
    std::vector<Form> forms;
    for (logk::InstructionSet build : logk::available_instruction_sets()) {
        for (logk::Division division : logk::available_divisions(build)) {
            forms.push_back({build, division});
            std::printf("  %10s %c", names[static_cast<int>(build)], logk::division_name(division)[0]);
        }
    }
    std::printf("\n");
    const logk::InstructionSet best_build = logk::available_instruction_sets().back();
    const bench::DivisionsFunction* limits = bench::kDivisions[static_cast<int>(best_build)];
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    std::vector<std::size_t> counts = {1, 4, 8, 32, 64};
    if (argc > 3) counts.clear();
    for (int k = 3; k < argc; ++k) counts.push_back(std::strtoull(argv[k], nullptr, 10));
    for (std::size_t count : counts) {
        std::vector<double> values(count * logk::kTableValues);
        for (double& v : values) v = value(random);
        const logk::TableSet set = logk::TableSet::from_values(values);
        std::vector<logk::Table> tables;
        for (std::size_t r = 0; r < count; ++r) tables.push_back(set.table(r));
        std::vector<double> LK(n * count);
        const double per_value = 1e9 / static_cast<double>(n * count);
        // In alternate rounds, after one of each untimed, so that neither
        // gains from the other's warming up (or the processor's).
        set.interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR});
        for (std::size_t r = 0; r < count; ++r) tables[r].interpolate(P, T, {.LK = std::span(LK).subspan(r * n, n)});
        double together = 1e30, logk_alone = 1e30, every_core = 1e30, apart = 1e30, limit[2] = {1e30, 1e30};
        for (int round = 0; round < rounds; ++round) {
            for (int division = 0; division < 2; ++division) {
                if (limits[division] == nullptr) continue;
                limit[division] = std::min(limit[division], best_seconds(1, [&] {
                    limits[division](n, P.data(), T.data(), LK.data());
                }) * static_cast<double>(count));  // per point, as the values' times are
            }
            together = std::min(together, best_seconds(1, [&] {
                set.interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR});
            }));
            logk_alone = std::min(logk_alone, best_seconds(1, [&] { set.interpolate(P, T, {.LK = LK}); }));
            every_core = std::min(every_core, best_seconds(1, [&] {
                set.interpolate(P, T, {.LK = LK, .PIDX = PIDX, .TIDX = TIDX, .ISOERR = ISOERR, .PTERR = PTERR}, 0);
            }));
            apart = std::min(apart, best_seconds(1, [&] {
                for (std::size_t r = 0; r < count; ++r) {
                    tables[r].interpolate(P, T, {.LK = std::span(LK).subspan(r * n, n)});
                }
            }));
        }
        std::printf("%6zu  %9.2f  %9.2f  %11.2f  %10.2f  %9.2f  %9.2f", count, together * per_value,
                    logk_alone * per_value, every_core * per_value, apart * per_value, limit[0] * per_value,
                    limits[1] == nullptr ? 0.0 : limit[1] * per_value);
        logk::TableSetData data(count);
        for (std::size_t r = 0; r < count; ++r) {
            logk::LogKTable LOGK;
            LOGK.set_in_file_order(values.data() + r * logk::kTableValues);
            data.put(r, LOGK);
        }
        for (const Form& form : forms) {
            const double seconds = best_seconds(rounds, [&] {
                logk::interpolate_points_with(form.build, form.division, data.tables(), n, P.data(), T.data(),
                                              {LK.data(), PIDX.data(), TIDX.data(), ISOERR.data(), PTERR.data()});
            });
            std::printf("  %12.2f", seconds * per_value);
        }
        std::printf("\n");
    }
    return 0;
}
