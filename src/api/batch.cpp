#include "api/batch.h"

#include <cstdint>
#include <vector>

#include "api/batch_loop.h"

namespace logk {
namespace {

using batch::Work;

// One build of the loop per instruction set, chosen when the library is
// first used: eight points' stencils at a time and eight tables to a vector
// with AVX-512 (batch_avx512.cpp), four and four with AVX2 (batch_avx2.cpp);
// elsewhere one point at a time, and two tables to a vector of SSE2 (two
// points to a vector lose more in moving values between lanes than they
// gain).
using PointsFunction = void (*)(const Work&);

PointsFunction function_for(InstructionSet set) {
    switch (set) {
#if defined(__x86_64__) && defined(__GNUC__)
        case InstructionSet::avx512: return batch::points_avx512;
        case InstructionSet::avx2: return batch::points_avx2;
#endif
        default: return batch::points_baseline;
    }
}

// Whether writing an output of `size` bytes a point, point after point,
// each point's inputs read before its outputs are written, could overwrite
// a value of the input `in` (8 bytes a point) that is still to be read. It
// cannot when the two are apart, or when the output starts no later than
// the input does, less the bytes by which it is narrower.
bool overwrites_unread(const void* out, std::size_t size, const double* in, std::size_t n) {
    if (out == nullptr || n == 0) return false;
    const auto o = reinterpret_cast<std::uintptr_t>(out);
    const auto i = reinterpret_cast<std::uintptr_t>(in);
    if (o + size * n <= i || i + sizeof(double) * n <= o) return false;
    return size > sizeof(double) || o > i + (sizeof(double) - size);
}

bool overwrites_unread(const Work& w) {
    const std::size_t per_value = sizeof(double) * w.tables.count;
    for (const double* in : {w.P, w.T}) {
        if (overwrites_unread(w.out.LK, per_value, in, w.n) || overwrites_unread(w.out.dLK_dT, per_value, in, w.n) ||
            overwrites_unread(w.out.dLK_dP, per_value, in, w.n) ||
            overwrites_unread(w.out.PIDX, sizeof(int), in, w.n) ||
            overwrites_unread(w.out.TIDX, sizeof(int), in, w.n) ||
            overwrites_unread(w.out.ISOERR, sizeof(char), in, w.n) ||
            overwrites_unread(w.out.PTERR, sizeof(char), in, w.n)) {
            return true;
        }
    }
    return false;
}

void run(PointsFunction function, const Work& w) {
    if (!overwrites_unread(w)) return function(w);
    std::vector<double> inputs(w.P, w.P + w.n);
    inputs.insert(inputs.end(), w.T, w.T + w.n);
    Work copied = w;
    copied.P = inputs.data();
    copied.T = inputs.data() + w.n;
    function(copied);
}

}  // namespace

void batch::points_baseline(const Work& w) { all_points<1, 2>(w); }

InstructionSet best_instruction_set() noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl")) {
        return InstructionSet::avx512;
    }
    if (__builtin_cpu_supports("avx2")) return InstructionSet::avx2;
#endif
    return InstructionSet::baseline;
}

std::vector<InstructionSet> available_instruction_sets() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set : {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
        if (set <= best_instruction_set()) sets.push_back(set);
    }
    return sets;
}

void interpolate_points_with(InstructionSet set, const TableValues& tables, std::size_t n, const double* P,
                             const double* T, const BatchOutputs& out) {
    run(function_for(set), Work{tables, n, P, T, out});
}

void interpolate_points(const TableValues& tables, std::size_t n, const double* P, const double* T,
                        const BatchOutputs& out) {
    static const PointsFunction best = function_for(best_instruction_set());
    run(best, Work{tables, n, P, T, out});
}

}  // namespace logk
