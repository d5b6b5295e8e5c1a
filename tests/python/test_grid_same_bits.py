"""Tables on nodes of their own give, through the module's array call (so
that the batch loop's lanes run), the bits of grid_model.py, a model of
their rules written apart from the library: random uneven grids of many
shapes, nodes of every scale, missing and infinite values, at points that
reach every rule (the nodes, the half-way points and the margins' bounds,
each with the doubles beside it, NaN, the infinities, zeros), every output
compared, for a table and for a set of two."""
import itertools
import math

import numpy as np
import pytest

import grid_model
import logk
from grid_model import grid_findpt, grid_intrpk, grid_slopes

SHAPES = list(itertools.product((1, 3, 4, 10, 70), (3, 5, 40)))
# From subnormal steps to steps near the largest doubles' tenth of a percent.
SCALES = (1e-310, 1e-6, 1.0, 250.0, 1e8, 1e150, 1e300)


@pytest.fixture(autouse=True)
def model_converts_each_table_once(monkeypatch):
    # The model converts the whole table to NumPy doubles at every call;
    # once a table, it runs some 30 times faster on 70 x 40 nodes, its
    # rules untouched.
    converted = {}
    convert = grid_model._table

    def table(pressures, temperatures, values):
        key = (id(pressures), id(temperatures), id(values))
        if key not in converted:
            converted[key] = (convert(pressures, temperatures, values), (pressures, temperatures, values))
        return converted[key][0]

    monkeypatch.setattr(grid_model, "_table", table)


def uneven_nodes(rng, count, scale, side):
    """`count` strictly ascending doubles, steps from a thousandth of `scale`
    to `scale`: all above 0 (side 1), all below (-1), or either side of 0
    (0, for more than one)."""
    steps = np.cumsum(scale * 10.0 ** rng.uniform(-3, 0, count))
    if side == 0 and count > 1:  # a node just below 0, the next above it
        nodes = steps - steps[rng.integers(count - 1)] - scale / 2000
    else:
        nodes = steps + (scale * rng.uniform(0, 0.5) if side >= 0 else -steps[-1] - scale * rng.uniform(1, 1.5))
    assert np.all(np.isfinite(nodes)) and np.all(np.diff(nodes) > 0) and (side == 0 or np.all(nodes * side > 0))
    return nodes


def random_values(rng, m, n, missing):
    """m x n values with their NaN where `missing` is set, and a few infinite ones."""
    values = rng.normal(-5.0, 3.0, (m, n))
    values[missing] = np.nan
    rows, columns = np.nonzero(~missing)
    for k in rng.choice(rows.size, min(2, rows.size), replace=False):
        values[rows[k], columns[k]] = rng.choice([np.inf, -np.inf])
    return values


def missing_cells(rng, m, n):
    """Where a table has no value: random holes and, over several rows, a
    vapour corner (low pressures at high temperatures), which moves stencils."""
    missing = rng.uniform(size=(m, n)) < rng.choice([0.0, 0.03, 0.15])
    if m > 1:
        for row in range(rng.integers(0, m // 2 + 1)):
            missing[row, n - rng.integers(1, n):] = True
    return missing


def beside(x):
    x = np.atleast_1d(np.asarray(x, dtype=np.float64))
    return np.concatenate([np.nextafter(x, -np.inf), x, np.nextafter(x, np.inf)])


SPECIAL = np.array([np.nan, np.inf, -np.inf, 0.0, -0.0, 5e-324, -1e308, 1e308])


def axis_marks(nodes):
    """The values of one coordinate where a rule changes, with the doubles
    beside each: the nodes, the half-way points (ties of the nearest node),
    the margins' bounds; then the values no node is near."""
    if nodes.size == 1:  # the pressure takes no part
        return np.concatenate([beside(nodes[np.isfinite(nodes)]), SPECIAL])
    with np.errstate(over="ignore"):
        halves = np.where(np.isfinite(nodes[:-1] + nodes[1:]), (nodes[:-1] + nodes[1:]) / 2,
                          nodes[:-1] / 2 + nodes[1:] / 2)
        bounds = [nodes[0] - (nodes[1] - nodes[0]), nodes[-1] + (nodes[-1] - nodes[-2])]
    return np.concatenate([beside(np.concatenate([nodes, halves, bounds])), SPECIAL])


def margins(nodes):
    return nodes[0] - (nodes[1] - nodes[0]), nodes[-1] + (nodes[-1] - nodes[-2])


def points(rng, pressures, temperatures, values):
    """Each mark of one coordinate against three of the other's, each value
    that is not finite among the nodes beside it, and random points within
    the margins."""
    P_marks, T_marks = axis_marks(pressures), axis_marks(temperatures)
    P = [np.repeat(P_marks, 3), rng.choice(P_marks, 3 * T_marks.size)]
    T = [rng.choice(T_marks, 3 * P_marks.size), np.repeat(T_marks, 3)]
    rows, columns = np.nonzero(~np.isfinite(values))
    for k in rng.permutation(rows.size)[:30]:
        near_P = beside(pressures[rows[k]]) if pressures.size > 1 else rng.choice(P_marks, 3)
        P.append(np.repeat(near_P, 3))
        T.append(np.tile(beside(temperatures[columns[k]]), 3))
    P.append(rng.uniform(*margins(pressures), 60) if pressures.size > 1 else rng.choice(P_marks, 60))
    T.append(rng.uniform(*margins(temperatures), 60))
    return np.concatenate(P), np.concatenate(T)


def model_outputs(P, T, pressures, temperatures, values):
    """The model's outputs at every point: pidx, tidx, isoerr, pterr (the
    points' own), and log K and the slopes."""
    found = [grid_findpt(p, t, pressures, temperatures, values) for p, t in zip(P, T)]
    lk = [grid_intrpk(p, t, *f[:3], pressures, temperatures, values) for p, t, f in zip(P, T, found)]
    slopes = [grid_slopes(p, t, *f[:3], pressures, temperatures, values) for p, t, f in zip(P, T, found)]
    columns = list(zip(*found))
    return {"pidx": np.array(columns[0]), "tidx": np.array(columns[1]), "isoerr": np.array(columns[2]),
            "pterr": np.array(columns[3]), "lk": np.array(lk), "dlk_dT": np.array([s[0] for s in slopes]),
            "dlk_dP": np.array([s[1] for s in slopes])}


def first_difference(got, expected, P, T):
    """None where every output agrees to the bit, else what differs first."""
    for name, want in expected.items():
        have = np.asarray(got[name])
        same = have.view(np.uint64) == want.view(np.uint64) if want.dtype == np.float64 else have == want
        if not same.all():
            k = int(np.flatnonzero(~same)[0])
            return f"{name} at P={P[k]!r}, T={T[k]!r}: {have[k]!r}, the model {want[k]!r}"
    return None


def outputs(result, r=None):
    """A Result's outputs by name; for a set, those of table r."""
    return {name: np.ascontiguousarray(getattr(result, name)[..., r]) if r is not None and name in PER_TABLE
            else getattr(result, name) for name in NAMES}


NAMES = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")
PER_TABLE = ("lk", "dlk_dT", "dlk_dP")


def check_random_grids(rng, sides):
    """Holds the library to the model on a random table of every shape and
    on a set of two, the nodes of each axis on the sides of 0 `sides` gives
    for the table's count; returns what the model's outputs reached."""
    reached = set()
    for (m, n), k in zip(SHAPES, itertools.count()):
        scale_P, scale_T = SCALES[k % len(SCALES)], SCALES[(3 * k + 2) % len(SCALES)]
        side_P, side_T = sides(k)
        pressures = uneven_nodes(rng, m, scale_P, side_P) if m > 1 or k % 2 else np.array([np.nan])
        temperatures = uneven_nodes(rng, n, scale_T, side_T)
        missing = missing_cells(rng, m, n)
        first, second = random_values(rng, m, n, missing), random_values(rng, m, n, missing)
        P, T = points(rng, pressures, temperatures, first)
        where = f"{m} x {n} nodes of scales {scale_P:g} and {scale_T:g}"
        models = [model_outputs(P, T, list(pressures), list(temperatures), v) for v in (first, second)]
        table = logk.Table.from_grid(first, pressures, temperatures)
        difference = first_difference(outputs(table.interpolate(P, T, derivatives=True)), models[0], P, T)
        assert difference is None, f"{where}: {difference}"
        # a set of two on the same nodes, missing the same values: each table's bits
        both = logk.TableSet.from_tables([table, logk.Table.from_grid(second, pressures, temperatures)])
        result = both.interpolate(P, T, derivatives=True)
        for r, model in enumerate(models):
            difference = first_difference(outputs(result, r), model, P, T)
            assert difference is None, f"{where}, table {r} of a set: {difference}"
        isoerr, lk = models[0]["isoerr"], models[0]["lk"]
        reached |= {("isoerr", f) for f in isoerr} | {("pterr", f) for f in models[0]["pterr"]}
        reached |= {("moved", m) for f in isoerr if f == "W"}
        reached |= {("lk", kind) for kind, mask in (("nan", np.isnan(lk)), ("inf", np.isinf(lk)),
                                                     ("finite", np.isfinite(lk))) if mask.any()}
    return reached


def test_random_grids_give_the_models_bits():
    # pressures above 0, temperatures above 0 or below it
    reached = check_random_grids(np.random.default_rng(4711), lambda k: (1, 1 if k % 3 else -1))
    assert {(kind, f) for kind in ("isoerr", "pterr") for f in "NWE"} <= reached, reached
    assert {("moved", m) for m in (4, 10, 70)} <= reached and {("lk", "inf"), ("lk", "nan")} <= reached, reached


# Nodes either side of 0 whose sizes multiply to some 4 or more (-10 and 5
# degC, say): the count of the doubles between them passes 2^63, which the
# library's search for the change of nearest node must not wrap.
def test_nodes_either_side_of_zero_give_the_models_bits():
    line = logk.Table.from_grid(np.zeros((1, 4)), [np.nan], [-30.0, -10.0, 5.0, 20.0])
    near = logk.Table.from_grid(np.zeros((1, 4)), [np.nan], [-30.0, -1.0, 1.0, 20.0])
    assert [int(near.interpolate(1.0, T).tidx) for T in (0.0, 0.5)] == [3, 4]  # passes: -1 and 1 lie near 0
    assert [int(line.interpolate(1.0, T).tidx) for T in (-2.5, -2.0)] == [3, 4]  # -2 lies nearer 5 than -10
    check_random_grids(np.random.default_rng(8128), lambda k: (0, 0))
