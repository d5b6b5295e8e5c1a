"""The model of grid tables (grid_model.py) on cases worked by hand, and held
to the fixed grid's bits where the two share their nodes. No library needed."""
import math
import struct

import numpy as np
import pytest

from grid_cases import (CALCITE_ILLUSTRATIVE, CALCITE_TEMPERATURES, SOURCE, VAPOUR_PRESSURES, VAPOUR_TEMPERATURES,
                        VAPOUR_VALUES, bits, from_bits, grid_case_rows, grid_tables, read_doubles)
from grid_model import grid_check, grid_findpt, grid_intrpk, grid_slopes
from numpy_model import PGRID, TGRID, intrpk_numpy

NAN, INF = float("nan"), math.inf


def up(x):
    return math.nextafter(x, INF)


def down(x):
    return math.nextafter(x, -INF)


def grid(pressures, temperatures, rows):
    return pressures, temperatures, [v for row in rows for v in row]


VAPOUR = grid(VAPOUR_PRESSURES, VAPOUR_TEMPERATURES, VAPOUR_VALUES)
# p 1, 2, 3 by t 0, 1, 2, log K = p + 10 t: every operation below is exact.
LINEAR = grid([1.0, 2.0, 3.0], [0.0, 1.0, 2.0], [[1.0, 11.0, 21.0], [2.0, 12.0, 22.0], [3.0, 13.0, 23.0]])
# p 1, 2, 3, 4 by t 0, 1, 2: a NaN in the lowest row and one in the highest, so no stencil is complete.
HOLES = grid([1.0, 2.0, 3.0, 4.0], [0.0, 1.0, 2.0],
             [[NAN, 1.0, 1.0], [1.0, 1.0, 1.0], [1.0, 1.0, 1.0], [1.0, 1.0, NAN]])
# m = 3, p 1, 2, 3 by t 0, 1, 2, 3: no value at all at t = 3.
NO_COLUMN = grid([1.0, 2.0, 3.0], [0.0, 1.0, 2.0, 3.0], [[1.0, 1.0, 1.0, NAN]] * 3)
# m = 1 along t 0, 1, 2, 3, 4, no value at 4.
LINE = grid([1.0], [0.0, 1.0, 2.0, 3.0, 4.0], [[0.5, 1.0, 2.0, 4.0, NAN]])
# Nodes where the distances and the margin's bound round: -1e17 - 1 and 1e17 + 1 are no doubles.
WIDE = grid([-1e17, -1.0, 1e17, 2e17], [0.0, 1.0, 2.0], [[0.0] * 3] * 4)
# p 1, 2, 3, 4 by t 0, 1, 2: no value at (1, 2), so the lower limit at t = 2 is 2 bar, at t = 1 1 bar.
EDGE = grid([1.0, 2.0, 3.0, 4.0], [0.0, 1.0, 2.0], [[1.0, 1.0, NAN], [1.0] * 3, [1.0] * 3, [1.0] * 3])
# p 1, 2, 3 by t 0, 1, 2, zeros: +0 in the lowest row and the last column, -0 elsewhere.
ZEROS = grid([1.0, 2.0, 3.0], [0.0, 1.0, 2.0], [[0.0, 0.0, 0.0], [-0.0, -0.0, 0.0], [-0.0, -0.0, 0.0]])
# p 1, 2, 3 by t 0, 1, 2, all 1 but +inf at (1, 0).
INFINITE = grid([1.0, 2.0, 3.0], [0.0, 1.0, 2.0], [[INF, 1.0, 1.0], [1.0, 1.0, 1.0], [1.0, 1.0, 1.0]])

REFUSALS = [
    # pressures, temperatures, values, the reason (None: taken)
    ([1.0, 2.0], [0.0, 1.0, 2.0], [0.0] * 6,
     "2 pressure nodes: a grid table takes 3 or more, or 1 for a table along one line"),
    ([], [0.0, 1.0, 2.0], [], "0 pressure nodes: a grid table takes 3 or more, or 1 for a table along one line"),
    ([1.0, 2.0, 3.0], [0.0, 1.0], [0.0] * 6, "2 temperature nodes: a grid table takes 3 or more"),
    ([1.0, 3.0, 2.0], [0.0, 1.0, 2.0], [0.0] * 9,
     "pressure node 3 (2.0) does not lie above node 2 (3.0): nodes must ascend"),
    ([1.0, 2.0, 3.0], [0.0, 1.0, 1.0], [0.0] * 9,
     "temperature node 3 (1.0) does not lie above node 2 (1.0): nodes must ascend"),
    ([1.0, NAN, 3.0], [0.0, 1.0, 2.0], [0.0] * 9, "pressure node 2 is nan: nodes must be finite"),
    ([-INF, 2.0, 3.0], [0.0, 1.0, 2.0], [0.0] * 9, "pressure node 1 is -inf: nodes must be finite"),
    ([1.0, 2.0, 3.0], [0.0, 1.0, INF], [0.0] * 9, "temperature node 3 is inf: nodes must be finite"),
    ([1.0, 2.0, 3.0], [0.0, 1.0, 2.0], [0.0] * 8,
     "values of shape (8,) for 3 x 3 nodes: a grid table takes 9, a row per pressure node"),
    ([1.0, 2.0, 3.0, 4.0], [0.0, 1.0, 2.0], np.zeros((3, 4)),
     "values of shape (3, 4) for 4 x 3 nodes: a grid table takes 12, a row per pressure node"),
    ([1.0], [0.0, 1.0, 2.0], [0.0] * 9,
     "values of shape (9,) for 1 x 3 nodes: a grid table takes 3, a row per pressure node"),
    ([1.0], [0.0, 1.0, 2.0], [NAN, INF, -INF], None),    # m = 1; NaN and infinite values are values
    ([-5.0, 0.0, 3.0], [-10.0, 1.0, 2.0], np.full((3, 3), NAN), None),  # any finite ascending nodes
    (*VAPOUR, None),
    (list(PGRID), list(TGRID), np.zeros((37, 36)), None),
]


@pytest.mark.parametrize("pressures, temperatures, values, reason", REFUSALS)
def test_refusals(pressures, temperatures, values, reason):
    assert grid_check(pressures, temperatures, values) == reason


FINDPT = [
    # table, P, T -> PIDX, TIDX, ISOERR, PTERR
    # Nearest pressure node, the lower of two at the same distance: 750 lies 250 from 500 and from 1000.
    (VAPOUR, 750.0, 200.0, (1, 4, "N", "N")),           # node 2 -> middle 2 -> PIDX 1; t node 3 -> TIDX 4
    (VAPOUR, up(750.0), 200.0, (2, 4, "N", "N")),       # node 3 -> middle 3 -> PIDX 2
    (VAPOUR, down(750.0), 200.0, (1, 4, "N", "N")),
    # Each distance a double: 5e16 - (-1) rounds to 5e16 = 1e17 - 5e16, a tie, so node 2 (exactly, 3 is nearer).
    (WIDE, 5e16, 1.0, (1, 3, "N", "N")),
    (WIDE, up(5e16), 1.0, (2, 3, "N", "N")),            # 5e16 + 8: node 3
    # Clamps: node 1 and node m give middles 2 and m - 1; beyond the nodes the same.
    (VAPOUR, 100.0, 200.0, (1, 4, "N", "N")),
    (VAPOUR, 2000.0, 200.0, (2, 4, "N", "N")),
    (VAPOUR, 1e6, 200.0, (2, 4, "N", "E")),
    (VAPOUR, 1000.0, 25.0, (2, 3, "N", "N")),           # t node 1 -> middle 2 -> TIDX 3
    (VAPOUR, 1000.0, 500.0, (2, 6, "N", "N")),          # t node 6 -> middle 5 -> TIDX 6
    (VAPOUR, 1000.0, -1e6, (2, 3, "N", "E")),
    # Temperature ties: 150 between 100 and 200 takes node 2 (TIDX 3), the double above node 3.
    (VAPOUR, 1000.0, 150.0, (2, 3, "N", "N")),
    (VAPOUR, 1000.0, up(150.0), (2, 4, "N", "N")),
    (VAPOUR, 1000.0, down(150.0), (2, 3, "N", "N")),
    # Missing values. At 250 (tie: t node 3, columns 100..300) the stencil at 100 bar is complete;
    (VAPOUR, 100.0, 250.0, (1, 4, "N", "N")),
    # just above, columns 200..400 hold the NaN at (100, 400): up one node, 'W'; the limit at 300 is 100 bar.
    (VAPOUR, 100.0, up(250.0), (2, 5, "W", "N")),
    (VAPOUR, 100.0, 300.0, (2, 5, "W", "N")),
    (VAPOUR, 100.0, 350.0, (2, 5, "W", "N")),           # tie: t node 4 (300), limit 100 bar
    (VAPOUR, 100.0, up(350.0), (2, 6, "E", "N")),       # t node 5 (400): lowest value at 500 bar, 100 is below
    (VAPOUR, 500.0, 400.0, (2, 6, "W", "N")),           # p node 2 -> PIDX 1, moved; 500 is the limit
    (VAPOUR, down(500.0), 400.0, (2, 6, "E", "N")),     # moved, and below the limit
    (VAPOUR, 750.0, 400.0, (2, 6, "W", "N")),           # tie: node 2, PIDX 1, moved
    (VAPOUR, up(750.0), 400.0, (2, 6, "N", "N")),       # node 3, PIDX 2 complete from the start
    # No complete stencil above: 'E', PIDX where it started (1 moves to 2, which the highest row's NaN spoils).
    (HOLES, 1.0, 1.0, (1, 3, "E", "N")),
    (HOLES, 2.5, 1.0, (1, 3, "E", "N")),                # tie: node 2, PIDX 1
    (HOLES, up(2.5), 1.0, (2, 3, "E", "N")),            # node 3, PIDX 2, the highest: nowhere to go
    (HOLES, 4.0, 1.0, (2, 3, "E", "N")),
    # m = 3: one stencil in pressure; at t = 2 and 3 the middle is node 3, and column t = 3 has no value.
    (NO_COLUMN, 2.0, 1.5, (1, 3, "N", "N")),            # tie: t node 2
    (NO_COLUMN, 2.0, up(1.5), (1, 4, "E", "N")),
    (NO_COLUMN, 2.0, 3.0, (1, 4, "E", "N")),            # no value at any pressure at the nearest node
    # The limit is that of the node nearest T, not of the stencil's middle: at t = 2 (middle t = 1) 2 bar.
    (EDGE, 1.0, 2.0, (2, 3, "E", "N")),                 # moved from PIDX 1, and below the limit
    (EDGE, 2.0, 2.0, (2, 3, "W", "N")),                 # p node 2 -> PIDX 1, moved; at the limit
    (EDGE, down(2.0), 2.0, (2, 3, "E", "N")),
    (EDGE, 1.0, 1.5, (2, 3, "W", "N")),                 # tie: t node 2, limit 1 bar
    (EDGE, 1.0, up(1.5), (2, 3, "E", "N")),             # t node 3, limit 2 bar
    # Below the lowest node with a value is below the lower limit, complete stencil or not.
    (LINEAR, 1.0, 0.5, (1, 3, "N", "N")),
    (LINEAR, down(1.0), 0.5, (1, 3, "E", "W")),
    # m = 1: PIDX 1, the pressure takes no part (not in ISOERR, not in PTERR).
    (LINE, NAN, 1.5, (1, 3, "N", "N")),                 # tie: t node 2, values 0.5, 1, 2
    (LINE, 1e300, up(1.5), (1, 4, "N", "N")),           # t node 3, values 1, 2, 4
    (LINE, -INF, 2.5, (1, 4, "N", "N")),
    (LINE, 1.0, up(2.5), (1, 5, "E", "N")),             # values 2, 4, NaN
    (LINE, 1.0, 4.0, (1, 5, "E", "N")),
    # NaN and infinite points: NaN takes the first node, and lies below every limit.
    (LINEAR, NAN, 0.5, (1, 3, "E", "E")),
    (LINEAR, INF, 0.5, (1, 3, "N", "E")),               # the last node, middle 2
    (LINEAR, -INF, 0.5, (1, 3, "E", "E")),
    (LINEAR, 1.5, NAN, (1, 3, "N", "E")),
    (LINEAR, 1.5, INF, (1, 3, "N", "E")),
    (LINEAR, 1.5, -INF, (1, 3, "N", "E")),
    (VAPOUR, NAN, NAN, (1, 3, "E", "E")),
    (VAPOUR, INF, INF, (2, 6, "N", "E")),
    # An infinite value is a value: the stencil stays.
    (INFINITE, 1.0, 0.0, (1, 3, "N", "N")),
]


@pytest.mark.parametrize("table, P, T, expected", FINDPT)
def test_findpt(table, P, T, expected):
    assert grid_findpt(P, T, *table) == expected


MARGINS = [
    # table, P, T -> PTERR. LINEAR: P within [0, 4], T within [-1, 3] ('W' beyond the nodes).
    (LINEAR, 3.0, 1.0, "N"),
    (LINEAR, up(3.0), 1.0, "W"),
    (LINEAR, 4.0, 1.0, "W"),
    (LINEAR, up(4.0), 1.0, "E"),
    (LINEAR, 0.0, 1.0, "W"),
    (LINEAR, -0.0, 1.0, "W"),
    (LINEAR, -5e-324, 1.0, "E"),
    (LINEAR, 1.5, 2.0, "N"),
    (LINEAR, 1.5, up(2.0), "W"),
    (LINEAR, 1.5, 3.0, "W"),
    (LINEAR, 1.5, up(3.0), "E"),
    (LINEAR, 1.5, -1.0, "W"),
    (LINEAR, 1.5, down(-1.0), "E"),
    (LINEAR, 4.0, 3.0, "W"),                            # the worse of the two
    (LINEAR, up(4.0), 1.5, "E"),
    (LINEAR, 1.5, up(3.0), "E"),
    # The bound a double: -1e17 - (-1 - -1e17) = -1e17 - 1e17 = -2e17 (exactly -2e17 + 1, which P lies below).
    (WIDE, -2e17, 1.0, "W"),
    (WIDE, down(-2e17), 1.0, "E"),
    (WIDE, 3e17, 1.0, "W"),                             # 2e17 + 1e17
    (WIDE, up(3e17), 1.0, "E"),
    # m = 1: T's alone, within [-1, 5].
    (LINE, NAN, 5.0, "W"),
    (LINE, -1e300, up(5.0), "E"),
    (LINE, INF, -1.0, "W"),
    (LINE, 1.0, 2.0, "N"),
    (LINE, 1.0, NAN, "E"),
]


@pytest.mark.parametrize("table, P, T, PTERR", MARGINS)
def test_margins(table, P, T, PTERR):
    assert grid_findpt(P, T, *table)[3] == PTERR


def hex_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


INTERPOLATION = [
    # table, P, T -> LK, dLK_dT, dLK_dP (at the stencil and ISOERR findpt gives)
    # LINEAR at (1.5, 0.5): columns 1.5, 11.5, 21.5 (terms -0.375 + 1.5 + 0.375), then
    # 0.5625 + 8.625 - 2.6875 = 6.5; slopes 10 and 1 (basis -1, 1, 0 in both).
    (LINEAR, 1.5, 0.5, 6.5, 10.0, 1.0),
    (LINEAR, 2.0, 1.0, 12.0, 10.0, 1.0),                # a node gives its value
    # LINE (m = 1) at 0.5 over 0.5, 1, 2: 0.1875 + 0.75 - 0.25 = 0.6875; slope -0.5 + 1 + 0 = 0.5; dP 0.
    (LINE, NAN, 0.5, 0.6875, 0.5, 0.0),
    (LINE, 1.0, 4.0, NAN, NAN, 0.0),                    # values 2, 4, NaN: no complete stencil
    # Sums from +0: at p 2.5 (weights -, +, +) the pressure terms of columns t 0 and t 1 (cells +0, -0, -0)
    # are all -0, so sums begun with their first term would give columns -0, -0, +0, and at t 0.5
    # (weights +, +, -) temperature terms all -0: LK -0. Begun from +0, every sum is +0.
    (ZEROS, 2.5, 0.5, 0.0, 0.0, 0.0),
    # NaN and infinite points: the one NaN (inf - inf among the terms).
    (LINEAR, NAN, 0.5, NAN, NAN, NAN),
    (LINEAR, INF, 0.5, NAN, NAN, NAN),
    (LINEAR, 1.5, -INF, NAN, NAN, NAN),
    (HOLES, 1.0, 1.0, NAN, NAN, NAN),                   # no complete stencil
    # INFINITE at its own node: the inf term alone, the others 0 or -0: +inf.
    # Slopes -1.5, 2, -0.5 at both nodes 0: -1.5 * inf leads both sums.
    (INFINITE, 1.0, 0.0, INF, -INF, -INF),
    # At p = 2 the inf term is multiplied by 2 - 2 (and dLK_dT's basis by -0): NaN; dLK_dP -0.5 * inf first.
    (INFINITE, 2.0, 0.0, NAN, NAN, -INF),
]


@pytest.mark.parametrize("table, P, T, LK, dLK_dT, dLK_dP", INTERPOLATION)
def test_interpolation(table, P, T, LK, dLK_dT, dLK_dP):
    PIDX, TIDX, ISOERR, _ = grid_findpt(P, T, *table)
    got = (grid_intrpk(P, T, PIDX, TIDX, ISOERR, *table),) + grid_slopes(P, T, PIDX, TIDX, ISOERR, *table)
    assert [f"{hex_bits(x):016x}" for x in got] == [bits(x) for x in (LK, dLK_dT, dLK_dP)]


def test_every_nan_is_the_one_nan():
    # a NaN of each sign and with a payload among the values; inf - inf gives the processor's own NaN
    odd_nan = [from_bits("fff8000000000123"), from_bits("7ff4000000000456")]
    table = grid([1.0, 2.0, 3.0], [0.0, 1.0, 2.0], [odd_nan + [1.0]] + [[1.0] * 3] * 2)
    points = [(1.5, 0.5, table), (INF, 0.5, LINEAR), (1.5, INF, LINEAR), (NAN, NAN, LINE)]
    for P, T, t in points:
        PIDX, TIDX, ISOERR, _ = grid_findpt(P, T, *t)
        for x in (grid_intrpk(P, T, PIDX, TIDX, ISOERR, *t),) + grid_slopes(P, T, PIDX, TIDX, ISOERR, *t)[:1]:
            assert hex_bits(x) == 0x7FF8000000000000, (P, T)


def fixed_grid_rows(name):
    """The point rows of a fixed-grid table in cases.txt, the library's bits."""
    with open(f"{SOURCE}/tests/cases/cases.txt") as cases:
        return [line.split() for line in cases if line.startswith(f"point {name} ")]


def test_fixed_nodes_give_the_fixed_grids_bits():
    # odd.hex on the fixed grid's nodes as a grid table, on the fixed grid's own stencils: the
    # library's log K and slopes to the bit, NaN and infinite values among them.
    values = read_doubles("tests/cases/files/odd.hex")
    rows = fixed_grid_rows("odd")
    assert len(rows) > 1000
    for row in rows:
        P, T, PIDX, TIDX = from_bits(row[2]), from_bits(row[3]), int(row[4]), int(row[5])
        got = [grid_intrpk(P, T, PIDX, TIDX, row[6], PGRID, TGRID, values),
               *grid_slopes(P, T, PIDX, TIDX, row[6], PGRID, TGRID, values)]
        assert [bits(x) for x in got] == row[8:11], row[:6]


def test_fixed_nodes_give_the_numpy_models_bits():
    # On its own stencils, the grid model's log K is intrpk_numpy's over the same nodes.
    rng = np.random.default_rng(11)
    values = rng.normal(-3.0, 2.0, (37, 36))
    P = np.exp(rng.uniform(np.log(0.1), np.log(9000.0), 3000))
    T = rng.uniform(-60.0, 700.0, 3000)
    for p, t in zip(P, T):
        PIDX, TIDX, ISOERR, _ = grid_findpt(p, t, PGRID, TGRID, values)
        expected = intrpk_numpy(np.array([p]), np.array([t]), np.array([PIDX]), np.array([TIDX]), values)[0]
        assert bits(grid_intrpk(p, t, PIDX, TIDX, ISOERR, PGRID, TGRID, values)) == bits(expected), (p, t)


def test_case_files_hold_the_tables():
    tables = grid_tables()
    assert tables["calcite_illustrative"] == ([1.0], CALCITE_TEMPERATURES, CALCITE_ILLUSTRATIVE)
    pressures, temperatures, values = tables["vapour_side"]
    assert (pressures, temperatures) == (VAPOUR_PRESSURES, VAPOUR_TEMPERATURES)
    assert [bits(v) for v in values] == [bits(v) for row in VAPOUR_VALUES for v in row]
    assert tables["fixed_nodes"][:2] == (list(PGRID), list(TGRID))
    for name, table in tables.items():
        assert grid_check(*table) is None, name


def test_case_rows_reach_every_flag():
    rows = [row.split() for row in grid_case_rows()]
    assert [row[1] for row in rows if row[0] == "gridtable"] == [
        "calcite_illustrative", "vapour_side", "fixed_nodes", "uneven"]
    points = [row for row in rows if row[0] == "point"]
    for name in ("vapour_side", "uneven"):
        flags = {(row[6], row[7]) for row in points if row[1] == name}
        assert {f for f, _ in flags} == set("NWE") and {f for _, f in flags} == set("NWE"), name
    nan = bits(NAN)
    assert any(row[6] == "E" and row[8] == nan for row in points)   # no complete stencil
    assert any(row[6] == "E" and row[8] != nan for row in points)   # below the lower limit only
    assert any(row[1] == "fixed_nodes" and row[6] == "W" for row in points)
