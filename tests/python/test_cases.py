"""The table of cases every face runs (tests/cases/cases.txt), on the
Python face: each row through the module as a Python user calls it, one
point at a time and all of a table's points in one array call, every
double compared by its bits."""
import collections
import os
import re
import struct
import warnings

import numpy as np
import pytest

import logk
from conftest import SOURCE, c_library


def case_rows():
    """(line, kind, fields) of every row of the file but comments and blank lines."""
    with open(os.path.join(SOURCE, "tests", "cases", "cases.txt")) as file:
        lines = [(number, text.split()) for number, text in enumerate(file, 1)]
    return [(number, words[0], words[1:]) for number, words in lines if words and not words[0].startswith("#")]


ROWS = case_rows()


def rows(kind):
    return [(line, fields) for line, row_kind, fields in ROWS if row_kind == kind]


def from_bits(digits):
    return struct.unpack("<d", struct.pack("<Q", int(digits, 16)))[0]


def hex_file(path):
    """The doubles of a file of hex bits, a line each, as a float64 array."""
    with open(source(path)) as file:
        return np.array([from_bits(word) for word in file.read().split()])


def bits(x):
    return f"{struct.unpack('<Q', struct.pack('<d', float(x)))[0]:016x}"


def source(path):
    return os.path.join(SOURCE, path)


# Run with LOGK_CPU set (CTest runs the cases under each build), the module
# uses that build, or says why not: this processor cannot run it.
def test_the_build_asked_for():
    asked = os.environ.get("LOGK_CPU")
    if not asked:
        pytest.skip(f"LOGK_CPU is not set; the library uses {logk.build()}")
    if logk.build() != asked:
        pytest.skip(f"skipped: {c_library().logk_build_note().decode()}")


def test_every_kind_of_row_is_run():
    kinds = collections.Counter(kind for _, kind, _ in ROWS)
    assert set(kinds) == {"table", "hextable", "gridtable", "set", "point", "temperature_at", "pressure_at", "fails",
                          "notes", "workers"}, kinds
    assert kinds["point"] > 100


@pytest.fixture(scope="module")
def made():
    """The file's tables and sets by name, made as a Python user makes them."""
    tables = {}
    for _, (name, path) in rows("table"):
        tables[name] = logk.Table.load(source(path))
    for _, (name, path) in rows("hextable"):
        tables[name] = logk.Table.from_values(hex_file(path).reshape(37, 36))
    for _, (name, *paths) in rows("gridtable"):
        pressures, temperatures, values = map(hex_file, paths)
        tables[name] = logk.Table.from_grid(values.reshape(pressures.size, temperatures.size), pressures,
                                            temperatures)
    for _, (name, *members) in rows("set"):
        tables[name] = logk.TableSet.from_tables([tables[member] for member in members], names=members)
    return tables


def point_words(result, i=()):
    """A point row's outputs, as the file writes them, from a Result (point
    i of its arrays, or its scalars): the stencil, the flags, then log K and
    the slopes of each table."""
    at = {name: np.asarray(getattr(result, name))[i] for name in ("pidx", "tidx", "isoerr", "pterr", "lk", "dlk_dT",
                                                                  "dlk_dP")}
    words = [str(int(at["pidx"])), str(int(at["tidx"])), str(at["isoerr"]), str(at["pterr"])]
    columns = [np.atleast_1d(at[name]) for name in ("lk", "dlk_dT", "dlk_dP")]
    for lk, dT, dP in zip(*columns):
        words += [bits(lk), bits(dT), bits(dP)]
    return words


def test_points(made):
    by_name = collections.defaultdict(list)
    for line, (name, P, T, *expected) in rows("point"):
        by_name[name].append((line, from_bits(P), from_bits(T), expected))
        one = made[name].interpolate(from_bits(P), from_bits(T), derivatives=True)
        assert point_words(one) == expected, f"cases.txt line {line}"
    for name, points in by_name.items():  # and all of a table's points in one call, on every core
        P, T = np.array([p[1] for p in points]), np.array([p[2] for p in points])
        result = made[name].interpolate(P, T, derivatives=True, workers=-1)
        for i, (line, _, _, expected) in enumerate(points):
            assert point_words(result, i) == expected, f"cases.txt line {line}, in an array"


def test_interpolation_backwards(made):
    by_search = collections.defaultdict(list)
    for kind in ("temperature_at", "pressure_at"):
        for line, (name, fixed, lk, low, high, at, how) in rows(kind):
            between = (from_bits(low), from_bits(high))
            search = getattr(made[name], kind)
            found = search(from_bits(fixed), from_bits(lk), between)
            assert (bits(found.at), str(found.how)) == (at, how), f"cases.txt line {line}"
            by_search[kind, name, between].append((line, from_bits(fixed), from_bits(lk), at, how))
    for (kind, name, between), points in by_search.items():  # and in one call, on every core
        fixed, lk = np.array([p[1] for p in points]), np.array([p[2] for p in points])
        found = getattr(made[name], kind)(fixed, lk, between, workers=-1)
        for i, (line, _, _, at, how) in enumerate(points):
            assert (bits(found.at[i]), str(found.how[i])) == (at, how), f"cases.txt line {line}, in an array"


KINDS = {"not_found": logk.FileNotFound, "permission": logk.PermissionDenied, "notation": logk.NotationError,
         "other": logk.FileError}


def test_failures(made):
    for line, (path, number, kind, at_line, at_column) in rows("fails"):
        for load in (logk.Table.load, lambda path: logk.TableSet.load([source("examples/quartz.dat"), path])):
            with pytest.raises(logk.Error) as raised:
                load(source(path))
            error = raised.value
            assert type(error) is KINDS[kind], f"cases.txt line {line}"
            assert (error.number, error.line, error.column, error.path) == (
                int(number), int(at_line), int(at_column), source(path)), f"cases.txt line {line}"


def test_notes_are_warned_of():
    for line, (path, past_row_line, past_row_values, null_line, after_table_line) in rows("notes"):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            logk.Table.load(source(path))
        said = [str(w.message) for w in caught if w.category is logk.IgnoredValuesWarning]
        expected = [f"{source(path)}, line {at}: " for at in (past_row_line, null_line, after_table_line) if at != "0"]
        assert [text[:len(start)] for text, start in zip(said, expected)] == expected and len(said) == len(expected), (
            f"cases.txt line {line}", said)
        if past_row_line != "0":
            assert f"the line holds {past_row_values} values" in said[0], said


def test_workers(made):
    table = made["quartz"]
    P, T = np.linspace(1.0, 5000.0, 20000), np.linspace(0.01, 600.0, 20000)  # enough for threads
    one = table.logk(P, T)
    cores = len(os.sched_getaffinity(0))
    calls = {  # each call that takes workers, with a number of them
        "logk": lambda workers: table.logk(P, T, workers=workers),
        "logk of a scalar": lambda workers: table.logk(500.0, 300.0, workers=workers),
        "interpolate of a scalar": lambda workers: table.interpolate(500.0, 300.0, workers=workers),
        "temperature_at": lambda workers: table.temperature_at(P[:200], one[:200], workers=workers),
        "a set's interpolate": lambda workers: made["reactions"].interpolate(P, T, workers=workers),
    }
    for line, (workers, taken) in rows("workers"):
        for name, call in calls.items():
            if taken == "accepted":
                call(int(workers))
            else:
                refusal = f"workers={workers} leaves no thread: this process may run on {cores} core"
                with pytest.raises(ValueError, match=re.escape(refusal)):
                    call(int(workers))
        if taken == "accepted":
            assert np.array_equal(table.logk(P, T, workers=int(workers)).view(np.uint64), one.view(np.uint64))
