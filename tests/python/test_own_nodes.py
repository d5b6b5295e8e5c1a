"""Tables on nodes of their own as a Python user makes them: Table.from_grid
and its refusals in the library's words, the conversions of its inputs,
the nodes, values, equality and pickling, sets, files that name their
nodes, and DataArrays of log K."""
import ctypes
import os
import pickle
import shutil
import struct

import numpy as np
import pytest

import logk
from conftest import SOURCE, c_library, made_up_values

EXAMPLES = os.path.join(SOURCE, "examples")
NAN, INF = np.nan, np.inf

# examples/vapour_side.dat and examples/calcite.dat, as their text writes them.
VAPOUR_P = [100.0, 500.0, 1000.0, 2000.0]
VAPOUR_T = [25.0, 100.0, 200.0, 300.0, 400.0, 500.0]
VAPOUR = [[-2.00, -1.80, -1.50, -1.30, NAN, NAN],
          [-2.10, -1.90, -1.60, -1.40, -1.20, -1.10],
          [-2.20, -2.00, -1.70, -1.50, -1.30, -1.20],
          [-2.30, -2.10, -1.80, -1.60, -1.40, -1.30]]
CALCITE_T = [0.01, 25.0, 60.0, 100.0, 150.0, 200.0, 250.0, 300.0]
CALCITE = [[-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48]]


def from_bits(bits):
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def same_bits(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return a.shape == b.shape and a.dtype == b.dtype and a.tobytes() == b.tobytes()


class CError(ctypes.Structure):
    _fields_ = [("number", ctypes.c_int), ("text", ctypes.c_char * 1024)]


class CPlace(ctypes.Structure):
    _fields_ = [("line", ctypes.c_longlong), ("column", ctypes.c_longlong)]


def doubles(values):
    array = np.ascontiguousarray(np.ma.filled(np.ma.asarray(values, dtype=np.float64), np.nan), dtype=np.float64)
    return array, array.ctypes.data_as(ctypes.POINTER(ctypes.c_double))


def library_table(library, values, pressures=None, temperatures=None):
    """A table of the C library itself (a pointer), on the fixed grid where
    no nodes are given, and what it says where it makes none."""
    library.logk_table_from_grid.restype = library.logk_table_from_values.restype = ctypes.c_void_p
    error = CError()
    V, v = doubles(values)  # V, P and T hold the memory the pointers point to until the call is done
    if pressures is None:
        return library.logk_table_from_values(v, ctypes.byref(error)), error.text.decode()
    (P, p), (T, t) = doubles(pressures), doubles(temperatures)
    made = library.logk_table_from_grid(ctypes.c_size_t(P.size), p, ctypes.c_size_t(T.size), t, v,
                                        ctypes.byref(error))
    return made, error.text.decode()


def library_refusal(values, pressures, temperatures):
    """What logk_table_from_grid, called apart from the module, says of these
    nodes and values ("" where it makes the table)."""
    library = c_library()
    made, said = library_table(library, values, pressures, temperatures)
    library.logk_table_free(ctypes.c_void_p(made))
    return "" if made else said


def library_set_refusal(tables):
    """What logk_table_set_from_tables says of tables, each (values,) on the
    fixed grid or (values, pressures, temperatures) ("" where it makes the set)."""
    library = c_library()
    made = [library_table(library, *table)[0] for table in tables]
    handles = (ctypes.c_void_p * len(made))(*made)
    error = CError()
    library.logk_table_set_from_tables.restype = ctypes.c_void_p
    made_set = library.logk_table_set_from_tables(handles, ctypes.c_size_t(len(made)), ctypes.byref(error))
    library.logk_table_set_free(ctypes.c_void_p(made_set))
    for table in made:
        library.logk_table_free(ctypes.c_void_p(table))
    return "" if made_set else error.text.decode()


def library_failure_line(path):
    """The library's one line for a file it cannot read, read apart from the
    module: (number, line, column, the line)."""
    library = c_library()
    error, place = CError(), CPlace()
    library.logk_table_load_at.restype = ctypes.c_void_p
    assert not library.logk_table_load_at(os.fsencode(path), ctypes.byref(error), ctypes.byref(place))
    said = ctypes.create_string_buffer(4096)
    library.logk_failure_line(ctypes.byref(error), ctypes.byref(place), os.fsencode(path), 11, said,
                              ctypes.c_size_t(4096))
    return error.number, place.line, place.column, said.value.decode()


@pytest.fixture
def vapour():
    return logk.Table.from_grid(VAPOUR, VAPOUR_P, VAPOUR_T)


@pytest.fixture
def calcite():
    return logk.Table.from_grid(CALCITE, [NAN], CALCITE_T)


GRID = (np.zeros((3, 3)), [1.0, 2.0, 3.0], [0.0, 1.0, 2.0])

REFUSED = [
    # values, pressures, temperatures -> a part of the library's words
    (np.zeros((2, 3)), [1.0, 2.0], [0.0, 1.0, 2.0], "or three or more, not 2"),
    (np.zeros((0, 3)), [], [0.0, 1.0, 2.0], "or three or more, not 0"),
    (np.zeros((3, 2)), [1.0, 2.0, 3.0], [0.0, 1.0], "three temperature nodes or more, not 2"),
    (GRID[0], [1.0, 3.0, 2.0], GRID[2], "the pressure nodes do not ascend: 2 after 3"),
    (GRID[0], GRID[1], [0.0, 1.0, 1.0], "the temperature nodes do not ascend: 1 after 1"),
    (GRID[0], [1.0, NAN, 3.0], GRID[2], "the pressure node 2 is nan"),
    (GRID[0], GRID[1], [0.0, 1.0, INF], "the temperature node 3 is inf"),
    (GRID[0], np.ma.masked_array([1.0, 2.0, 3.0], mask=[0, 1, 0]), GRID[2], "the pressure node 2 is nan"),
    (np.zeros((1, 3)), [INF], GRID[2], "the pressure node 1 is inf"),  # only NaN stands for the saturation line
    (np.zeros((1, 3)), [1.0], [NAN, 1.0, 2.0], "the temperature node 1 is nan"),
]


@pytest.mark.parametrize("values, pressures, temperatures, says", REFUSED)
def test_from_grid_refuses_in_the_librarys_words(values, pressures, temperatures, says):
    with pytest.raises(ValueError) as raised:
        logk.Table.from_grid(values, pressures, temperatures)
    assert str(raised.value) == library_refusal(values, pressures, temperatures)
    assert str(raised.value).startswith("logk_table_from_grid: ") and says in str(raised.value)


@pytest.mark.parametrize("values, pressures, temperatures, error, says", [
    # the array's shape against its nodes, before the library counts the values
    (np.zeros((4, 3)), [1.0, 2.0, 3.0], [0.0, 1.0, 2.0, 3.0], ValueError,
     r"values of shape \(4, 3\) for 3 pressures by 4 temperatures: .* shape \(3, 4\), a row per pressure node"),
    (np.zeros(9), *GRID[1:], ValueError, r"values of shape \(9,\) for 3 pressures by 3 temperatures"),
    (np.zeros((1, 3)), 1.0, GRID[2], ValueError, r"pressures must be one-dimensional, a node a value, not of shape"),
    (GRID[0], GRID[1], [GRID[2]], ValueError, r"temperatures must be one-dimensional"),
    # dtypes, as points are refused
    (GRID[0].astype(bool), *GRID[1:], TypeError, "values must hold integers or floats, not bool values"),
    (GRID[0] + 1j, *GRID[1:], TypeError, "values must hold integers or floats, not complex128 values"),
    (GRID[0].astype(str), *GRID[1:], TypeError, "values must hold integers or floats, not <U32 values"),
    ([[1.0, None, 2.0]] * 3, *GRID[1:], TypeError, "not object values"),
    (GRID[0], ["1", "2", "3"], GRID[2], TypeError, "pressures must hold integers or floats, not <U1 values"),
    (GRID[0], GRID[1], [True, False, True], TypeError, "temperatures must hold integers or floats, not bool"),
    (GRID[0], np.array([1, 2, 3], dtype="datetime64[D]"), GRID[2], TypeError, "not datetime64"),
])
def test_from_grid_refuses_what_is_no_table(values, pressures, temperatures, error, says):
    with pytest.raises(error, match=says):
        logk.Table.from_grid(values, pressures, temperatures)


# Integers and floats of any width and byte order, lists, strided and
# Fortran-ordered arrays make the table float64 arrays make; a masked value
# is a missing one, whatever lies under the mask; NaN (any of them) and
# infinite values are kept to the bit.
def test_from_grid_converts_as_points_are_converted(vapour):
    values = np.array(VAPOUR)
    same = [
        logk.Table.from_grid(values.tolist(), tuple(VAPOUR_P), np.array(VAPOUR_T, dtype=">f8")),
        logk.Table.from_grid(np.asfortranarray(values), np.array(VAPOUR_P, dtype=np.uint16),
                             np.array(VAPOUR_T, dtype=np.float32)),
        logk.Table.from_grid(np.repeat(values, 2, axis=1)[:, ::2], np.array(VAPOUR_P, dtype=np.int64), VAPOUR_T),
        logk.Table.from_grid(np.ma.masked_array(np.nan_to_num(values, nan=1e300), mask=np.isnan(values)), VAPOUR_P,
                             VAPOUR_T),
    ]
    for made in same:
        assert made == vapour and same_bits(made.values, vapour.values)
    assert logk.Table.from_grid(np.arange(9, dtype=np.int8).reshape(3, 3), *GRID[1:]).values[2, 1] == 7.0
    odd = [from_bits(0xFFF8000000000123), from_bits(0x7FF4000000000456), INF, -INF, -0.0, 5e-324]
    kept = logk.Table.from_grid([odd[:3], odd[3:], [1.0, 2.0, 3.0]], *GRID[1:])
    assert same_bits(kept.values[:2].ravel(), np.array(odd))


def test_nodes_values_and_repr(vapour, calcite):
    fixed = logk.Table.from_values(made_up_values())
    assert same_bits(fixed.pressures, logk.PGRID) and same_bits(fixed.temperatures, logk.TGRID)
    assert fixed.values.shape == (37, 36) and repr(fixed) == "<logk.Table 37 x 36>"
    assert same_bits(vapour.pressures, np.array(VAPOUR_P)) and same_bits(vapour.temperatures, np.array(VAPOUR_T))
    assert same_bits(vapour.values, np.array(VAPOUR)) and repr(vapour) == "<logk.Table 4 x 6 on its own nodes>"
    assert np.isnan(calcite.pressures).all() and calcite.values.shape == (1, 8)
    assert repr(calcite) == "<logk.Table 1 x 8 along one line>"
    for table in (fixed, vapour, calcite):
        for array in (table.pressures, table.temperatures, table.values):
            assert array.dtype == np.float64 and not array.flags.writeable
        with pytest.raises(AttributeError):
            table.pressures = np.zeros(3)
    # On the fixed grid's very nodes a table of its own keeps its own rules
    # (its lower limits are where its values start): it is another table.
    own = logk.Table.from_grid(made_up_values(), logk.PGRID, logk.TGRID)
    assert own != fixed and repr(own) == "<logk.Table 37 x 36 on its own nodes>"
    assert (fixed.interpolate(1.0, 300.0).isoerr, own.interpolate(1.0, 300.0).isoerr) == ("E", "N")


def test_equality_and_hashing_keep_the_nodes(vapour):
    again = logk.Table.from_grid(VAPOUR, VAPOUR_P, VAPOUR_T)
    assert again == vapour and hash(again) == hash(vapour) and len({again, vapour}) == 1
    moved = list(VAPOUR_P)
    moved[2] = np.nextafter(moved[2], INF)
    changed = np.array(VAPOUR)
    changed[3, 0] = np.nextafter(changed[3, 0], INF)
    for other in (logk.Table.from_grid(VAPOUR, moved, VAPOUR_T), logk.Table.from_grid(changed, VAPOUR_P, VAPOUR_T),
                  logk.Table.from_grid(VAPOUR[:1], [100.0], VAPOUR_T)):
        assert other != vapour


# Pickles remake each kind of table, on nodes of its own with from_grid (a
# table along the saturation line, whose one pressure node is NaN, too),
# and give the same bits; sets pickle with their names and nodes.
def test_pickling_keeps_the_nodes(vapour, calcite):
    line_at = logk.Table.from_grid(CALCITE, [500.0], CALCITE_T)
    fixed = logk.Table.from_values(made_up_values())
    P, T = np.array([50.0, 300.0, 750.0, 1e4, NAN]), np.array([20.0, 150.0, 450.0, 300.0, 100.0])
    for table in (vapour, calcite, line_at, fixed, logk.Table.from_grid(made_up_values(), logk.PGRID, logk.TGRID)):
        again = pickle.loads(pickle.dumps(table))
        assert again == table and repr(again) == repr(table) and same_bits(again.pressures, table.pressures)
        got, expected = again.interpolate(P, T, derivatives=True), table.interpolate(P, T, derivatives=True)
        for name in ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP"):
            assert same_bits(getattr(got, name), getattr(expected, name)), (table, name)
    assert vapour.__reduce__()[0] == logk.Table.from_grid and fixed.__reduce__()[0] == logk.Table.from_values
    reactions = logk.TableSet.from_tables([vapour, logk.Table.from_grid(np.array(VAPOUR) * 2, VAPOUR_P, VAPOUR_T)],
                                          names=["a", "b"])
    again = pickle.loads(pickle.dumps(reactions))
    assert again == reactions and again.names == ("a", "b") and same_bits(again.values, reactions.values)
    assert same_bits(again.logk(P, T), reactions.logk(P, T)) and again["a"] == vapour


def test_sets_of_tables_on_their_own_nodes(vapour):
    other = logk.Table.from_grid(np.array(VAPOUR) - 1.0, VAPOUR_P, VAPOUR_T)
    reactions = logk.TableSet.from_tables([vapour, other], names=["vapour", "other"])
    assert reactions.values.shape == (2, 4, 6) and not reactions.values.flags.writeable
    assert repr(reactions) == "<logk.TableSet of 2, 4 x 6 on their own nodes: vapour, other>"
    assert reactions["other"] == other and same_bits(reactions[0].pressures, vapour.pressures)
    P, T = np.array([100.0, 120.0, 700.0, 2500.0]), np.array([450.0, 250.0, 390.0, 25.0])
    result = reactions.interpolate(P, T, derivatives=True)
    for r, table in enumerate((vapour, other)):
        alone = table.interpolate(P, T, derivatives=True)
        assert same_bits(np.ascontiguousarray(result.lk[:, r]), alone.lk) and same_bits(result.isoerr, alone.isoerr)
    assert set(result.isoerr) == {"N", "W", "E"}
    # from_values stays on the fixed grid
    fixed = logk.TableSet.from_values(np.stack([made_up_values()] * 2))
    assert fixed[0] == logk.Table.from_values(made_up_values()) and repr(fixed) == "<logk.TableSet of 2: 0, 1>"


def test_sets_refused_in_the_librarys_words(vapour):
    moved = list(VAPOUR_P)
    moved[0] = np.nextafter(moved[0], -INF)
    other_missing = np.array(VAPOUR)
    other_missing[0, 4] = -1.0
    infinite = np.array(VAPOUR)
    infinite[0, 0] = INF  # an infinite value is a value, missing none
    logk.TableSet.from_tables([vapour, logk.Table.from_grid(infinite, VAPOUR_P, VAPOUR_T)])
    for tables, says in [
        ([(made_up_values(),), (VAPOUR, VAPOUR_P, VAPOUR_T)], "table 1 lies on other nodes than table 0"),
        ([(made_up_values(),), (made_up_values(), logk.PGRID, logk.TGRID)], "table 1 lies on other nodes"),
        ([(VAPOUR, VAPOUR_P, VAPOUR_T), (VAPOUR, moved, VAPOUR_T)], "table 1 lies on other nodes"),
        ([(VAPOUR, VAPOUR_P, VAPOUR_T)] * 2 + [(other_missing, VAPOUR_P, VAPOUR_T)],
         "table 2 misses other values than table 0"),
    ]:
        made = [logk.Table.from_values(*t) if len(t) == 1 else logk.Table.from_grid(*t) for t in tables]
        with pytest.raises(ValueError) as raised:
            logk.TableSet.from_tables(made)
        assert str(raised.value) == library_set_refusal(tables) and says in str(raised.value)
    with pytest.raises(ValueError, match="table 1 lies on other nodes"):
        logk.TableSet.load([os.path.join(EXAMPLES, "vapour_side.dat"), os.path.join(EXAMPLES, "calcite.dat")])


# Many points on every core give the bits of one thread, for a table on its
# own nodes and a set of two (calls of fewer values keep to one thread).
def test_workers_give_the_bits_of_one(vapour):
    reactions = logk.TableSet.from_tables([vapour, logk.Table.from_grid(np.array(VAPOUR) / 3, VAPOUR_P, VAPOUR_T)])
    random = np.random.default_rng(31)
    P, T = random.uniform(-900.0, 3000.0, 40001), random.uniform(-60.0, 620.0, 40001)
    for tables in (vapour, reactions):
        one = tables.interpolate(P, T, derivatives=True)
        for workers in (-1, 3):
            got = tables.interpolate(P, T, derivatives=True, workers=workers)
            for name in ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP"):
                assert same_bits(getattr(got, name), getattr(one, name)), (workers, name)
        assert same_bits(tables.logk(P, T, workers=-1), one.lk)


def test_files_that_name_their_nodes(tmp_path, vapour, calcite, recwarn):
    assert logk.Table.load(os.path.join(EXAMPLES, "vapour_side.dat")) == vapour
    assert logk.Table.load(os.path.join(EXAMPLES, "calcite.dat")) == calcite
    copy = tmp_path / "copy.dat"
    shutil.copy(os.path.join(EXAMPLES, "vapour_side.dat"), copy)
    reactions = logk.TableSet.load([os.path.join(EXAMPLES, "vapour_side.dat"), copy])
    assert reactions.names == ("vapour_side", "copy") and reactions["copy"] == vapour
    assert not [w for w in recwarn if w.category is logk.IgnoredValuesWarning]


# A file that names its nodes and is no table is a NotationError at its
# line and column, and str(e) is the library's line for it.
@pytest.mark.parametrize("text, number, line, column", [
    ("P\\T 25 100\n1 2 3\n", 59, 1, 11),                       # two temperature nodes
    ("P\\T 25 200 100\n1 2 3 4\n2 5 6 7\n3 8 9 1\n", 64, 1, 12),  # 100 after 200
    ("P\\T 25 100 200\n1 2 3\n", 59, 2, 6),                    # two values of three
    ("P\\T 25 100 200\n1 2 3 4\n2 5 6 7\n", 24, 3, 0),         # two data rows
    ("P\\T, 25, 100, 200\nsat, 1, 2, 3\n2, 1, 2, 3\n", 59, 3, 1),  # a row after sat
])
def test_a_grid_file_refused(tmp_path, text, number, line, column):
    path = tmp_path / "grid.dat"
    path.write_text(text)
    with pytest.raises(logk.NotationError) as raised:
        logk.Table.load(path)
    error = raised.value
    assert isinstance(error, ValueError) and (error.number, error.line, error.column) == (number, line, column)
    assert library_failure_line(path) == (number, line, column, str(error))
    assert str(error).startswith(f"{path}, line {line}") and str(error).endswith(f"(message {number})")


@pytest.fixture
def xr():
    return pytest.importorskip("xarray", reason="python3-xarray is not installed")


def data_array(values=VAPOUR, pressures=VAPOUR_P, temperatures=VAPOUR_T, dims=("pressure", "temperature"),
               units=("bar", "degC")):
    import xarray
    coords = {dim: (dim, nodes, {"units": unit} if unit else {})
              for dim, nodes, unit in zip(dims, (pressures, temperatures), units)}
    return xarray.DataArray(values, coords=coords, dims=dims, attrs={"long_name": "log K"})


def line_array(**pressure):
    """calcite.dat's values along the temperature dimension alone, with a pressure coordinate where given."""
    import xarray
    return xarray.DataArray(CALCITE[0], coords={"temperature": CALCITE_T, **pressure}, dims="temperature")


def test_tables_of_data_arrays(xr, vapour, calcite):
    da = data_array()
    assert logk.table_from_xarray(da) == vapour and logk.table_from_xarray(da.T) == vapour
    if pytest.importorskip("dask.array", reason="python3-dask is not installed"):
        assert logk.table_from_xarray(da.chunk({"temperature": 2})) == vapour  # Dask-backed values are computed
    named = data_array(dims=("P", "T"))
    assert logk.table_from_xarray(named, pressure_dim="P", temperature_dim="T") == vapour
    for units in ((None, None), ("bars", "°C"), ("bar", "degree_Celsius")):  # no units: bar and degC
        assert logk.table_from_xarray(data_array(units=units)) == vapour
    # the temperature dimension alone: along one line, the saturation line or a pressure of a scalar coordinate
    assert logk.table_from_xarray(line_array()) == calcite
    assert logk.table_from_xarray(line_array(pressure=500.0)) == logk.Table.from_grid(CALCITE, [500.0], CALCITE_T)
    at_500 = logk.table_from_xarray(data_array(np.array(VAPOUR) * 0 + CALCITE[0][:6]).sel(pressure=500.0))
    assert at_500 == logk.Table.from_grid([CALCITE[0][:6]], [500.0], VAPOUR_T)
    got = logk.interpolate_xarray(vapour, xr.DataArray([150.0, 900.0], dims="x"), 420.0)
    assert same_bits(got.lk.values, vapour.logk([150.0, 900.0], 420.0)) and list(got.isoerr.values) == ["E", "N"]


@pytest.mark.parametrize("make, error, says", [
    (lambda: data_array(units=("MPa", "degC")), ValueError, "pressure is in 'MPa'; logk takes pressure in bar"),
    (lambda: data_array(units=("bar", "K")), ValueError, "temperature is in 'K'; logk takes temperature in degC"),
    (lambda: data_array().drop_vars("temperature"), ValueError, "the dimension 'temperature' has no coordinate"),
    (lambda: data_array().expand_dims(reaction=["a", "b"]), ValueError, "a dimension 'reaction' besides"),
    (lambda: data_array(dims=("P", "T")), ValueError, "no dimension 'temperature' among"),
    (lambda: data_array(temperatures=VAPOUR_T[::-1]), ValueError,
     "logk_table_from_grid: the temperature nodes do not ascend: 400 after 500"),
    (lambda: line_array(pressure=("temperature", CALCITE_T)), ValueError,
     "the coordinate 'pressure' lies along .*'temperature'.*: a table along one line has one pressure node"),
    (lambda: data_array(values=np.array(VAPOUR) > 0), TypeError, "values must hold integers or floats, not bool"),
    (lambda: data_array(pressures=["a", "b", "c", "d"]), TypeError, "pressures must hold integers or floats"),
    (lambda: np.array(VAPOUR), TypeError, "a table is made of an xarray.DataArray, not ndarray"),
])
def test_data_arrays_refused(xr, make, error, says):
    with pytest.raises(error, match=says):
        logk.table_from_xarray(make())


# The interpolation backwards on a table of its own nodes: each answer is
# where log K, as interpolate gives it on that table, takes the value or
# changes side at the double just below.
def test_the_interpolation_backwards_on_own_nodes():
    complete = logk.Table.from_grid(np.array(VAPOUR[1:]), VAPOUR_P[1:], VAPOUR_T)
    P = np.array([600.0, 1000.0, 1500.0, 1900.0])
    y = complete.logk(P, np.array([90.0, 180.0, 333.0, 460.0]))
    T, how = complete.temperature_at(P, y, between=(25.0, 500.0))
    here, before = complete.logk(P, T), complete.logk(P, np.nextafter(T, -INF))
    assert set(how) <= {"C", "J"} and np.all((here == y) | (np.sign(here - y) == -np.sign(before - y)))
    T_fixed = np.array([150.0, 250.0])
    y = complete.logk(np.array([700.0, 1200.0]), T_fixed)
    at, how = complete.pressure_at(T_fixed, y, between=(500.0, 2000.0))
    here, before = complete.logk(at, T_fixed), complete.logk(np.nextafter(at, -INF), T_fixed)
    assert set(how) <= {"C", "J"} and np.all((here == y) | (np.sign(here - y) == -np.sign(before - y)))
