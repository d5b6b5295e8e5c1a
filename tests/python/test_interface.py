"""The module as Python users call it: shapes, dtypes, failures, pickling."""
import ctypes
import os
import pickle
import warnings

import numpy as np
import pytest

import logk
from conftest import EXAMPLE_TABLE, SOURCE, c_library, made_up_values, run_child, table_text

CASE_FILES = os.path.join(SOURCE, "tests", "cases", "files")


@pytest.mark.parametrize("content, kind, number, line, column, says", [
    (None, FileNotFoundError, 29, 0, 0, "no such file"),
    ("1 2 3\n4 5x 6\n", ValueError, 59, 2, 3, "a character that is no part of a number"),
    ("1 2 1E400\n", ValueError, 64, 1, 5, "a value that cannot be converted"),
    ("1 2 3\n", ValueError, 24, 1, 0, "the file ends before its 37 x 36 values"),
])
def test_failures_say_where_and_what(tmp_path, content, kind, number, line, column, says):
    path = tmp_path / "quartz.dat"
    if content is not None:
        path.write_text(content)
    with pytest.raises(kind) as raised:
        logk.Table.load(path)
    error = raised.value
    assert isinstance(error, logk.Error)
    assert (error.number, error.line, error.column, error.path) == (number, line, column, str(path))
    where = f"{path}, line {line}" + (f", column {column}" if column else "") if line else f"{path}"
    assert str(error).startswith(f"{where}: {says}") and str(error).endswith(f"(message {number})")
    assert f"runlib: severe ({number}): " in error.text and f"unit 11, file {path}" in error.text
    again = pickle.loads(pickle.dumps(error))
    assert type(again) is type(error) and str(again) == str(error)
    assert (again.number, again.text, again.line, again.column) == (number, error.text, line, column)


# str(e) is the library's one line for the failure, with the meaning for
# the file's unit (a file that ends inside a quote is a table that ends
# early, or a point list that does), the path as given and the place.
def test_str_is_the_librarys_line(tmp_path, monkeypatch):
    class CError(ctypes.Structure):
        _fields_ = [("number", ctypes.c_int), ("text", ctypes.c_char * 1024)]

    class CPlace(ctypes.Structure):
        _fields_ = [("line", ctypes.c_longlong), ("column", ctypes.c_longlong)]

    library = c_library()
    monkeypatch.chdir(tmp_path)
    (tmp_path / "open.dat").write_text('1 "2')
    for read, unit in ((logk.Table.load, 11), (logk.read_points, 12)):
        with pytest.raises(logk.NotationError) as raised:
            read("open.dat")
        error = raised.value
        line = ctypes.create_string_buffer(4096)
        library.logk_failure_line(ctypes.byref(CError(24, os.fsencode(error.text))), ctypes.byref(CPlace(1, 0)),
                                  b"open.dat", unit, line, ctypes.c_size_t(4096))
        assert (error.number, error.line, error.column) == (24, 1, 0)
        assert str(error) == line.value.decode() and str(error).startswith("open.dat, line 1: the file ends ")


# Each message number is the exception a Python caller would catch for it,
# whatever the user running the tests may read.
@pytest.mark.parametrize("number, kinds", [
    (9, (PermissionError, OSError)), (29, (FileNotFoundError, OSError)), (30, (OSError,)), (39, (OSError,)),
    (22, (ValueError,)), (24, (ValueError,)), (59, (ValueError,)), (64, (ValueError,)),
])
def test_each_message_is_its_exception(number, kinds):
    with pytest.raises(logk.Error) as raised:
        logk._errors._raise((number, b"runlib: severe", 1, 2), "quartz.dat", "table")
    assert all(isinstance(raised.value, kind) for kind in kinds) and raised.value.number == number


def test_shapes_and_dtypes(table):
    one = table.interpolate(500.0, 300.0)
    assert isinstance(one.lk, np.floating) and isinstance(one.pidx, np.integer) and one.isoerr == "N"
    assert one.dlk_dT is None
    grid = table.interpolate([[1.5], [500], [7000]], np.array([25, 300, 650, 720]), derivatives=True)
    assert grid.lk.shape == grid.pidx.shape == grid.pterr.shape == grid.dlk_dT.shape == (3, 4)
    assert grid.lk.dtype == np.float64 and grid.isoerr.dtype == np.dtype("U1")
    assert np.issubdtype(grid.tidx.dtype, np.integer)
    assert set(grid.pterr.ravel()) == {"N", "W", "E"}
    # other dtypes, lists and strided arrays give the same results as float64 arrays
    P = np.linspace(1.0, 5000.0, 40)
    T = np.linspace(10.0, 650.0, 40)
    expected = table.logk(P, T)
    assert np.array_equal(table.logk(P.astype(np.float32).astype(np.float64), T), table.logk(P.astype(np.float32), T))
    assert np.array_equal(table.logk(list(P), list(T)), expected)
    assert np.array_equal(table.logk(np.repeat(P, 2)[::2], T), expected)
    assert np.array_equal(table.logk(P.astype(">f8"), T), expected)
    assert np.array_equal(table.logk(np.asfortranarray(np.tile(P, (3, 1))), T)[1], expected)
    assert np.array_equal(table.logk(np.arange(1, 41), T), table.logk(np.arange(1.0, 41.0), T))


# A scalar call gives what the same point gives in an array, with the same types.
@pytest.mark.parametrize("P, T", [(500.0, 300.0), (500, np.float32(300)), (np.int64(-3), 750.0),
                                  (np.uint8(200), np.float64("nan"))])
def test_scalars_are_points_of_an_array(table, P, T):
    one = table.interpolate(P, T, derivatives=True)
    array = table.interpolate(np.array([P], dtype=np.float64), np.array([T], dtype=np.float64), derivatives=True)
    for name in ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP"):
        value, expected = getattr(one, name), getattr(array, name)[0]
        same = value == expected or (np.isnan(value) and np.isnan(expected)) if name in ("lk", "dlk_dT", "dlk_dP") \
            else value == expected
        assert type(value) is type(expected) and same, name
    assert np.array_equal(table.logk(P, T), array.lk[0], equal_nan=True)


def test_tables_and_the_grid(tmp_path):
    values = made_up_values()
    path = tmp_path / "quartz.dat"
    path.write_text(table_text(values))
    loaded = logk.Table.load(path)
    made = logk.Table.from_values(values)
    assert loaded == made and pickle.loads(pickle.dumps(made)) == made
    assert np.array_equal(made.values, values) and not made.values.flags.writeable
    with pytest.raises(ValueError):
        made.values[0, 0] = 1.0
    with pytest.raises(ValueError):
        logk.Table.from_values(values.T)
    assert logk.PGRID.shape == (37,) and logk.TGRID[0] == 0.01 and logk.PGRID[-1] == 5000.0
    with open(os.path.join(SOURCE, "VERSION")) as version:
        assert logk.__version__ == version.read().strip()


# A line that holds values past the 36th of its row, which the program
# ignores (a file with each pressure first on its line): the table loads,
# with a warning that names the first such line and how many values it
# holds. Rows over two lines, and words after a row, leave no value.
def _lines(rows):
    return "".join(" ".join(str(v) for v in row) + "\n" for row in rows)


@pytest.mark.parametrize("text, warned", [
    (_lines([k] + list(row) for k, row in enumerate(made_up_values())), "line 1: the line holds 37 values"),
    (_lines(part for row in made_up_values() for part in (row[:20], row[20:])), None),
    (_lines(list(row) + (["3*7.5"] if k == 4 else []) for k, row in enumerate(made_up_values())),
     "line 5: the line holds 39 values"),
    (_lines(list(row) + ["! the row of a pressure"] for row in made_up_values()), None),
])
def test_values_past_a_row_are_warned_of(tmp_path, text, warned):
    path = tmp_path / "table.dat"
    path.write_text(text)
    for load in (lambda: logk.Table.load(path), lambda: logk.TableSet.load([EXAMPLE_TABLE, path])):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            load()
        said = [str(w.message) for w in caught if issubclass(w.category, logk.IgnoredValuesWarning)]
        assert len(said) == (warned is not None), said
        assert warned is None or said[0].startswith(f"{path}, {warned}"), said


# A set warns of the first line of each kind that its files' reads pass
# over, in the files' order, naming the file: values past a row's 36th, a
# null value (its cell 0.0), values after the table (a header on top).
def test_a_set_warns_of_the_first_line_of_each_kind(tmp_path):
    rows = made_up_values()
    lines = table_text(rows).splitlines(keepends=True)
    first, _, rest = lines[1].partition(" ")
    lines[1] = f"{first},,{rest.partition(' ')[2]}"  # the row's second value left out
    null_on_line_2 = tmp_path / "null.dat"
    null_on_line_2.write_text("".join(lines))
    files = {"quartz": EXAMPLE_TABLE, "null": null_on_line_2, "null_value": os.path.join(CASE_FILES, "null_value.dat"),
             "header": os.path.join(CASE_FILES, "header_on_top.dat"),
             "first": os.path.join(CASE_FILES, "pressure_first.dat")}
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        reactions = logk.TableSet.load(files)
    said = [str(w.message) for w in caught if w.category is logk.IgnoredValuesWarning]
    assert [text.split(": the line holds ")[0] for text in said] == [
        f"{files['first']}, line 1", f"{null_on_line_2}, line 2", f"{files['header']}, line 38"], said
    assert "37 values" in said[0] and "null value" in said[1] and "after the table's 37 rows" in said[2]
    assert reactions["null"].values[1, 1] == 0.0 and reactions["null"].values[1, 2] == rows[1, 2]


# The version and the build are the library's.
def test_version_and_build():
    library = c_library()
    assert logk.__version__ == library.logk_version().decode()
    assert logk.build() == library.logk_build().decode() and logk.build() in ("baseline", "avx2", "avx512")


# LOGK_CPU forces a build the processor runs; one it lacks, or a word that
# names none, is said at import as a RuntimeWarning in the library's words.
@pytest.mark.parametrize("asked", ["baseline", "avx2", "avx512", "avx1024"])
def test_logk_cpu_is_said_at_import(asked):
    out = run_child("""
        import ctypes, warnings
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            import logk
        library = ctypes.CDLL(logk._logk.__file__)
        library.logk_build_note.restype = ctypes.c_char_p
        print(logk.build())
        print(library.logk_build_note().decode())
        print([str(w.message) for w in caught if w.category is RuntimeWarning])
    """, variables={"LOGK_CPU": asked})
    build, note, warned = out.splitlines()
    assert warned == (repr([note]) if note else "[]"), out
    assert (build == asked) == (note == ""), out
    assert note or asked != "avx1024", out
    assert not note or note.startswith(f"LOGK_CPU={asked}"), out


def test_points_and_logk_out(tmp_path):
    (tmp_path / "PT.dat").write_text("500 300\n100,,\n200,\n300 400\n7\n")
    P, T = logk.read_points(tmp_path / "PT.dat")
    assert list(P) == [500, 100, 200] and list(T) == [300, -9999.9, 300]
    (tmp_path / "bad.dat").write_text("1 x\n")
    with pytest.raises(ValueError) as raised:
        logk.read_points(tmp_path / "bad.dat")
    assert raised.value.number == 59 and "unit 12" in raised.value.text
    table = logk.Table.load(EXAMPLE_TABLE)
    logk.write_logk_out(tmp_path / "logk.out", P, T, table.interpolate(P, T))
    lines = (tmp_path / "logk.out").read_bytes().split(b"\r\n")
    assert lines[0].strip().startswith(b"P") and lines[1] == (
        b"  500.000   300.000      19        13          -1.917       N         N")
    assert os.path.getsize(tmp_path / "logk.out") == 70 + 73 * 3


# What the program could never write is refused, naming the first such point.
@pytest.mark.parametrize("name, bad, says", [
    ("pidx", 2 ** 40, "point 1: pidx 1099511627776 is no stencil index"),
    ("pidx", np.nan, "point 1: pidx nan is no stencil index"),
    ("tidx", 2, "point 1: tidx 2 is no stencil index"),
    ("isoerr", "\u20ac", "point 1: isoerr '\u20ac' is no flag"),
    ("pterr", "", "point 1: pterr '' is no flag"),
])
def test_logk_out_refuses_what_the_program_never_writes(table, name, bad, says):
    P, T = np.array([500.0, 600.0, 700.0]), np.array([300.0, 300.0, 300.0])
    result = table.interpolate(P, T)
    column = getattr(result, name).tolist()
    column[1] = bad
    setattr(result, name, np.array(column))
    with pytest.raises(ValueError, match=says):
        logk.format_logk_out(P, T, result)


@pytest.mark.parametrize("example", ["geotherm.py", "geothermometer.py"])
def test_the_example_draws_its_picture(tmp_path, example, capsys):
    pytest.importorskip("matplotlib", reason="python3-matplotlib is not installed")
    import runpy
    import sys
    image = tmp_path / "picture.png"
    argv = sys.argv
    silica = ["180", "350", "500", "700"] if example == "geothermometer.py" else []  # 700: more than 100 bar holds
    sys.argv = [example, EXAMPLE_TABLE, os.path.join(os.path.dirname(EXAMPLE_TABLE), "kw.dat"), str(image)] + silica
    try:
        runpy.run_path(os.path.join(os.path.dirname(EXAMPLE_TABLE), "python", example), run_name="__main__")
    finally:
        sys.argv = argv
    assert image.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    if example == "geothermometer.py":  # the C example's answers, to the digit printed
        c_example = os.environ.get("LOGK_EXAMPLE_GEOTHERMOMETER")
        if c_example:
            import subprocess
            lines = subprocess.run([c_example] + sys_argv_tables() + silica, capture_output=True, text=True,
                                   check=True).stdout
            printed = capsys.readouterr().out
            assert "SiO2 700 mg/kg at 100 bar: nan degC N" in lines
            for c_line in lines.splitlines():
                assert c_line in printed, c_line


def sys_argv_tables():
    return [EXAMPLE_TABLE, os.path.join(os.path.dirname(EXAMPLE_TABLE), "kw.dat")]
