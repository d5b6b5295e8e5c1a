// The batch loop on a table of its own nodes (grid/grid_table.h), or a set
// of such tables sharing their nodes and missing values: each point's
// stencil and flags from the table's rules (stencil/grid_rules.h), then
// INTRPK's lanes over the table's nodes. Included by batch_loop.h, so that
// each build of the loop has it for its instruction set; the same rules
// hold (see batch_loop.h): every input of a point read before any of its
// outputs is written, and nothing vector-valued passed to a function that
// is not always inlined.
#pragma once

namespace logk::batch {

// The stencils and flags of the block's W points, each from the rules: they
// search the nodes by halving, without a branch on the data.
template <int W, bool kFlags = true>
[[gnu::always_inline]] inline void grid_find_stencils(const Work& w, const double* P, const double* T,
                                                      PointBlock<W>& b) {
    const GridTable& grid = *w.tables.grid;
    if constexpr (W >= 4) {
        if (counted_in_lanes(*w.tables.rules)) {
            // Side by side: the nearest nodes counted across the lanes.
            using L = Lanes<W>;
            const typename L::Double P_lanes = L::load(P), T_lanes = L::load(T);
            L::store(P_lanes, b.P);
            L::store(T_lanes, b.T);
            GridStencilLanes<W> lanes;
            grid_find_lanes<W, kFlags>(*w.tables.rules, P_lanes, T_lanes, lanes);
            L::store(lanes.PIDX, b.PIDX);
            L::store(lanes.TIDX, b.TIDX);
            const typename L::Int m = L::all(static_cast<std::int64_t>(grid.m()));
            L::store((lanes.PIDX - 1) + (lanes.TIDX - 3) * m, b.first_cell);
            if constexpr (kFlags) {
                L::store(lanes.ISOERR, b.ISOERR);
                L::store(lanes.PTERR, b.PTERR);
            }
            return;
        }
    }
    for (int lane = 0; lane < W; ++lane) {
        b.P[lane] = P[lane];
        b.T[lane] = T[lane];
        int PIDX = -100, TIDX = -100;
        char PTERR = 'N', ISOERR = 'N';
        w.tables.rules->find(b.P[lane], b.T[lane], PIDX, TIDX, PTERR, ISOERR);
        b.PIDX[lane] = PIDX;
        b.TIDX[lane] = TIDX;
        b.first_cell[lane] = static_cast<std::int64_t>(grid.offset(PIDX, TIDX - 2));
        b.PTERR[lane] = PTERR;
        b.ISOERR[lane] = ISOERR;
    }
}

// Each lane's three nodes of an axis, from the table's nodes at `first`
// (each axis followed by one more value, so a load of four stays inside).
template <int W>
[[gnu::always_inline]] inline void grid_nodes_of(const double* nodes, const std::int64_t* first, std::int64_t less,
                                                 typename Lanes<W>::Double (&out)[3]) {
    Quad quads[W];
    for (int lane = 0; lane < W; ++lane) quads[lane] = load_quad(nodes + (first[lane] - less));
    LaneTransposes<W>::first_three(quads, out);
}

// log K of the block's points on one table of the grid, its values at
// cells[offset(I, J) * stride].
template <int W, typename Stride>
[[gnu::always_inline]] inline void grid_logk_of_points(const PointBlock<W>& b, const GridTable& grid,
                                                       const double* cells, Stride stride, bool reciprocal,
                                                       double* LK) {
    if constexpr (W > 1) {
        using L = Lanes<W>;
        const std::size_t m = static_cast<std::size_t>(grid.m());
        StencilLanes9<W> s;
        grid_nodes_of<W>(grid.temperatures(), b.TIDX, 3, s.tn);
        if (grid.along_one_line()) {
            // The row's three values are the columns: no pressure pass.
            typename L::Double LKP[3];
            if constexpr (std::is_same_v<Stride, std::size_t>) {
                alignas(64) double value[3][W];
                for (int lane = 0; lane < W; ++lane) {
                    const double* first = cells + static_cast<std::size_t>(b.first_cell[lane]) * stride;
                    for (int j = 0; j < 3; ++j) value[j][lane] = first[static_cast<std::size_t>(j) * stride];
                }
                for (int j = 0; j < 3; ++j) LKP[j] = L::load(value[j]);
            } else {
                grid_nodes_of<W>(cells, b.first_cell, 0, LKP);  // the row lies as nodes do
            }
            const typename L::Double T = L::load(b.T);
            if constexpr (W >= 4) {
                if (reciprocal && grid.reciprocals_usable() &&
                    L::every(coordinates_within_guard<W>(T) & values_within_guard<W, 3>(LKP))) {
                    StepReciprocalLanes<W> temperature;
                    step_reciprocals_of<W>(grid.temperature_reciprocals(), b.TIDX, temperature);
                    return L::store(temperature_pass_lanes_by<W>(T, LKP, s.tn, ReciprocalSteps<W>(s.tn, temperature)),
                                    LK);
                }
            }
            return L::store(temperature_pass_lanes<W>(T, LKP, s.tn), LK);
        }
        if constexpr (std::is_same_v<Stride, std::size_t>) {
            alignas(64) double value[9][W];
            for (int lane = 0; lane < W; ++lane) {
                const double* first = cells + static_cast<std::size_t>(b.first_cell[lane]) * stride;
                for (int j = 0; j < 3; ++j) {
                    for (int i = 0; i < 3; ++i) value[i + 3 * j][lane] = first[(static_cast<std::size_t>(i) + j * m) * stride];
                }
            }
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < 3; ++i) s.cell[i][j] = L::load(value[i + 3 * j]);
            }
        } else {
            // A column's three values side by side: one load of four a lane,
            // transposed within registers, as on the fixed grid.
            Quad columns[3][W];
            for (int lane = 0; lane < W; ++lane) {
                const double* first = cells + b.first_cell[lane];
                for (int j = 0; j < 3; ++j) columns[j][lane] = load_quad(first + static_cast<std::size_t>(j) * m);
            }
            for (int j = 0; j < 3; ++j) {
                typename L::Double column[3];
                LaneTransposes<W>::first_three(columns[j], column);
                for (int i = 0; i < 3; ++i) s.cell[i][j] = column[i];
            }
        }
        grid_nodes_of<W>(grid.pressures(), b.PIDX, 1, s.pn);
        const typename L::Double P = L::load(b.P), T = L::load(b.T);
        if constexpr (W >= 4) {
            if (reciprocal && grid.reciprocals_usable() && within_guards<W>(P, T, s)) {
                StepReciprocalLanes<W> pressure, temperature;
                step_reciprocals_of<W>(grid.pressure_reciprocals(), b.PIDX, pressure);
                step_reciprocals_of<W>(grid.temperature_reciprocals(), b.TIDX, temperature);
                return L::store(intrpk_reciprocal_lanes<W>(P, T, s, pressure, temperature), LK);
            }
        }
        L::store(intrpk_lanes<W>(P, T, s), LK);
    } else {
        intrpk_grid(b.P[0], b.T[0], static_cast<int>(b.PIDX[0]), static_cast<int>(b.TIDX[0]), grid, cells, stride,
                    LK[0]);
    }
}

// The slopes of every table at point `lane` of the block, into the outputs.
// grid_stencil_basis, from the reciprocals where asked and the guards allow.
template <int W>
[[gnu::always_inline]] inline StencilBasis grid_basis(double P, double T, int PIDX, int TIDX, const GridTable& grid,
                                                      bool reciprocal) {
    if constexpr (W >= 4) {
        if (reciprocal && grid.reciprocals_usable() && coordinate_within_guard(P) && coordinate_within_guard(T)) {
            StencilBasis basis{PIDX, TIDX, {}, {}, {}, {}};
            const double* t = grid.temperatures() + (TIDX - 3);
            quadratic_basis_by_reciprocals(T, {t[0], t[1], t[2]}, grid.temperature_reciprocals()[TIDX], basis.in_t,
                                           basis.slope_t);
            if (grid.along_one_line()) return basis;
            const double* p = grid.pressures() + (PIDX - 1);
            quadratic_basis_by_reciprocals(P, {p[0], p[1], p[2]}, grid.pressure_reciprocals()[PIDX], basis.in_p,
                                           basis.slope_p);
            return basis;
        }
    }
    return grid_stencil_basis(P, T, PIDX, TIDX, grid);
}

template <int W>
[[gnu::always_inline]] inline void grid_write_slopes(const PointBlock<W>& b, int lane, const Work& w,
                                                     std::size_t point) {
    const GridTable& grid = *w.tables.grid;
    const StencilBasis basis = grid_basis<W>(b.P[lane], b.T[lane], static_cast<int>(b.PIDX[lane]),
                                             static_cast<int>(b.TIDX[lane]), grid, w.reciprocal);
    const std::size_t count = w.tables.count;
    for (std::size_t r = 0; r < count; ++r) {
        double dT, dP;
        grid_slopes_on(basis, grid, w.tables.values + r, count, dT, dP);
        if (w.out.dLK_dT != nullptr) w.out.dLK_dT[point * count + r] = dT;
        if (w.out.dLK_dP != nullptr) w.out.dLK_dP[point * count + r] = dP;
    }
}

// Every output of a block of W points: each table of the set in points'
// lanes (a table of its own is a set of one), then the slopes and stencils.
template <int W>
[[gnu::always_inline]] inline void grid_block(const Work& w, std::size_t first, const PointBlock<W>& b) {
    const std::size_t count = w.tables.count;
    const GridTable& grid = *w.tables.grid;
    if (w.out.LK != nullptr) {
        if (count == 1) {
            grid_logk_of_points<W>(b, grid, w.tables.values, std::integral_constant<std::size_t, 1>{}, w.reciprocal,
                                   w.out.LK + first);
        } else {
            for (std::size_t r = 0; r < count; ++r) {
                alignas(64) double LK[W];
                grid_logk_of_points<W>(b, grid, w.tables.values + r, count, w.reciprocal, LK);
                for (int lane = 0; lane < W; ++lane) w.out.LK[(first + static_cast<std::size_t>(lane)) * count + r] = LK[lane];
            }
        }
    }
    if (w.slopes()) {
        for (int lane = 0; lane < W; ++lane) grid_write_slopes<W>(b, lane, w, first + static_cast<std::size_t>(lane));
    }
    write_stencils<W>(b, w.out, first);
}

// log K of every table of a set of at least V at one point, V tables to a
// vector (the values of one node lie side by side, table after table), the
// last V again where the count is no multiple of V.
template <int V>
[[gnu::always_inline]] inline void grid_tables_at(const Work& w, double P, double T, int PIDX, int TIDX,
                                                  std::int64_t first_cell, double* LK) {
    using L = Lanes<V>;
    const GridTable& grid = *w.tables.grid;
    const std::size_t count = w.tables.count, column = static_cast<std::size_t>(grid.m()) * count;
    const double* first = w.tables.values + static_cast<std::size_t>(first_cell) * count;
    StencilLanes9<V> s;
    for (int k = 0; k < 3; ++k) s.tn[k] = L::all(grid.T(TIDX - 2 + k));
    const bool along_one_line = grid.along_one_line();
    if (!along_one_line) {
        for (int k = 0; k < 3; ++k) s.pn[k] = L::all(grid.P(PIDX + k));
    }
    const typename L::Double p = L::all(P), t = L::all(T);
    [[maybe_unused]] bool reciprocal = false;
    [[maybe_unused]] StepReciprocalLanes<V> pressure{}, temperature{};
    if constexpr (V >= 4) {
        reciprocal = w.reciprocal && grid.reciprocals_usable() && coordinate_within_guard(P) &&
                     coordinate_within_guard(T);
        if (reciprocal) {
            step_reciprocals_of<V>(grid.temperature_reciprocals()[TIDX], temperature);
            if (!along_one_line) step_reciprocals_of<V>(grid.pressure_reciprocals()[PIDX], pressure);
        }
    }
    for (std::size_t r = 0; r < count; r += V) {
        if (r + V > count) r = count - V;
        if (along_one_line) {
            // The row's three values, and nothing past them: the table has
            // no other pressure's.
            typename L::Double LKP[3];
            for (int j = 0; j < 3; ++j) LKP[j] = L::load(first + j * column + r);
            if constexpr (V >= 4) {
                if (reciprocal && L::every(values_within_guard<V, 3>(LKP))) {
                    L::store(temperature_pass_lanes_by<V>(t, LKP, s.tn, ReciprocalSteps<V>(s.tn, temperature)), LK + r);
                    continue;
                }
            }
            L::store(temperature_pass_lanes<V>(t, LKP, s.tn), LK + r);
        } else {
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < 3; ++i) {
                    s.cell[i][j] = L::load(first + static_cast<std::size_t>(i) * count + j * column + r);
                }
            }
            if constexpr (V >= 4) {
                if (reciprocal && L::every(values_within_guard<V, 9>(&s.cell[0][0]))) {
                    L::store(intrpk_reciprocal_lanes<V>(p, t, s, pressure, temperature), LK + r);
                    continue;
                }
            }
            L::store(intrpk_lanes<V>(p, t, s), LK + r);
        }
    }
}

// A set of at least V tables, W points' stencils at a time.
template <int W, int V>
[[gnu::always_inline]] inline void grid_tables_in_lanes(const Work& w) {
    const std::size_t count = w.tables.count;
    auto block = [&w, count](const auto& b, std::size_t first) {
        constexpr int K = sizeof(b.P) / sizeof(double);
        for (int lane = 0; lane < K; ++lane) {
            const std::size_t point = first + static_cast<std::size_t>(lane);
            if (w.out.LK != nullptr) {
                grid_tables_at<V>(w, b.P[lane], b.T[lane], static_cast<int>(b.PIDX[lane]), static_cast<int>(b.TIDX[lane]),
                                  b.first_cell[lane], w.out.LK + point * count);
            }
            if (w.slopes()) grid_write_slopes<K>(b, lane, w, point);
        }
        write_stencils<K>(b, w.out, first);
    };
    std::size_t i = 0;
    for (; i + W <= w.n; i += W) {
        PointBlock<W> b;
        grid_find_stencils<W>(w, w.P + i, w.T + i, b);
        block(b, i);
    }
    for (; i < w.n; ++i) {
        PointBlock<1> one;
        grid_find_stencils<1>(w, w.P + i, w.T + i, one);
        block(one, i);
    }
}

// Every point, W at a time, then the rest one by one; the lanes' flags
// only where an output wants them.
template <int W, bool kFlags>
[[gnu::always_inline]] inline void grid_points_with(const Work& w) {
    std::size_t i = 0;
    for (; i + W <= w.n; i += W) {
        PointBlock<W> b;
        grid_find_stencils<W, kFlags>(w, w.P + i, w.T + i, b);
        grid_block<W>(w, i, b);
    }
    for (; i < w.n; ++i) {
        PointBlock<1> one;
        grid_find_stencils<1>(w, w.P + i, w.T + i, one);
        grid_block<1>(w, i, one);
    }
}

template <int W, int V>
[[gnu::always_inline]] inline void grid_points(const Work& w) {
    if (w.tables.count >= static_cast<std::size_t>(V)) return grid_tables_in_lanes<W, V>(w);
    if (w.out.ISOERR != nullptr || w.out.PTERR != nullptr) return grid_points_with<W, true>(w);
    grid_points_with<W, false>(w);
}

}  // namespace logk::batch
