"""The module as Python users call it: shapes, dtypes, failures, pickling."""
import os
import pickle

import numpy as np
import pytest

import logk
from conftest import EXAMPLE_TABLE, made_up_values, table_text


@pytest.mark.parametrize("content, kind, number, line, column", [
    (None, FileNotFoundError, 29, 0, 0),
    ("1 2 3\n4 5x 6\n", ValueError, 59, 2, 3),
    ("1 2 1E400\n", ValueError, 64, 1, 5),
    ("1 2 3\n", ValueError, 24, 1, 0),
])
def test_failures_carry_the_programs_message(tmp_path, content, kind, number, line, column):
    path = tmp_path / "quartz.dat"
    if content is not None:
        path.write_text(content)
    with pytest.raises(kind) as raised:
        logk.Table.load(path)
    error = raised.value
    assert isinstance(error, logk.Error)
    assert (error.number, error.line, error.column) == (number, line, column)
    assert f"runlib: severe ({number}): " in str(error) and f"unit 11, file {path}" in str(error)
    assert pickle.loads(pickle.dumps(error)).number == number


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
    assert np.array_equal(table.logk(np.asfortranarray(np.tile(P, (3, 1))), T)[1], expected)
    assert np.array_equal(table.logk(np.arange(1, 41), T), table.logk(np.arange(1.0, 41.0), T))


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


def test_points_and_logk_out(tmp_path):
    (tmp_path / "PT.dat").write_text("500 300\n100,,\n200,\n300 400\n7\n")
    P, T = logk.read_points(tmp_path / "PT.dat")
    assert list(P) == [500, 100, 200] and list(T) == [300, -9999.9, 300]
    (tmp_path / "bad.dat").write_text("1 x\n")
    with pytest.raises(ValueError) as raised:
        logk.read_points(tmp_path / "bad.dat")
    assert raised.value.number == 59 and "unit 12" in str(raised.value)
    table = logk.Table.load(EXAMPLE_TABLE)
    logk.write_logk_out(tmp_path / "logk.out", P, T, table.interpolate(P, T))
    lines = (tmp_path / "logk.out").read_bytes().split(b"\r\n")
    assert lines[0].strip().startswith(b"P") and lines[1] == (
        b"  500.000   300.000      19        13          -1.917       N         N")
    assert os.path.getsize(tmp_path / "logk.out") == 70 + 73 * 3


def test_out_fills_the_arrays_given(table):
    P = np.linspace(0.5, 6500.0, 24).reshape(4, 6)
    T = np.linspace(-5.0, 720.0, 6)
    fresh = table.interpolate(P, T, derivatives=True)
    previous = table.interpolate(P * 0 + 500, T, derivatives=True)
    again = table.interpolate(P, T, derivatives=True, out=previous)
    assert again is previous
    for name in ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP"):
        assert np.array_equal(getattr(again, name), getattr(fresh, name)), name
    lk = np.empty((4, 6))
    assert table.logk(P, T, out=lk) is lk and np.array_equal(lk, fresh.lk)
    with pytest.raises(ValueError):
        table.logk(P, T, out=np.empty((6, 4)).T)  # the right shape, but not contiguous


def test_the_example_draws_its_picture(tmp_path):
    pytest.importorskip("matplotlib", reason="python3-matplotlib is not installed")
    import runpy
    import sys
    image = tmp_path / "geotherm.png"
    argv = sys.argv
    sys.argv = ["geotherm.py", EXAMPLE_TABLE, str(image)]
    try:
        runpy.run_path(os.path.join(os.path.dirname(EXAMPLE_TABLE), "python", "geotherm.py"), run_name="__main__")
    finally:
        sys.argv = argv
    assert image.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
