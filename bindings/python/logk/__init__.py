"""log K interpolated on a fixed pressure-temperature grid, with exactly the
results of the program logk, over NumPy arrays.

    import logk
    table = logk.Table.load("quartz.dat")
    result = table.interpolate(P, T)          # P in bar, T in degC: scalars or arrays that broadcast
    result.lk, result.pidx, result.tidx, result.isoerr, result.pterr
    table.logk(P, T)                          # log K alone, for xarray.apply_ufunc or dask map_blocks

A Table never changes once made; it pickles, so Dask ships it to workers.
Failures raise subclasses of logk.Error, which carry the program's message
number, its text, and the line and column where the reader stopped.
"""
import numpy as np

from . import _logk

__all__ = ["Table", "Result", "read_points", "format_logk_out", "write_logk_out", "PGRID", "TGRID", "Error",
           "FileError", "FileNotFound", "PermissionDenied", "NotationError"]

# The grid: pressure nodes in bar, temperature nodes in degrees Celsius.
PGRID = _logk.PGRID
TGRID = _logk.TGRID
PGRID.flags.writeable = False
TGRID.flags.writeable = False


class Error(Exception):
    """A file logk could not read. `number` is the program's message number
    (29 file not found, 59 a stray character, 24 the file ends inside the
    table, ...), `text` what the program prints for it, `line` and `column`
    where the reader stopped (0 where it stopped outside a line)."""

    def __init__(self, number, text, line=0, column=0):
        super().__init__(text)
        self.number = number
        self.text = text
        self.line = line
        self.column = column

    def __str__(self):
        return self.text

    def __reduce__(self):
        return type(self), (self.number, self.text, self.line, self.column)


class FileError(Error, OSError):
    """The file could not be opened or read."""


class FileNotFound(FileError, FileNotFoundError):
    """Message 29: the file does not exist."""


class PermissionDenied(FileError, PermissionError):
    """Message 9: the file may not be read."""


class NotationError(Error, ValueError):
    """The file's text is no table or point list: a character that is no
    part of a number (59), a value that cannot be converted (64), a table
    that ends early (24), a line too long for memory (22)."""


_ERRORS = {29: FileNotFound, 9: PermissionDenied, 22: NotationError, 24: NotationError, 59: NotationError,
           64: NotationError}


def _raise(failure):
    number, text, line, column = failure
    raise _ERRORS.get(number, FileError)(number, text, line, column)


def _doubles(values):
    """A float64 array of the values: the array itself where it already is one."""
    return np.asarray(values, dtype=np.float64)


class Result:
    """The results for points of one shape: lk (log K, float64), pidx and tidx
    (the stencil's lowest pressure node, 1-35, and its highest temperature
    node, 3-36), isoerr and pterr (the flags, 'N', 'W' or 'E', dtype 'U1'),
    and where asked dlk_dT and dlk_dP (the slopes of the interpolant, per
    degree and per bar). Scalars for scalar points."""

    __slots__ = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")

    def __init__(self, lk, pidx, tidx, isoerr, pterr, dlk_dT=None, dlk_dP=None):
        self.lk, self.pidx, self.tidx, self.isoerr, self.pterr = lk, pidx, tidx, isoerr, pterr
        self.dlk_dT, self.dlk_dP = dlk_dT, dlk_dP

    def __repr__(self):
        fields = ", ".join(f"{name}={getattr(self, name)!r}" for name in self.__slots__
                           if getattr(self, name) is not None)
        return f"Result({fields})"


class Table:
    """A log K table on the grid PGRID x TGRID, 37 pressures by 36 temperatures."""

    __slots__ = ("_table",)

    def __init__(self, compiled):
        self._table = compiled

    @classmethod
    def load(cls, path):
        """Reads a table file with the program's reader: every notation, every failure."""
        loaded = _logk.load(str(path))
        if isinstance(loaded, tuple):
            _raise(loaded)
        return cls(loaded)

    @classmethod
    def from_values(cls, values):
        """A table from an array-like of shape (37, 36): a row per pressure node, as in the file."""
        array = _doubles(values)
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
        With `out`, a Result of arrays of the points' shape (and slopes where
        `derivatives` is set), those arrays are filled and returned again,
        which saves allocating new ones for every call of a time loop."""
        return self._interpolate(P, T, True, derivatives, out)

    def logk(self, P, T, out=None):
        """log K alone at the points (P, T), an array of their broadcast shape
        (filled into `out`, a float64 array of that shape, where given)."""
        if out is not None:
            out = Result(out, None, None, None, None)
        return self._interpolate(P, T, False, False, out).lk

    def _interpolate(self, P, T, everything, derivatives, out):
        P, T = np.broadcast_arrays(_doubles(P), _doubles(T))
        shape = P.shape
        names = ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP")
        wanted = (True,) + (everything,) * 4 + (derivatives,) * 2
        dtypes = (np.float64, np.int32, np.int32, "U1", "U1", np.float64, np.float64)
        if out is None:
            columns = [np.empty(shape, dtype) if want else None for want, dtype in zip(wanted, dtypes)]
        else:
            columns = [getattr(out, name) if want else None for name, want in zip(names, wanted)]
            for name, column, dtype in zip(names, columns, dtypes):
                if column is not None and (not isinstance(column, np.ndarray) or column.shape != shape
                                           or column.dtype != np.dtype(dtype) or not column.flags.c_contiguous
                                           or not column.flags.writeable):
                    raise ValueError(f"out.{name} must be a writeable, contiguous array of shape {shape} "
                                     f"and dtype {np.dtype(dtype)}")
        flat = [None if column is None else column.reshape(-1) for column in columns]
        flat[3:5] = [None if column is None else column.view(np.uint32) for column in flat[3:5]]
        _logk.interpolate(self._table, P.ravel(), T.ravel(), *flat)
        if out is not None:
            return out
        return Result(*[None if column is None else column[()] for column in columns])

    def __eq__(self, other):
        return isinstance(other, Table) and self._table == other._table

    def __hash__(self):
        return hash(self.values.tobytes())

    def __reduce__(self):
        return Table.from_values, (np.array(self.values),)

    def __repr__(self):
        return "<logk.Table 37 x 36>"


def read_points(path):
    """P and T, float64 arrays, from a point list read as the program reads PT.dat."""
    read = _logk.read_points(str(path))
    if isinstance(read[0], int):
        _raise(read)
    return read


def format_logk_out(P, T, result):
    """The bytes of the logk.out that the program writes for these points and
    results: its header and one line per point, each ending in CR LF."""
    P, T = np.broadcast_arrays(_doubles(P), _doubles(T))
    flat = lambda column: np.ravel(np.broadcast_to(column, P.shape))
    return _logk.format_logk_out(P.ravel(), T.ravel(), flat(result.lk), flat(result.pidx), flat(result.tidx),
                                 np.ascontiguousarray(flat(result.isoerr), dtype="U1").view(np.uint32),
                                 np.ascontiguousarray(flat(result.pterr), dtype="U1").view(np.uint32))


def write_logk_out(path, P, T, result):
    """Writes format_logk_out(P, T, result) to the file at `path`."""
    with open(path, "wb") as out:
        out.write(format_logk_out(P, T, result))
