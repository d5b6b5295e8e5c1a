#include "api/batch.h"

#include <cstdint>
#include <cstring>

#include "grid/lanes.h"
#include "interp/intrpk.h"
#include "interp/intrpk_lanes.h"
#include "stencil/findpt.h"
#include "stencil/findpt_lanes.h"

namespace logk {
namespace {

struct Arrays {
    const double* P;
    const double* T;
    double* LK;
    int* PIDX;
    int* TIDX;
    char* ISOERR;
    char* PTERR;
};

// One point as the program does it.
void one_point(const LogKTable& LOGK, const Arrays& to, std::size_t i) {
    int PIDX = -100;
    int TIDX = -100;
    char PTERR = 'N';
    char ISOERR = 'N';
    double LK;
    FINDPT(to.P[i], to.T[i], PIDX, TIDX, PTERR, ISOERR);
    INTRPK(to.P[i], to.T[i], PIDX, TIDX, LOGK, LK);
    if (to.LK != nullptr) to.LK[i] = LK;
    if (to.PIDX != nullptr) to.PIDX[i] = PIDX;
    if (to.TIDX != nullptr) to.TIDX[i] = TIDX;
    if (to.ISOERR != nullptr) to.ISOERR[i] = ISOERR;
    if (to.PTERR != nullptr) to.PTERR[i] = PTERR;
}

// W points from `first` on: the stencils and log K of all of them at once,
// then the rules, one point at a time, for any lane they do not cover.
template <int W>
[[gnu::always_inline]] inline void block_of_points(const LogKTable& LOGK, const Arrays& to, std::size_t first) {
    using L = Lanes<W>;
    const typename L::Double P = L::load(to.P + first);
    const typename L::Double T = L::load(to.T + first);
    StencilLanes<W> stencil;
    findpt_lanes<W>(P, T, stencil);
    alignas(64) std::int64_t PIDX[W];
    alignas(64) std::int64_t TIDX[W];
    std::memcpy(PIDX, &stencil.PIDX, sizeof PIDX);
    std::memcpy(TIDX, &stencil.TIDX, sizeof TIDX);
    StencilRows<W> rows;
    gather_stencil_rows<W>(PIDX, TIDX, LOGK, rows);
    typename L::Double LK;
    intrpk_lanes<W>(P, T, rows, LK);
    if (to.LK != nullptr) L::store(LK, to.LK + first);
    if (to.PIDX != nullptr) L::store(stencil.PIDX, to.PIDX + first);
    if (to.TIDX != nullptr) L::store(stencil.TIDX, to.TIDX + first);
    if (to.ISOERR != nullptr) L::store(stencil.ISOERR, to.ISOERR + first);
    if (to.PTERR != nullptr) L::store(stencil.PTERR, to.PTERR + first);
    for (int lane = 0; lane < W; ++lane) {
        if (stencil.covered[lane] == 0) one_point(LOGK, to, first + static_cast<std::size_t>(lane));
    }
}

template <int W>
[[gnu::always_inline]] inline void all_points(const LogKTable& LOGK, std::size_t n, const Arrays& to) {
    std::size_t i = 0;
    for (; i + W <= n; i += W) block_of_points<W>(LOGK, to, i);
    for (; i < n; ++i) one_point(LOGK, to, i);
}

// One build of the loop per instruction set, chosen when the library is
// first used: eight points to a vector with AVX-512, four with AVX2, and one
// point at a time elsewhere (two lanes of SSE2 lose more in moving values
// between lanes than they gain).
#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx512f,avx512dq,avx512vl")]] void points_avx512(const LogKTable& LOGK, std::size_t n,
                                                                  const Arrays& to) {
    all_points<8>(LOGK, n, to);
}
[[gnu::target("avx2")]] void points_avx2(const LogKTable& LOGK, std::size_t n, const Arrays& to) {
    all_points<4>(LOGK, n, to);
}
#endif
void points_baseline(const LogKTable& LOGK, std::size_t n, const Arrays& to) {
    for (std::size_t i = 0; i < n; ++i) one_point(LOGK, to, i);
}

using PointsFunction = void (*)(const LogKTable&, std::size_t, const Arrays&);

PointsFunction function_for(InstructionSet set) {
    switch (set) {
#if defined(__x86_64__) && defined(__GNUC__)
        case InstructionSet::avx512: return points_avx512;
        case InstructionSet::avx2: return points_avx2;
#endif
        default: return points_baseline;
    }
}

}  // namespace

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

void interpolate_points_with(InstructionSet set, const LogKTable& LOGK, std::size_t n, const double* P,
                             const double* T, double* LK, int* PIDX, int* TIDX, char* ISOERR, char* PTERR) {
    function_for(set)(LOGK, n, Arrays{P, T, LK, PIDX, TIDX, ISOERR, PTERR});
}

void interpolate_points(const LogKTable& LOGK, std::size_t n, const double* P, const double* T, double* LK,
                        int* PIDX, int* TIDX, char* ISOERR, char* PTERR) {
    static const PointsFunction best = function_for(best_instruction_set());
    best(LOGK, n, Arrays{P, T, LK, PIDX, TIDX, ISOERR, PTERR});
}

}  // namespace logk
