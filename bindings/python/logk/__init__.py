"""log K interpolated on a fixed pressure-temperature grid, with exactly the
results of the program logk, over NumPy arrays.

    import logk
    table = logk.Table.load("quartz.dat")
    result = table.interpolate(P, T)          # P in bar, T in degC: scalars or arrays that broadcast
    result.lk, result.pidx, result.tidx, result.isoerr, result.pterr
    table.logk(P, T)                          # log K alone, for xarray.apply_ufunc or dask map_blocks

A Table never changes once made; it pickles, so Dask ships it to workers.
Points may be masked arrays: masked points come back masked. Failures
raise subclasses of logk.Error, which carry the program's message number,
its text, and the line and column where the reader stopped.
"""
import os

import numpy as np

from . import _logk

__all__ = ["Table", "Result", "read_points", "format_logk_out", "write_logk_out", "PGRID", "TGRID", "Error",
           "FileError", "FileNotFound", "PermissionDenied", "NotationError"]

# The grid: pressure nodes in bar, temperature nodes in degrees Celsius.
PGRID = _logk.PGRID
TGRID = _logk.TGRID
PGRID.flags.writeable = False
TGRID.flags.writeable = False

# What each message number means, in plain words.
_MEANINGS = {
    9: "permission to read the file is denied",
    22: f"a line is too long (at most {_logk.LONGEST_LINE >> 20} MiB)",
    24: "the file ends too early",
    29: "no such file",
    30: "the file cannot be opened",
    39: "the file could not be read",
    42: "no such device",
    43: "the path cannot be used (too long, or too many links)",
    59: "a character that is no part of a number",
    64: "a value that cannot be converted (out of range, malformed after its exponent, or quoted text)",
}
_WITH_REASON = {30, 39, 42, 43}  # where the system's reason says more
_ENDS_EARLY = {
    "table": "the file ends before its 37 x 36 values (or inside a quote or parenthesis)",
    "points": "the file ends inside a quote or parenthesis",
}


class Error(Exception):
    """A file logk could not read. `number` is the program's message number
    (29 file not found, 59 a stray character, 24 the file ends inside the
    table, ...), `text` what the program prints for it, `line` and `column`
    where the reader stopped (0 where it stopped outside a line), and `path`
    the path as it was given. str() says it all in one line."""

    def __init__(self, number, text, line=0, column=0, path=None, kind="table"):
        super().__init__(text)
        self.number = number
        self.text = text
        self.line = line
        self.column = column
        self.path = path
        self.kind = kind

    def __str__(self):
        where = os.fsdecode(self.path) if self.path is not None else "the file"
        if self.line:
            where += f", line {self.line}"
            if self.column:
                where += f", column {self.column}"
        meaning = _ENDS_EARLY[self.kind] if self.number == 24 else _MEANINGS.get(self.number)
        if meaning is None:
            return f"{where}: {self.text}"
        lines = self.text.split("\n")
        if self.number in _WITH_REASON and len(lines) > 1 and lines[0].startswith("runlib: "):
            meaning += f" ({lines[0][len('runlib: '):]})"  # the system's own reason
        return f"{where}: {meaning} (message {self.number})"

    def __reduce__(self):
        return type(self), (self.number, self.text, self.line, self.column, self.path, self.kind)


class FileError(Error, OSError):
    """The file could not be opened or read."""


class FileNotFound(FileError, FileNotFoundError):
    """Message 29: the file does not exist."""


class PermissionDenied(FileError, PermissionError):
    """Message 9: the file may not be read."""


class NotationError(Error, ValueError):
    """The file's text is no table or point list: a character that is no
    part of a number (59), a value that cannot be converted (64), a file
    that ends early (24), a line too long (22)."""


_ERRORS = {29: FileNotFound, 9: PermissionDenied, 22: NotationError, 24: NotationError, 59: NotationError,
           64: NotationError}


def _raise(failure, path, kind):
    number, text, line, column = failure
    raise _ERRORS.get(number, FileError)(number, os.fsdecode(text), line, column, path, kind)


def _path(path):
    """A path as open() takes it: str, bytes or os.PathLike, as bytes for the system."""
    if not isinstance(path, (str, bytes, os.PathLike)):
        raise TypeError(f"a path is a str, bytes or os.PathLike object, not {type(path).__name__}")
    name = os.fsencode(os.fspath(path))
    if b"\0" in name:
        raise ValueError("a path may not hold a NUL character")
    return name


def _read(function, path, kind):
    read = function(_path(path))
    if isinstance(read, tuple) and isinstance(read[0], int):
        _raise(read, os.fspath(path), kind)
    return read


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


def _points(P, T):
    """P and T as float64 arrays of one broadcast shape, and the mask of the
    points (None when neither is a masked array)."""
    (P, mask_P), (T, mask_T) = _doubles(P, "P"), _doubles(T, "T")
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
    (the stencil's lowest pressure node, 1-35, and its highest temperature
    node, 3-36), isoerr and pterr (the flags, 'N', 'W' or 'E', dtype 'U1'),
    and where asked dlk_dT and dlk_dP (the slopes of the interpolant, per
    degree and per bar). Scalars for scalar points; masked arrays for
    masked points."""

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


def _compute(compiled, count, P, T, wanted, out):
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
    # An output over an input (out= the very array of P, say) is computed as
    # if it were apart: the inputs are copied first, as NumPy does.
    for values in data:
        if values is not None and (np.may_share_memory(values, P) or np.may_share_memory(values, T)):
            P, T = P.copy(), T.copy()
            break
    flat = [None if values is None else values.reshape(-1) for values in data]
    flat[3:5] = [None if values is None else values.view(np.uint32) for values in flat[3:5]]
    _logk.interpolate(compiled, np.ascontiguousarray(P).reshape(-1), np.ascontiguousarray(T).reshape(-1), *flat)
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


# Plain numbers a scalar call takes without making arrays.
_SCALARS = frozenset({float, int, np.float64, np.float32, np.float16, np.int64, np.int32, np.int16, np.int8,
                      np.uint64, np.uint32, np.uint16, np.uint8})
_INDICES = [np.int32(k) for k in range(40)]
_FLAGS = {flag: np.str_(flag) for flag in "NWE"}


class Table:
    """A log K table on the grid PGRID x TGRID, 37 pressures by 36 temperatures."""

    __slots__ = ("_table",)

    def __init__(self, compiled):
        self._table = compiled

    @classmethod
    def load(cls, path):
        """Reads a table file with the program's reader: every notation, every
        failure. `path` as open() takes it."""
        return cls(_read(_logk.load, path, "table"))

    @classmethod
    def from_values(cls, values):
        """A table from an array-like of shape (37, 36): a row per pressure node, as in the file."""
        array, _ = _doubles(values, "values")
        if array.shape != (37, 36):
            raise ValueError(f"a table has shape (37, 36), one row per pressure node, not {array.shape}")
        return cls(_logk.from_values(np.ascontiguousarray(array).ravel()))

    @property
    def values(self):
        """The table, read-only, shape (37, 36)."""
        values = self._table.values().reshape(37, 36)
        values.flags.writeable = False
        return values

    def interpolate(self, P, T, derivatives=False, out=None):
        """The program's results at the points (P, T), which broadcast together.
        With `out`, a Result of arrays of the points' shape, every array it
        holds is filled (the slopes too, where it has them) and it is
        returned again: a time loop need not allocate new arrays each step.
        It must hold the slopes' arrays where `derivatives` asks for them."""
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS:
            try:
                at = _logk.point(self._table, P, T, bool(derivatives))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
            else:
                slopes = (np.float64(at[5]), np.float64(at[6])) if derivatives else ()
                return Result(np.float64(at[0]), _INDICES[at[1]], _INDICES[at[2]], _FLAGS[at[3]], _FLAGS[at[4]],
                              *slopes)
        wanted = _NAMES if derivatives else _NAMES[:5]
        return _compute(self._table, None, P, T, wanted, out)

    def logk(self, P, T, out=None):
        """log K alone at the points (P, T), an array of their broadcast shape
        (filled into `out`, a float64 array of that shape, where given)."""
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS:
            try:
                return np.float64(_logk.point_logk(self._table, P, T))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
        if out is not None:
            out = Result(out, None, None, None, None)
        return _compute(self._table, None, P, T, ("lk",), out).lk

    def __eq__(self, other):
        return isinstance(other, Table) and self._table == other._table

    def __hash__(self):
        return hash(self.values.tobytes())

    def __reduce__(self):
        return Table.from_values, (np.array(self.values),)

    def __repr__(self):
        return "<logk.Table 37 x 36>"


def read_points(path):
    """P and T, float64 arrays, from a point list read as the program reads
    PT.dat. `path` as open() takes it."""
    return _read(_logk.read_points, path, "points")


def _stencil_column(values, name, low, high, P):
    """A column of stencil indices as int32, refused unless every one is a
    whole number from low to high, as the program writes."""
    array = np.ravel(np.broadcast_to(np.asarray(values), P.shape))
    if array.dtype.kind in "iu":
        good = (array >= low) & (array <= high)
    elif array.dtype.kind == "f":
        good = np.isfinite(array) & (array >= low) & (array <= high) & (array == np.floor(array))
    else:
        raise ValueError(f"{name} must hold whole numbers from {low} to {high}, not {array.dtype} values")
    if not good.all():
        first = int(np.flatnonzero(~good)[0])
        raise ValueError(f"point {first}: {name} {array[first]!r} is no stencil index the program writes "
                         f"({low} to {high})")
    return array.astype(np.int32)


def _flag_column(values, name, P):
    """A column of flags as the code points of 'U1' strings, refused unless
    every one is N, W or E."""
    array = np.ravel(np.broadcast_to(np.asarray(values), P.shape))
    if array.dtype.kind == "S":
        array = np.char.decode(array, "latin-1")
    good = np.isin(array, ["N", "W", "E"]) if array.dtype.kind == "U" else np.zeros(array.shape, dtype=bool)
    if not good.all():
        first = int(np.flatnonzero(~good)[0])
        raise ValueError(f"point {first}: {name} {array[first]!r} is no flag the program writes (N, W or E)")
    return np.ascontiguousarray(array, dtype="U1").view(np.uint32)


def format_logk_out(P, T, result):
    """The bytes of the logk.out that the program writes for these points and
    results: its header and one line per point, each ending in CR LF.
    Indices and flags the program could never write are refused."""
    for name, values in (("P", P), ("T", T), ("lk", result.lk)):
        if isinstance(values, np.ma.MaskedArray):
            raise TypeError(f"{name} is masked: logk.out has a line for every point")
    P, T, _ = _points(P, T)
    lk, _ = _doubles(result.lk, "lk")
    if np.broadcast_shapes(lk.shape, P.shape) != P.shape:
        raise ValueError(f"lk has shape {lk.shape}; the points have {P.shape}: one log K per point")
    return _logk.format_logk_out(P.ravel(), T.ravel(), np.ravel(np.broadcast_to(lk, P.shape)),
                                 _stencil_column(result.pidx, "pidx", 1, 35, P),
                                 _stencil_column(result.tidx, "tidx", 3, 36, P),
                                 _flag_column(result.isoerr, "isoerr", P), _flag_column(result.pterr, "pterr", P))


def write_logk_out(path, P, T, result):
    """Writes format_logk_out(P, T, result) to the file at `path`."""
    text = format_logk_out(P, T, result)
    with open(path, "wb") as out:
        out.write(text)
