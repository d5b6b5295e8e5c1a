"""Arrays as NumPy users hand them over: masked arrays, the dtypes that are
no numbers, and out= arrays, also when they are the very input arrays."""
import re

import numpy as np
import pytest

import logk

NAMES = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")


def same(a, b):
    return np.array_equal(np.asarray(a).view(np.uint8), np.asarray(b).view(np.uint8))


def test_masked_points_come_back_masked(table):
    P = np.ma.masked_array([500.0, -1e30, 600.0], mask=[0, 1, 0])
    lk = table.logk(P, 300)
    assert isinstance(lk, np.ma.MaskedArray) and list(lk.mask) == [False, True, False]
    assert lk[0] == table.logk(500.0, 300.0) and lk[2] == table.logk(600.0, 300.0)
    result = table.interpolate(np.ma.masked_array([[500.0], [600.0]], mask=[[0], [1]]), [300.0, 350.0],
                               derivatives=True)
    for name in NAMES:
        column = getattr(result, name)
        assert isinstance(column, np.ma.MaskedArray), name
        assert column.mask.tolist() == [[False, False], [True, True]], name
    assert table.logk(np.ma.masked, 300.0) is np.ma.masked
    unmasked = table.logk(np.ma.masked_array([500.0, 600.0]), 300.0)
    assert isinstance(unmasked, np.ma.MaskedArray) and not unmasked.mask.any()


@pytest.mark.parametrize("values", [
    np.array([True, False]), np.array(["2020-01-01", "2021-01-01"], dtype="datetime64[D]"),
    np.array([1, 2], dtype="timedelta64[s]"), np.array([1 + 2j, 3]), np.array(["500", "600"]),
    np.array([500.0, None]), [True, False],
])
def test_what_is_no_number_is_refused(table, values):
    dtype = str(np.asarray(values).dtype)
    for P, T in ((values, 300.0), (500.0, values)):
        with pytest.raises(TypeError, match=re.escape(f"not {dtype} values")):
            table.interpolate(P, T)
    with pytest.raises(TypeError):
        table.logk(True, 300.0)


# With out=, every array it holds is filled; a stale array or a silent None
# is never left behind.
def test_out_fills_every_array_it_holds(table):
    P = np.linspace(0.5, 6500.0, 24).reshape(4, 6)
    T = np.linspace(-5.0, 720.0, 6)
    fresh = table.interpolate(P, T, derivatives=True)
    previous = table.interpolate(P * 0 + 500, T, derivatives=True)
    again = table.interpolate(P, T, out=previous)  # no derivatives asked: the slopes are still refreshed
    assert again is previous
    for name in NAMES:
        assert same(getattr(again, name), getattr(fresh, name)), name
    lk = np.empty((4, 6))
    assert table.logk(P, T, out=lk) is lk and same(lk, fresh.lk)
    without_slopes = table.interpolate(P, T)
    with pytest.raises(ValueError, match="out has no dlk_dT array"):
        table.interpolate(P, T, derivatives=True, out=without_slopes)


@pytest.mark.parametrize("bad, says", [
    (np.empty((6, 4)), r"has shape \(6, 4\); the points need \(4, 6\)"),
    (np.empty((4, 6), dtype=np.float32), "has dtype float32; it must be float64"),
    (np.empty((6, 4)).T, "is not C-contiguous"),
    ("read-only", "is read-only"),
    ([[0.0] * 6] * 4, "must be a NumPy array"),
])
def test_out_errors_say_what_is_wrong(table, bad, says):
    P = np.linspace(0.5, 6500.0, 24).reshape(4, 6)
    if isinstance(bad, str):
        bad = np.empty((4, 6))
        bad.flags.writeable = False
    with pytest.raises((ValueError, TypeError), match=f"out.lk {says}"):
        table.logk(P, 300.0, out=bad)


# out= may be the very array of P or T, or overlap it, as with NumPy's own
# functions: the results are those of separate arrays.
def test_outputs_over_the_inputs(table):
    P = np.concatenate([[-1.0, np.nan], np.linspace(0.5, 6500.0, 300)])
    T = np.linspace(720.0, -5.0, P.size)
    expected = table.interpolate(P, T, derivatives=True)
    for name in ("lk", "dlk_dT", "dlk_dP"):
        for over_P in (True, False):
            data = (P if over_P else T).copy()
            out = table.interpolate(P, T, derivatives=True)
            setattr(out, name, data)
            table.interpolate(data if over_P else P, T if over_P else data, derivatives=True, out=out)
            assert same(data, getattr(expected, name)), (name, over_P)
    # Each output over the input value after its own, past the module's
    # blocks of 65536 points, for P and for T.
    P, T = np.linspace(0.5, 6500.0, 70_000), np.linspace(720.0, -5.0, 70_000)
    expected = table.logk(P, T)
    for over_P in (True, False):
        shifted = np.concatenate([P if over_P else T, [0.0]])
        table.logk(shifted[:-1] if over_P else P, T if over_P else shifted[:-1], out=shifted[1:])
        assert same(shifted[1:], expected), over_P
