#include "batch/batch.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_loop.h"
#include "batch/overlap.h"
#include "system/platform.h"
#include "workers/workers.h"

namespace logk {
namespace {

using batch::Work;

// One build of the loop per instruction set, chosen when the library is
// first used: eight points' stencils at a time and eight tables to a vector
// with AVX-512 (batch_avx512.cpp), four and four with AVX2 (batch_avx2.cpp);
// elsewhere two and two in vectors of SSE2, each point's stencil from
// FINDPT itself.
using PointsFunction = void (*)(const Work&);
using OneStencilFunction = void (*)(const batch::OneStencil&);

// A batch function's three builds; the vector ones exist only where the
// compiler can target them, and elsewhere the baseline stands in.
template <typename Function>
struct Builds {
    Function baseline, avx2, avx512;
    Function for_set(InstructionSet set) const {
        return set == InstructionSet::avx512 ? avx512 : (set == InstructionSet::avx2 ? avx2 : baseline);
    }
};
#if defined(__x86_64__) && defined(__GNUC__)
#define LOGK_BUILDS(name) {batch::name##_baseline, batch::name##_avx2, batch::name##_avx512}
#else
#define LOGK_BUILDS(name) {batch::name##_baseline, batch::name##_baseline, batch::name##_baseline}
#endif
constexpr Builds<PointsFunction> kPoints = LOGK_BUILDS(points);
constexpr Builds<OneStencilFunction> kOnOneStencil = LOGK_BUILDS(on_one_stencil);
constexpr Builds<OneStencilFunction> kAlongTemperature = LOGK_BUILDS(along_temperature);
#undef LOGK_BUILDS

bool any_overwrites_unread(const Work& w, bool sliced) {
    const std::size_t per_value = sizeof(double) * w.tables.count;
    const BatchOutputs& out = w.out;
    for (const double* in : {w.P, w.T}) {
        if (overwrites_unread(out.LK, per_value, in, w.n, sliced) ||
            overwrites_unread(out.dLK_dT, per_value, in, w.n, sliced) ||
            overwrites_unread(out.dLK_dP, per_value, in, w.n, sliced) ||
            overwrites_unread(out.PIDX, sizeof(int), in, w.n, sliced) ||
            overwrites_unread(out.TIDX, sizeof(int), in, w.n, sliced) ||
            overwrites_unread(out.ISOERR, sizeof(char), in, w.n, sliced) ||
            overwrites_unread(out.PTERR, sizeof(char), in, w.n, sliced)) {
            return true;
        }
    }
    return false;
}

// Points first to first + n of the work.
Work slice(const Work& w, std::size_t first, std::size_t n) {
    const std::size_t values = first * w.tables.count;
    auto from = [](auto* output, std::size_t at) { return output == nullptr ? output : output + at; };
    const BatchOutputs& out = w.out;
    return {w.tables,
            n,
            w.P + first,
            w.T + first,
            {from(out.LK, values), from(out.PIDX, first), from(out.TIDX, first), from(out.ISOERR, first),
             from(out.PTERR, first), from(out.dLK_dT, values), from(out.dLK_dP, values)},
            w.reciprocal};
}

// The work on `threads` threads, in contiguous slices of about equal size,
// several a thread (each of a few thousand points at least) so that a
// thread slowed by others, or woken late, does not hold up the end.
void run_sliced(PointsFunction function, const Work& w, int threads) {
    constexpr std::size_t kSlicesPerThread = 16, kLeastPoints = 2048;
    const std::size_t parts = std::clamp<std::size_t>(w.n / kLeastPoints, 1, kSlicesPerThread * threads);
    run_parts(parts, threads, [&](std::size_t k) {
        const std::size_t first = w.n * k / parts, last = w.n * (k + 1) / parts;
        function(slice(w, first, last - first));
    });
}

// Points a chunk of a call that can be stopped: some 65536 values a
// thread, about a millisecond of work, so that a stop is answered soon and
// the checks cost nothing that counts.
constexpr std::size_t kChunkValues = 65536;

// The work in chunks, the stop check asked after each; the points done.
std::size_t run_in_chunks(PointsFunction function, const Work& w, int threads, const StopCheck& stop) {
    const std::size_t per_chunk = std::max<std::size_t>(1, kChunkValues * static_cast<std::size_t>(threads) /
                                                               std::max<std::size_t>(1, w.tables.count));
    for (std::size_t first = 0; first < w.n;) {
        const Work chunk = slice(w, first, std::min(per_chunk, w.n - first));
        threads > 1 ? run_sliced(function, chunk, threads) : function(chunk);
        first += chunk.n;
        if (first < w.n && stop()) return first;
    }
    return w.n;
}

std::size_t run(PointsFunction function, const Work& w, int workers, const StopCheck& stop) {
    const int threads = threads_for(workers, w.n * w.tables.count);
    auto go = [&](const Work& work) -> std::size_t {
        if (stop) return run_in_chunks(function, work, threads, stop);
        threads > 1 ? run_sliced(function, work, threads) : function(work);
        return work.n;
    };
    if (any_overwrites_unread(w, threads > 1)) {
        std::vector<double> inputs(w.P, w.P + w.n);
        inputs.insert(inputs.end(), w.T, w.T + w.n);
        Work copied = w;
        copied.P = inputs.data();
        copied.T = inputs.data() + w.n;
        return go(copied);
    }
    return go(w);
}

}  // namespace

void batch::points_baseline(const Work& w) { all_points<2, 2>(w); }
void batch::on_one_stencil_baseline(const batch::OneStencil& s) {
    on_one_stencil<2>(s.cells, s.PIDX, s.TIDX, s.n, s.P, s.T, false, s.LK, s.grid);
}
void batch::along_temperature_baseline(const batch::OneStencil& s) {
    along_temperature<2>(s.TIDX, s.columns, s.n, s.T, false, s.LK, s.grid);
}

InstructionSet best_instruction_set() noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl")) {
        return InstructionSet::avx512;
    }
    // The vector builds divide from reciprocals with fma, which every
    // processor with AVX-512 has, and nearly every one with AVX2.
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return InstructionSet::avx2;
#endif
    return InstructionSet::baseline;
}

const char* instruction_set_name(InstructionSet set) noexcept {
    switch (set) {
        case InstructionSet::avx512: return "avx512";
        case InstructionSet::avx2: return "avx2";
        case InstructionSet::baseline: break;
    }
    return "baseline";
}

namespace {

struct BuildChoice {
    InstructionSet set;
    std::string note;
};

const BuildChoice& build_choice() {
    static const BuildChoice choice = [] {
        const InstructionSet best = best_instruction_set();
        const std::optional<std::string> asked = platform::environment("LOGK_CPU");
        if (!asked || asked->empty()) return BuildChoice{best, ""};
        const std::string using_best = std::string("; the library uses ") + instruction_set_name(best);
        for (InstructionSet set : {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
            if (*asked != instruction_set_name(set)) continue;
            if (set <= best) return BuildChoice{set, ""};
            return BuildChoice{best, "LOGK_CPU=" + *asked + ": this processor cannot run that build" + using_best};
        }
        return BuildChoice{best, "LOGK_CPU=" + *asked + " names no build (baseline, avx2 or avx512)" + using_best};
    }();
    return choice;
}

}  // namespace

InstructionSet chosen_instruction_set() noexcept { return build_choice().set; }

const std::string& chosen_instruction_set_note() noexcept { return build_choice().note; }

std::vector<InstructionSet> available_instruction_sets() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set : {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
        if (set <= best_instruction_set()) sets.push_back(set);
    }
    return sets;
}

const char* division_name(Division division) noexcept {
    return division == Division::reciprocal ? "reciprocal" : "divider";
}

std::vector<Division> available_divisions(InstructionSet set) {
    if (set == InstructionSet::baseline) return {Division::divider};  // SSE2 has no fma
    return {Division::divider, Division::reciprocal};
}

namespace {

// The seconds the chosen build takes, at best of a few rounds, for log K
// of a few thousand points on a smooth table with each division: through
// the batch loop, and all on one stencil as the inverse's loops take them
// (there the divisions are nearly all the work, in the loop the stencils'
// choice is a good part of it, so that one may gain where the other does not).
struct DivisionTimes {
    double divider = 1e30, reciprocal = 1e30;
    Division faster() const {
        // Only clearly faster: the two give the same bits, and a close call
        // on a busy machine is no reason to change.
        return reciprocal < 0.9 * divider ? Division::reciprocal : Division::divider;
    }
};
struct LoopTimes {
    DivisionTimes points, one_stencil;
};
LoopTimes time_divisions(InstructionSet set) {
    constexpr std::size_t kTimedPoints = 4096;
    constexpr int kRounds = 5;
    LogKTable LOGK;
    for (int I = 1; I <= kPressureNodes; ++I) {
        for (int J = 1; J <= kTemperatureNodes; ++J) LOGK(I, J) = -3.0 + 0.01 * J - 0.002 * I;
    }
    std::vector<double> P(kTimedPoints), T(kTimedPoints), LK(kTimedPoints);
    std::uint64_t random = 1994;  // a linear congruential sequence: the same points every time
    auto uniform = [&random](double low, double high) {
        random = random * 6364136223846793005u + 1442695040888963407u;
        return low + (high - low) * static_cast<double>(random >> 11) * 0x1p-53;
    };
    for (std::size_t i = 0; i < kTimedPoints; ++i) {
        P[i] = uniform(1.0, 5000.0);
        T[i] = uniform(0.01, 600.0);
    }
    const PointsFunction points = kPoints.for_set(set);
    const OneStencilFunction one_stencil = kOnOneStencil.for_set(set);
    LoopTimes best;
    auto timed = [](double& kept, auto work) {
        const double start = platform::monotonic_seconds();
        work();
        kept = std::min(kept, platform::monotonic_seconds() - start);
    };
    for (int round = 0; round < kRounds; ++round) {
        for (bool reciprocal : {false, true}) {
            timed(reciprocal ? best.points.reciprocal : best.points.divider, [&] {
                points(Work{values_of(LOGK), kTimedPoints, P.data(), T.data(), {LK.data()}, reciprocal});
            });
            timed(reciprocal ? best.one_stencil.reciprocal : best.one_stencil.divider, [&] {
                one_stencil({LOGK.cells(), 13, 11, {}, nullptr, kTimedPoints, P.data(), T.data(), LK.data(), reciprocal});
            });
        }
    }
    return best;
}

struct DivisionChoice {
    Division points, one_stencil;
    std::string note;
};

const DivisionChoice& division_choice() {
    static const DivisionChoice choice = [] {
        const InstructionSet set = chosen_instruction_set();
        const std::vector<Division> available = available_divisions(set);
        const std::optional<std::string> asked = platform::environment("LOGK_DIVISION");
        std::string note;
        if (asked && !asked->empty()) {
            for (Division division : {Division::divider, Division::reciprocal}) {
                if (*asked != division_name(division)) continue;
                if (std::find(available.begin(), available.end(), division) != available.end()) {
                    return DivisionChoice{division, division, ""};
                }
                note = "LOGK_DIVISION=" + *asked + ": the " + instruction_set_name(set) +
                       " build has no fused multiply-add";
            }
            if (note.empty()) note = "LOGK_DIVISION=" + *asked + " names no division (divider or reciprocal)";
        }
        DivisionChoice chosen{Division::divider, Division::divider, ""};
        if (available.size() > 1) {
            const LoopTimes times = time_divisions(set);
            chosen.points = times.points.faster();
            chosen.one_stencil = times.one_stencil.faster();
        }
        if (!note.empty()) note += std::string("; the library uses the ") + division_name(chosen.points);
        chosen.note = note;
        return chosen;
    }();
    return choice;
}

// The division the library uses with another build than its own.
Division division_for(InstructionSet set) {
    const std::vector<Division> available = available_divisions(set);
    const Division chosen = chosen_division();
    return std::find(available.begin(), available.end(), chosen) != available.end() ? chosen : Division::divider;
}

}  // namespace

Division chosen_division() noexcept { return division_choice().points; }

Division chosen_one_stencil_division() noexcept { return division_choice().one_stencil; }

const std::string& chosen_division_note() noexcept { return division_choice().note; }

std::size_t interpolate_points_with(InstructionSet set, Division division, const TableValues& tables, std::size_t n,
                                    const double* P, const double* T, const BatchOutputs& out, int workers,
                                    const StopCheck& stop) {
    return run(kPoints.for_set(set), Work{tables, n, P, T, out, division == Division::reciprocal}, workers, stop);
}

std::size_t interpolate_points_with(InstructionSet set, const TableValues& tables, std::size_t n, const double* P,
                                    const double* T, const BatchOutputs& out, int workers, const StopCheck& stop) {
    return interpolate_points_with(set, division_for(set), tables, n, P, T, out, workers, stop);
}

std::size_t interpolate_points(const TableValues& tables, std::size_t n, const double* P, const double* T,
                               const BatchOutputs& out, int workers, const StopCheck& stop) {
    static const PointsFunction best = kPoints.for_set(chosen_instruction_set());
    static const bool reciprocal = chosen_division() == Division::reciprocal;
    return run(best, Work{tables, n, P, T, out, reciprocal}, workers, stop);
}

void interpolate_on_stencil_with(InstructionSet set, Division division, const double* cells, int PIDX, int TIDX,
                                 std::size_t n, const double* P, const double* T, double* LK) {
    kOnOneStencil.for_set(set)({cells, PIDX, TIDX, {}, nullptr, n, P, T, LK, division == Division::reciprocal});
}

void interpolate_on_stencil(const double* cells, int PIDX, int TIDX, std::size_t n, const double* P,
                            const double* T, double* LK) {
    static const OneStencilFunction best = kOnOneStencil.for_set(chosen_instruction_set());
    static const bool reciprocal = chosen_one_stencil_division() == Division::reciprocal;
    best({cells, PIDX, TIDX, {}, nullptr, n, P, T, LK, reciprocal});
}

void interpolate_along_temperature_with(InstructionSet set, Division division, int TIDX,
                                        const PressureColumns& columns, std::size_t n, const double* T, double* LK) {
    kAlongTemperature.for_set(set)(
        {nullptr, 0, TIDX, columns, nullptr, n, nullptr, T, LK, division == Division::reciprocal});
}

void interpolate_along_temperature(int TIDX, const PressureColumns& columns, std::size_t n, const double* T,
                                   double* LK) {
    static const OneStencilFunction best = kAlongTemperature.for_set(chosen_instruction_set());
    static const bool reciprocal = chosen_one_stencil_division() == Division::reciprocal;
    best({nullptr, 0, TIDX, columns, nullptr, n, nullptr, T, LK, reciprocal});
}

void interpolate_on_grid_stencil(const GridTable& grid, int PIDX, int TIDX, std::size_t n, const double* P,
                                 const double* T, double* LK) {
    static const OneStencilFunction best = kOnOneStencil.for_set(chosen_instruction_set());
    static const bool reciprocal = chosen_one_stencil_division() == Division::reciprocal;
    best({grid.cells(), PIDX, TIDX, {}, &grid, n, P, T, LK, reciprocal});
}

void interpolate_along_grid_temperature(const GridTable& grid, int TIDX, const PressureColumns& columns,
                                        std::size_t n, const double* T, double* LK) {
    static const OneStencilFunction best = kAlongTemperature.for_set(chosen_instruction_set());
    static const bool reciprocal = chosen_one_stencil_division() == Division::reciprocal;
    best({nullptr, 0, TIDX, columns, &grid, n, nullptr, T, LK, reciprocal});
}

}  // namespace logk
