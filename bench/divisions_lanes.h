// What each divisions_*.cpp builds, under its instruction set's pragma.
#include "batch/batch_loop.h"
#include "divisions.h"

namespace bench {

template <int W>
[[gnu::always_inline]] inline void divisions(std::size_t n, const double* P, const double* T, double* LK) {
    using L = logk::Lanes<W>;
    logk::StencilLanes9<W> stencil;
    logk::nodes_of_stencil<W>(13, 11, stencil);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) stencil.cell[i][j] = L::all(-2.5 + 0.01 * i + 0.1 * j);
    }
    for (std::size_t k = 0; k + W <= n; k += W) L::store(logk::intrpk_lanes<W>(L::load(P + k), L::load(T + k), stencil), LK + k);
}

}  // namespace bench
