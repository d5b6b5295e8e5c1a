#!/usr/bin/python3
"""Writes cases.txt, the table of cases every face of logk runs (C++, C,
Fortran, Python, R): inputs, the bits each face must give, indices, flags,
failures with their number, kind, line and column, the statuses of the
interpolation backwards, and the workers each face takes or refuses.

The stencils, flags and log K of the point rows come from the rules
written again in NumPy (tests/python/numpy_model.py, and for tables on
their own nodes tests/python/grid_model.py), apart from the library's
code, and the library (the built Python module) must agree with the
fixed grid's before a row is written (the faces' tests hold it to the
rest); the slopes and the answers of the
interpolation backwards are the library's, which the library's own tests
hold to their definitions. Run it with the built module on PYTHONPATH:

    PYTHONPATH=build/python tests/cases/make_cases.py > tests/cases/cases.txt
"""
import os
import struct
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "python"))

import logk  # noqa: E402
from numpy_model import PGRID, TGRID, findpt_numpy, intrpk_numpy  # noqa: E402
import grid_cases  # noqa: E402  (the rules of tables on their own nodes, modelled apart: grid_model.py)

ONE_NAN = 0x7FF8000000000000


def bits(x):
    """The 16 hex digits of a double's bits; any NaN as the one NaN."""
    x = float(x)
    if x != x:
        return f"{ONE_NAN:016x}"
    return f"{struct.unpack('<Q', struct.pack('<d', x))[0]:016x}"


def odd_values():
    """A made-up table with NaN of either sign and with a payload, and
    infinities of both signs, where the points' stencils reach them."""
    I, J = np.meshgrid(np.arange(1, 38), np.arange(1, 37), indexing="ij")
    values = -4.25 + 0.013 * J - 0.0021 * I + 1e-4 * ((I * 13 + J * 7) % 17)
    values[18, 12] = struct.unpack("<d", struct.pack("<Q", 0xFFF8000000000123))[0]
    values[7, 19] = struct.unpack("<d", struct.pack("<Q", 0x7FF4000000000456))[0]
    values[26, 30] = np.inf
    values[2, 6] = -np.inf
    return values


def points():
    """Every threshold of the rules and the doubles beside it, against a
    sample of the other coordinate, and values no file can hold."""
    def edges(values):
        out = []
        for x in values:
            out += [np.nextafter(x, -np.inf), x, np.nextafter(x, np.inf)]
        return out
    pressures = edges([0.0, 1.013, 5000.0, 6000.0] + list(PGRID)) + [-0.0, 1e-310, -9999.9, 1e6]
    temperatures = edges([0.01, 700.0] + list(TGRID)) + [-0.0, -9999.9, 1e6]
    P, T = [], []
    rng = np.random.default_rng(35)
    for p in pressures:
        for t in rng.choice(temperatures, 6, replace=False):
            P.append(p)
            T.append(t)
    for t in temperatures:
        for p in rng.choice(pressures, 3, replace=False):
            P.append(p)
            T.append(t)
    nan, inf = np.nan, np.inf
    for p in (nan, inf, -inf, 500.0):
        for t in (nan, inf, -inf, 300.0):
            P.append(p)
            T.append(t)
    for _ in range(200):
        P.append(float(np.exp(rng.uniform(np.log(0.5), np.log(6500.0)))))
        T.append(float(rng.uniform(-5.0, 720.0)))
    return np.array(P), np.array(T)


def model_rows(name, tables, P, T):
    """Point rows of a table or a set, the model's results held to the library's."""
    library = tables[0] if len(tables) == 1 else logk.TableSet.from_tables(tables)
    result = library.interpolate(P, T, derivatives=True)
    PIDX, TIDX, ISOERR, PTERR = findpt_numpy(P.copy(), T.copy())
    rows = []
    for i in range(P.size):
        got = (int(result.pidx[i]), int(result.tidx[i]), str(result.isoerr[i]), str(result.pterr[i]))
        expected = (int(PIDX[i]), int(TIDX[i]), str(ISOERR[i]), str(PTERR[i]))
        assert got == expected, (P[i], T[i], got, expected)
        fields = [name, bits(P[i]), bits(T[i]), *map(str, expected)]
        for r, table in enumerate(tables):
            lk = intrpk_numpy(P[i:i + 1], T[i:i + 1], PIDX[i:i + 1], TIDX[i:i + 1], table.values)[0]
            at = (lambda column: column[i] if len(tables) == 1 else column[i, r])
            assert bits(at(result.lk)) == bits(lk), (P[i], T[i], r)
            fields += [bits(lk), bits(at(result.dlk_dT)), bits(at(result.dlk_dP))]
        rows.append(" ".join(fields))
    return rows


def inverse_rows(name, table):
    """Questions of the interpolation backwards: values the line takes, beyond
    it, at a node, in a jump, over ranges of one double and the wrong way round."""
    rng = np.random.default_rng(36)
    rows = []
    for k in range(60):
        P = float(np.exp(rng.uniform(0.0, np.log(5000.0))))
        T = float(rng.uniform(0.01, 600.0))
        for kind, fixed, y, low, high in (
                ("temperature_at", P, table.logk(P, float(rng.uniform(0.01, 600.0))), 0.01, 600.0),
                ("pressure_at", T, table.logk(float(np.exp(rng.uniform(0.0, np.log(5000.0)))), T), 1.0, 5000.0),
                ("temperature_at", P, -4.0 + 4.0 * rng.uniform(), 0.01, 600.0)):
            search = table.temperature_at if kind == "temperature_at" else table.pressure_at
            at, how = search(fixed, y, (low, high))
            rows.append(" ".join([kind, name, bits(fixed), bits(y), bits(low), bits(high), bits(at), str(how)]))
    node = table.logk(100.0, 200.0)
    for kind, fixed, y, low, high in (("temperature_at", 100.0, node, 0.01, 600.0),
                                      ("temperature_at", 100.0, 10.0, 0.01, 600.0),
                                      ("temperature_at", 100.0, node, 200.0, 200.0),
                                      ("temperature_at", 100.0, node, 300.0, 200.0),
                                      ("temperature_at", np.nan, node, 0.01, 600.0),
                                      ("pressure_at", 300.0, table.logk(5000.0, 300.0), 5000.0, 5000.0)):
        search = table.temperature_at if kind == "temperature_at" else table.pressure_at
        at, how = search(fixed, y, (low, high))
        rows.append(" ".join([kind, name, bits(fixed), bits(y), bits(low), bits(high), bits(at), str(how)]))
    return rows


def grid_inverse_rows():
    """Questions of the interpolation backwards on the tables of their own
    nodes: values the line takes and any values, between the table's first
    and last nodes (along temperature alone on a table along one line)."""
    rng = np.random.default_rng(37)
    rows = []
    for name, (pressures, temperatures, values) in grid_cases.grid_tables().items():
        table = logk.Table.from_grid(np.reshape(values, (len(pressures), len(temperatures))), pressures, temperatures)
        p_low, p_high = (1.0, 1.0) if len(pressures) == 1 else (pressures[0], pressures[-1])
        t_low, t_high = temperatures[0], temperatures[-1]
        for k in range(30):
            P, T = float(rng.uniform(p_low, p_high)), float(rng.uniform(t_low, t_high))
            questions = [("temperature_at", P, table.logk(P, float(rng.uniform(t_low, t_high))), t_low, t_high),
                         ("temperature_at", P, float(rng.uniform(-12.0, 2.0)), t_low, t_high)]
            if len(pressures) > 1:
                questions.append(("pressure_at", T, table.logk(float(rng.uniform(p_low, p_high)), T), p_low, p_high))
            for kind, fixed, y, low, high in questions:
                if y != y:
                    continue
                search = table.temperature_at if kind == "temperature_at" else table.pressure_at
                at, how = search(fixed, y, (low, high))
                rows.append(" ".join([kind, name, bits(fixed), bits(y), bits(low), bits(high), bits(at), str(how)]))
    return rows


def main():
    np.seterr(all="ignore")  # NaN and infinities are among the cases
    out = []
    say = out.append
    say("# logk's table of cases, run by the tests of every face (C++, C, Fortran, Python, R), so that")
    say("# none can drift from the others. Written by tests/cases/make_cases.py; do not edit by hand.")
    say("# A double is the 16 hex digits of its bits; every NaN a call gives is 7ff8000000000000.")
    say("#")
    say("# table NAME PATH          a table file of the sources, by its path from the top")
    say("# hextable NAME PATH       a table from 1332 values in file order, a line each, as hex bits")
    say("# set NAME TABLE...        a set of the named tables, in this order")
    say("# point NAME P T PIDX TIDX ISOERR PTERR (LK DLK_DT DLK_DP) x tables")
    say("#                          the batch call at one point, every output; a set gives its tables' in order")
    say("# temperature_at NAME P LK LOW HIGH T HOW")
    say("# pressure_at NAME T LK LOW HIGH P HOW")
    say("#                          the interpolation backwards: answer and how (C, J, R or N)")
    say("# fails PATH NUMBER KIND LINE COLUMN")
    say("#                          loading PATH as a table fails with this message number, kind")
    say("#                          (not_found, permission, notation, other), line and column")
    say("# notes PATH PAST_ROW_LINE PAST_ROW_VALUES NULL_LINE AFTER_TABLE_LINE")
    say("#                          PATH loads, and its reading passed over these lines (0: none)")
    say("# workers W accepted|refused")
    say("#                          a batch call on W workers runs, or is refused before it computes")
    out += grid_cases.HEADER
    say("")
    quartz = logk.Table.load(os.path.join(SOURCE, "examples", "quartz.dat"))
    kw = logk.Table.load(os.path.join(SOURCE, "examples", "kw.dat"))
    odd = logk.Table.from_values(odd_values())
    with open(os.path.join(HERE, "files", "odd.hex"), "w") as hexfile:
        for v in odd_values().ravel():
            hexfile.write(f"{struct.unpack('<Q', struct.pack('<d', v))[0]:016x}\n")
    say("table quartz examples/quartz.dat")
    say("table kw examples/kw.dat")
    say("hextable odd tests/cases/files/odd.hex")
    say("set reactions quartz kw odd")
    P, T = points()
    out += ["point " + row for row in model_rows("quartz", [quartz], P, T)]
    out += ["point " + row for row in model_rows("odd", [odd], P, T)]
    out += ["point " + row for row in model_rows("reactions", [quartz, kw, odd], P[::7], T[::7])]
    out += grid_cases.grid_case_rows()
    out += grid_inverse_rows()
    out += inverse_rows("quartz", quartz)
    out += inverse_rows("kw", kw)
    say("fails tests/cases/files/missing.dat 29 not_found 0 0")
    say("fails tests/cases/files/syntax.dat 59 notation 1 5")
    say("fails tests/cases/files/open_quote.dat 24 notation 2 0")
    say("fails tests/cases/files/conversion.dat 64 notation 1 5")
    say("fails tests/cases/files/odd.hex 59 notation 1 17")  # read as a file naming its nodes, by its first word
    say("notes examples/quartz.dat 0 0 0 0")
    say("notes tests/cases/files/header_on_top.dat 0 0 0 38")
    say("notes tests/cases/files/null_value.dat 0 0 5 0")
    say("notes tests/cases/files/pressure_first.dat 1 37 0 0")
    for workers, verdict in ((1, "accepted"), (2, "accepted"), (0, "accepted"), (-1, "accepted"),
                             (2147483647, "accepted"), (-2147483647, "refused"), (-2147483648, "refused")):
        say(f"workers {workers} {verdict}")
    print("\n".join(out))


if __name__ == "__main__":
    main()
