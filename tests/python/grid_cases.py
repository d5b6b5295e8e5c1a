"""Rows of grid tables for logk's table of cases (tests/cases/cases.txt),
every output computed by the rules modelled in grid_model.py; no library
takes part. Two kinds of row, a double always the 16 hex digits of its bits
and every NaN an output takes 7ff8000000000000:

    gridtable NAME PRESSURES TEMPERATURES VALUES
        a grid table. Each of the three is a path from the top of the
        sources to a file of doubles, one a line as 16 hex digits of its
        bits: PRESSURES the m pressure nodes in bar, ascending;
        TEMPERATURES the n temperature nodes in degrees Celsius, ascending;
        VALUES the m x n values, a row per pressure node, p(1)'s n values
        first (the fixed grid's hextable order); a NaN value is missing.
    point NAME P T PIDX TIDX ISOERR PTERR LK DLK_DT DLK_DP
        the call at one point of the grid table NAME and every output, as
        the point rows of a single table.

Four tables: calcite_illustrative (log K along the saturation curve, m = 1,
illustrative values), vapour_side (100 to 2000 bar by 25 to 500 degC, no
value at 100 bar for 400 and 500 degC), fixed_nodes (the fixed grid's 37 x
36 nodes as a grid table, the values of odd.hex, with its NaN and
infinities) and uneven (random uneven nodes with NaN cells). Points: every
node, every half-way point between two nodes, the margins' bounds, each
with the doubles beside it, NaN, infinities and -0, against a sample of the
other coordinate, and random points within the margins.

    /usr/bin/python3 tests/python/grid_cases.py write   # writes the files
    /usr/bin/python3 tests/python/grid_cases.py         # prints the rows
"""
import math
import os
import struct
import sys

import numpy as np

from grid_model import grid_findpt, grid_intrpk, grid_slopes
from numpy_model import PGRID, TGRID

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FILES = "tests/cases/files"

HEADER = [
    "# gridtable NAME PRESSURES TEMPERATURES VALUES",
    "#                          a table on its own nodes: three files of doubles as hex bits, a line each,",
    "#                          the m pressures, the n temperatures, m x n values a row per pressure (NaN missing)",
]

CALCITE_TEMPERATURES = [0.01, 25.0, 60.0, 100.0, 150.0, 200.0, 250.0, 300.0]
CALCITE_ILLUSTRATIVE = [-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48]  # illustrative, not data
VAPOUR_PRESSURES = [100.0, 500.0, 1000.0, 2000.0]
VAPOUR_TEMPERATURES = [25.0, 100.0, 200.0, 300.0, 400.0, 500.0]
NAN = float("nan")
VAPOUR_VALUES = [  # illustrative; at 100 bar, 400 and 500 degC lie on the vapour side
    [-2.00, -1.80, -1.50, -1.30, NAN, NAN],
    [-2.10, -1.90, -1.60, -1.40, -1.20, -1.10],
    [-2.20, -2.00, -1.70, -1.50, -1.30, -1.20],
    [-2.30, -2.10, -1.80, -1.60, -1.40, -1.30],
]


def bits(x):
    x = float(x)
    return "7ff8000000000000" if x != x else f"{struct.unpack('<Q', struct.pack('<d', x))[0]:016x}"


def from_bits(hex_digits):
    return struct.unpack("<d", struct.pack("<Q", int(hex_digits, 16)))[0]


def paths(name):
    """The three files of a grid table, from the top of the sources."""
    values = f"{FILES}/odd.hex" if name == "fixed_nodes" else f"{FILES}/grid_{name}_values.hex"
    return f"{FILES}/grid_{name}_pressures.hex", f"{FILES}/grid_{name}_temperatures.hex", values


def read_doubles(path):
    with open(os.path.join(SOURCE, path)) as file:
        return [from_bits(line) for line in file.read().split()]


def uneven_table():
    """Random uneven nodes and values, with a vapour corner and a hole in the top row."""
    rng = np.random.default_rng(2718)
    pressures = np.cumsum(np.concatenate([[rng.uniform(0.5, 20.0)], rng.uniform(1.0, 600.0, 6)]))
    temperatures = np.cumsum(np.concatenate([[rng.uniform(0.01, 30.0)], rng.uniform(3.0, 90.0, 8)]))
    values = rng.normal(-5.0, 2.0, (7, 9))
    values[0, 6:] = values[1, 7:] = values[2, 8] = NAN
    values[6, 3] = NAN
    return list(pressures), list(temperatures), values


def write_grid_files():
    """Writes the nodes and values of the tables (odd.hex is make_cases.py's)."""
    tables = {
        "calcite_illustrative": ([1.0], CALCITE_TEMPERATURES, CALCITE_ILLUSTRATIVE),
        "vapour_side": (VAPOUR_PRESSURES, VAPOUR_TEMPERATURES, VAPOUR_VALUES),
        "fixed_nodes": (list(PGRID), list(TGRID), None),
        "uneven": uneven_table(),
    }
    for name, contents in tables.items():
        for path, doubles in zip(paths(name), contents):
            if doubles is not None:
                with open(os.path.join(SOURCE, path), "w") as file:
                    file.writelines(bits(x) + "\n" for x in np.ravel(doubles))


def grid_tables():
    """name -> (pressures, temperatures, values), read from the files."""
    names = ["calcite_illustrative", "vapour_side", "fixed_nodes", "uneven"]
    return {name: tuple(read_doubles(path) for path in paths(name)) for name in names}


def margins(nodes):
    """The bounds of the margin beyond the outermost nodes ([p(1), p(1)] for m = 1)."""
    if len(nodes) == 1:
        return nodes[0], nodes[0]
    return nodes[0] - (nodes[1] - nodes[0]), nodes[-1] + (nodes[-1] - nodes[-2])


def beside(x):
    return [math.nextafter(x, -math.inf), x, math.nextafter(x, math.inf)]


def axis_points(nodes):
    """Every node, every half-way point and the margins' bounds, with the
    doubles beside each; then NaN, the infinities and -0."""
    if len(nodes) == 1:
        return [nodes[0], 0.0, 1e300, -1e300, NAN, math.inf]  # the pressure takes no part
    marks = list(nodes) + [(a + b) / 2 for a, b in zip(nodes, nodes[1:])] + list(margins(nodes))
    return [y for x in marks for y in beside(x)] + [NAN, math.inf, -math.inf, -0.0]


def grid_points(pressures, temperatures, values, rng):
    """Each mark of one coordinate against two of the other, each value
    that is not finite with the doubles beside its node, random points."""
    pressure_marks, temperature_marks = axis_points(pressures), axis_points(temperatures)
    n = len(temperatures)
    points = [(p, t) for k, v in enumerate(values) if not math.isfinite(v)
              for p in beside(pressures[k // n]) for t in beside(temperatures[k % n])]
    points += [(p, t) for p in pressure_marks for t in rng.choice(temperature_marks, 2, replace=False)]
    points += [(p, t) for t in temperature_marks for p in rng.choice(pressure_marks, 2, replace=False)]
    (p_low, p_high), (t_low, t_high) = margins(pressures), margins(temperatures)
    points += [(rng.uniform(p_low, p_high), rng.uniform(t_low, t_high)) for _ in range(40)]
    return [(float(p), float(t)) for p, t in points]


def point_row(name, P, T, table):
    PIDX, TIDX, ISOERR, PTERR = grid_findpt(P, T, *table)
    LK = grid_intrpk(P, T, PIDX, TIDX, ISOERR, *table)
    dLK_dT, dLK_dP = grid_slopes(P, T, PIDX, TIDX, ISOERR, *table)
    return " ".join(["point", name, bits(P), bits(T), str(PIDX), str(TIDX), ISOERR, PTERR,
                     bits(LK), bits(dLK_dT), bits(dLK_dP)])


def grid_case_rows():
    """The gridtable rows, then the point rows of each table."""
    rng = np.random.default_rng(37)
    tables = grid_tables()
    rows = [" ".join(["gridtable", name, *paths(name)]) for name in tables]
    for name, table in tables.items():
        rows += [point_row(name, P, T, table) for P, T in grid_points(*table, rng)]
    return rows


if __name__ == "__main__":
    if sys.argv[1:] == ["write"]:
        write_grid_files()
    else:
        print("\n".join(HEADER + grid_case_rows()))
