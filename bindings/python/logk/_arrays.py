"""Points and results as NumPy arrays: dtypes, broadcasting, masks, out=,
and the compiled batch call over them."""
import collections
import operator

import numpy as np

from . import _logk

def _doubles(values, name):
    """A float64 array of the values (the array itself where it already is
    one) and the mask of a masked array (else None). Booleans, dates,
    complex numbers, strings and objects are no pressures or temperatures."""
    mask = None
    if isinstance(values, np.ma.MaskedArray):
        mask = np.ma.getmaskarray(values)
        values = values.data
    array = np.asarray(values)
    if array.dtype.kind not in "iuf":
        raise TypeError(f"{name} must hold integers or floats, not {array.dtype} values")
    array = array.astype(np.float64, copy=False)
    if mask is not None and mask.any():
        array = np.where(mask, np.nan, array)  # what lies under the mask is never computed with
    return array, mask


def _points(P, T, names=("P", "T")):
    """P and T as float64 arrays of one broadcast shape, and the mask of the
    points (None when neither is a masked array)."""
    (P, mask_P), (T, mask_T) = _doubles(P, names[0]), _doubles(T, names[1])
    P, T = np.broadcast_arrays(P, T)
    mask = None
    if mask_P is not None or mask_T is not None:
        mask = np.zeros(P.shape, dtype=bool)
        for part in (mask_P, mask_T):
            if part is not None:
                mask |= part
    return P, T, mask


class Result:
    """The results for points of one shape: lk (log K, float64), pidx and tidx
    (the stencil's lowest pressure node, 1-35 on the fixed grid, and its
    highest temperature node, 3-36; from 1 in a table's own nodes too),
    isoerr and pterr (the flags, 'N', 'W' or 'E', dtype 'U1'), and where
    asked dlk_dT and dlk_dP (the slopes of the interpolant, per degree and
    per bar). Scalars for scalar points; masked arrays for masked points."""

    __slots__ = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")

    def __init__(self, lk, pidx, tidx, isoerr, pterr, dlk_dT=None, dlk_dP=None):
        self.lk, self.pidx, self.tidx, self.isoerr, self.pterr = lk, pidx, tidx, isoerr, pterr
        self.dlk_dT, self.dlk_dP = dlk_dT, dlk_dP

    def __repr__(self):
        fields = ", ".join(f"{name}={getattr(self, name)!r}" for name in self.__slots__
                           if getattr(self, name) is not None)
        return f"Result({fields})"


_NAMES = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")
_DTYPES = (np.dtype(np.float64), np.dtype(np.int32), np.dtype(np.int32), np.dtype("U1"), np.dtype("U1"),
           np.dtype(np.float64), np.dtype(np.float64))
_PER_TABLE = (True, False, False, False, False, True, True)  # lk and the slopes have a value per table


def _out_column(out, name, dtype, shape, masked):
    """The array of `out` named `name`, checked; its data (what is written)."""
    column = getattr(out, name, None)
    if column is None:
        return None, None
    data = column.data if isinstance(column, np.ma.MaskedArray) else column
    where = f"out.{name}"
    if not isinstance(data, np.ndarray):
        raise TypeError(f"{where} must be a NumPy array, not {type(column).__name__}")
    if masked and not isinstance(column, np.ma.MaskedArray):
        raise TypeError(f"{where} must be a masked array, as the points are masked")
    if data.shape != shape:
        raise ValueError(f"{where} has shape {data.shape}; the points need {shape}")
    if data.dtype != dtype:
        raise ValueError(f"{where} has dtype {data.dtype}; it must be {dtype}")
    if not data.flags.writeable:
        raise ValueError(f"{where} is read-only")
    if not data.flags.c_contiguous:
        raise ValueError(f"{where} is not C-contiguous")
    return column, data


def _workers(workers):
    """`workers` as the C int the library counts threads by: an integer
    (operator.index), one beyond a C int clamped to the nearest it holds."""
    return max(-2**31, min(operator.index(workers), 2**31 - 1))


def _compute(compiled, count, P, T, wanted, out, workers=1):
    """Runs the compiled batch call over the points. `wanted` names the
    outputs of a plain call; with `out`, its arrays are filled (each one it
    has, and it must have every one wanted). `count` is the number of
    tables, or None for a single table. Returns the Result."""
    P, T, mask = _points(P, T)
    shape = P.shape
    columns, data = [], []
    for name, dtype, per_table in zip(_NAMES, _DTYPES, _PER_TABLE):
        column_shape = shape + (count,) if per_table and count is not None else shape
        if out is None:
            column = np.empty(column_shape, dtype) if name in wanted else None
            columns.append(column)
            data.append(column)
            continue
        column, values = _out_column(out, name, dtype, column_shape, mask is not None)
        if column is None and name in wanted:
            raise ValueError(f"out has no {name} array to fill")
        columns.append(column)
        data.append(values)
    # An output may lie over an input (out= the very array of P, say): the
    # library computes as if it were apart, as NumPy does.
    flat = [None if values is None else values.reshape(-1) for values in data]
    flat[3:5] = [None if values is None else values.view(np.uint32) for values in flat[3:5]]
    _logk.interpolate(compiled, np.ascontiguousarray(P).reshape(-1), np.ascontiguousarray(T).reshape(-1), *flat,
                      _workers(workers))
    if mask is not None:
        for index, (column, per_table) in enumerate(zip(columns, _PER_TABLE)):
            if column is None:
                continue
            column_mask = mask[..., None] if per_table and count is not None else mask
            column_mask = np.broadcast_to(column_mask, column.shape)
            if out is None:
                columns[index] = np.ma.MaskedArray(column, mask=column_mask.copy())
            else:
                column.mask = column_mask
    elif out is not None:
        for column in columns:
            if isinstance(column, np.ma.MaskedArray):
                column.mask = np.ma.nomask
    if out is not None:
        return out
    return Result(*[None if column is None else column[()] for column in columns])


class Crossing(collections.namedtuple("Crossing", ["at", "how"])):
    __slots__ = ()


# The words for `how` are the library's.
_HOW = {how: _logk.how_meaning(how) for how in "CJRN"}
Crossing.__doc__ = (
    "Where log K takes a value, as Table.temperature_at and pressure_at find\n"
    "it: `at` the temperature in degC (or the pressure in bar), float64, NaN\n"
    "where there is none; `how` (dtype 'U1') how it was found:\n\n"
    + "".join(f"    '{how}': {words}\n" for how, words in _HOW.items())
    + "\nScalars for scalar points; masked arrays for masked points. It unpacks\nas (at, how).")


def _range(between):
    """`between` as two floats (low, high): integers or floats, as points are;
    booleans, strings and anything but two numbers are refused."""
    try:
        ends = [np.asarray(end) for end in between]
    except TypeError:
        ends = []
    if len(ends) != 2 or any(end.ndim != 0 or end.dtype.kind not in "iuf" for end in ends):
        raise TypeError(f"between must be two numbers (low, high), not {between!r}")
    return float(ends[0]), float(ends[1])


def _crossings(compiled, along_T, fixed, lk, between, name, workers):
    """The compiled search over the points (fixed, lk), which broadcast."""
    low, high = _range(between)
    fixed, lk, mask = _points(fixed, lk, (name, "lk"))
    at = np.empty(fixed.shape)
    how = np.empty(fixed.shape, dtype="U1")
    _logk.solve(compiled, along_T, np.ascontiguousarray(fixed).reshape(-1), np.ascontiguousarray(lk).reshape(-1),
                low, high, at.reshape(-1), how.reshape(-1).view(np.uint32), _workers(workers))
    if mask is not None:
        return Crossing(np.ma.MaskedArray(at, mask=mask.copy()), np.ma.MaskedArray(how, mask=mask.copy()))
    return Crossing(at[()], how[()])
