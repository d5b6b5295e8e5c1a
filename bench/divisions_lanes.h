// What each divisions_*.cpp builds, under its instruction set's pragma.
#include "batch/batch_loop.h"
#include "divisions.h"

namespace bench {

template <int W>
[[gnu::always_inline]] inline logk::StencilLanes9<W> fixed_stencil() {
    using L = logk::Lanes<W>;
    logk::StencilLanes9<W> stencil;
    logk::nodes_of_stencil<W>(13, 11, stencil);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) stencil.cell[i][j] = L::all(-2.5 + 0.01 * i + 0.1 * j);
    }
    return stencil;
}

template <int W>
[[gnu::always_inline]] inline void divisions(std::size_t n, const double* P, const double* T, double* LK) {
    using L = logk::Lanes<W>;
    const logk::StencilLanes9<W> stencil = fixed_stencil<W>();
    for (std::size_t k = 0; k + W <= n; k += W) L::store(logk::intrpk_lanes<W>(L::load(P + k), L::load(T + k), stencil), LK + k);
}

template <int W>
[[gnu::always_inline]] inline void reciprocal_divisions(std::size_t n, const double* P, const double* T, double* LK) {
    using L = logk::Lanes<W>;
    const logk::StencilLanes9<W> stencil = fixed_stencil<W>();
    logk::StepReciprocalLanes<W> pressure, temperature;
    logk::batch::step_reciprocals_of<W>(logk::kPressureReciprocals[13], pressure);
    logk::batch::step_reciprocals_of<W>(logk::kTemperatureReciprocals[11], temperature);
    for (std::size_t k = 0; k + W <= n; k += W) {
        L::store(logk::intrpk_reciprocal_lanes<W>(L::load(P + k), L::load(T + k), stencil, pressure, temperature), LK + k);
    }
}

}  // namespace bench
