"""log K interpolated on a fixed pressure-temperature grid, with exactly the
results of the program logk, over NumPy arrays.

    import logk
    table = logk.Table.load("quartz.dat")
    result = table.interpolate(P, T)          # P in bar, T in degC: scalars or arrays that broadcast
    result.lk, result.pidx, result.tidx, result.isoerr, result.pterr
    table.logk(P, T)                          # log K alone, for xarray.apply_ufunc or dask map_blocks
    reactions = logk.TableSet.load(["quartz.dat", "kw.dat"])
    reactions.logk(P, T)                      # shape P.shape + (2,): every reaction at every point
    logk.interpolate_xarray(reactions, ds.pressure, ds.temperature)  # an xarray.Dataset, flags and all

A Table never changes once made; it pickles, so Dask ships it to workers.
Points may be masked arrays: masked points come back masked. Failures
raise subclasses of logk.Error, which carry the program's message number,
its text, and the line and column where the reader stopped.
"""
import os

import numpy as np

from . import _logk

__all__ = ["Table", "TableSet", "Result", "interpolate_xarray", "read_points", "format_logk_out", "write_logk_out",
           "PGRID", "TGRID", "Error", "FileError", "FileNotFound", "PermissionDenied", "NotationError"]

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


def _failed(read):
    return isinstance(read, tuple) and len(read) == 5 and isinstance(read[0], int)


def _read(function, path, kind):
    read = function(_path(path))
    if _failed(read):
        _raise(read[:4], os.fspath(path), kind)
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


class _Tables:
    """What a Table and a TableSet share: the batch calls over NumPy arrays."""

    __slots__ = ()

    def _count(self):
        return None

    def interpolate(self, P, T, derivatives=False, out=None):
        """The program's results at the points (P, T), which broadcast together.
        With `out`, a Result of arrays of the points' shape, every array it
        holds is filled (the slopes too, where it has them) and it is
        returned again: a time loop need not allocate new arrays each step.
        It must hold the slopes' arrays where `derivatives` asks for them."""
        wanted = _NAMES if derivatives else _NAMES[:5]
        return _compute(self._compiled, self._count(), P, T, wanted, out)

    def logk(self, P, T, out=None):
        """log K alone at the points (P, T) (filled into `out`, a float64 array
        of the shape of the results' lk, where given)."""
        if out is not None:
            out = Result(out, None, None, None, None)
        return _compute(self._compiled, self._count(), P, T, ("lk",), out).lk


class Table(_Tables):
    """A log K table on the grid PGRID x TGRID, 37 pressures by 36 temperatures."""

    __slots__ = ("_compiled",)

    def __init__(self, compiled):
        self._compiled = compiled

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
        values = self._compiled.values().reshape(37, 36)
        values.flags.writeable = False
        return values

    # The calls of _Tables, with a quick path for two plain numbers.
    def interpolate(self, P, T, derivatives=False, out=None):
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS:
            try:
                at = _logk.point(self._compiled, P, T, bool(derivatives))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
            else:
                slopes = (np.float64(at[5]), np.float64(at[6])) if derivatives else ()
                return Result(np.float64(at[0]), _INDICES[at[1]], _INDICES[at[2]], _FLAGS[at[3]], _FLAGS[at[4]],
                              *slopes)
        return super().interpolate(P, T, derivatives, out)

    def logk(self, P, T, out=None):
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS:
            try:
                return np.float64(_logk.point_logk(self._compiled, P, T))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
        return super().logk(P, T, out)

    def __eq__(self, other):
        return isinstance(other, Table) and self._compiled == other._compiled

    def __hash__(self):
        return hash(self.values.tobytes())

    def __reduce__(self):
        return Table.from_values, (np.array(self.values),)

    def __repr__(self):
        return "<logk.Table 37 x 36>"


Table.interpolate.__doc__ = _Tables.interpolate.__doc__
Table.logk.__doc__ = _Tables.logk.__doc__


class TableSet(_Tables):
    """Tables of many reactions on the grid PGRID x TGRID, each with a name:
    every point's stencil and flags are chosen once, and log K of every
    table follows, each with the bits its own Table gives. Results hold lk
    (and the slopes) of shape points + (number of tables,), the last axis
    in the order of `names`; pidx, tidx, isoerr and pterr of the points'
    shape. s["quartz"] and s[0] give a Table."""

    __slots__ = ("_compiled", "_names")

    def __init__(self, compiled):
        self._compiled = compiled
        self._names = tuple(compiled.names())

    def _count(self):
        return len(self._names)

    @staticmethod
    def _names_for(names, count):
        if names is None:
            return None
        names = [str(name) for name in names]
        if len(names) != count:
            raise ValueError(f"{len(names)} names for {count} tables")
        twice = sorted({name for name in names if names.count(name) > 1})
        if twice:
            raise ValueError(f"two tables are named {twice[0]!r}: give each its own name (names=)")
        return names

    @classmethod
    def load(cls, paths, names=None):
        """Reads each file with the program's reader. `paths` is a list of
        paths (as open() takes them; names default to the files' stems) or
        a mapping from name to path. A file that cannot be read raises its
        logk.Error, whose path is that file's."""
        if hasattr(paths, "keys"):
            if names is not None:
                raise TypeError("give the names as the mapping's keys or as names=, not both")
            names, paths = list(paths.keys()), list(paths.values())
        paths = list(paths)
        if not paths:
            raise ValueError("a set needs at least one table")
        files = [_path(path) for path in paths]
        if names is None:
            names = [os.path.splitext(os.path.basename(os.fsdecode(name)))[0] for name in files]
        read = _logk.load_set(files, cls._names_for(names, len(files)))
        if _failed(read):
            failed = read[4]
            path = next((os.fspath(path) for path, name in zip(paths, files) if name == failed), failed)
            _raise(read[:4], path, "table")
        return cls(read)

    @classmethod
    def from_values(cls, values, names=None):
        """A set from an array-like of shape (R, 37, 36): R tables, each a row
        per pressure node, as in the file. Names default to "0", "1", ..."""
        count = np.shape(values)[0] if np.ndim(values) == 3 else 0
        if count > _logk.MOST_TABLES:  # before the float64 copy is tried: a broadcast view holds no memory
            raise ValueError(f"a count of {count} tables is too large (at most {_logk.MOST_TABLES})")
        array, _ = _doubles(values, "values")
        if array.ndim != 3 or array.shape[1:] != (37, 36) or array.shape[0] == 0:
            raise ValueError(f"a set has shape (R, 37, 36), R tables of a row per pressure node, not {array.shape}")
        names = cls._names_for(names, array.shape[0]) or [str(r) for r in range(array.shape[0])]
        return cls(_logk.set_from_values(np.ascontiguousarray(array).ravel(), names))

    @classmethod
    def from_tables(cls, tables, names=None):
        """A set of the Tables given, in their order. Names default to "0", "1", ..."""
        tables = list(tables)
        if not tables or not all(isinstance(table, Table) for table in tables):
            raise TypeError("a set is made of one or more logk.Table objects")
        names = cls._names_for(names, len(tables)) or [str(r) for r in range(len(tables))]
        return cls(_logk.set_from_tables([table._compiled for table in tables], names))

    @property
    def names(self):
        """The tables' names, in the order of the last axis of lk."""
        return self._names

    def __len__(self):
        return len(self._names)

    def __getitem__(self, key):
        """The table named `key`, or the table at index `key`, as a Table."""
        if isinstance(key, str):
            if key not in self._names:
                raise KeyError(key)
            key = self._names.index(key)
        index = range(len(self._names))[key]  # an IndexError for one out of range, and negative ones count back
        return Table(self._compiled.table(index))

    @property
    def values(self):
        """The tables, read-only, shape (R, 37, 36)."""
        values = self._compiled.values().reshape(-1, 37, 36)
        values.flags.writeable = False
        return values

    def __eq__(self, other):
        return isinstance(other, TableSet) and self._compiled == other._compiled

    def __hash__(self):
        return hash((self._names, self.values.tobytes()))

    def __reduce__(self):
        return TableSet.from_values, (np.array(self.values), list(self._names))

    def __repr__(self):
        return f"<logk.TableSet of {len(self._names)}: {', '.join(self._names)}>"


# What interpolate_xarray's variables hold: CF-style units and long names.
_ATTRIBUTES = {
    "lk": {"units": "1", "long_name": "log10 of the equilibrium constant, interpolated"},
    "pidx": {"units": "1", "long_name": "the stencil's lowest pressure node, 1-based in logk.PGRID (1 to 35)"},
    "tidx": {"units": "1", "long_name": "the stencil's highest temperature node, 1-based in logk.TGRID (3 to 36)"},
    "isoerr": {"long_name": "lower pressure limit flag: N none, W stencil moved to higher pressures, "
                            "E pressure below the limit of its temperature"},
    "pterr": {"long_name": "range flag: N within the grid, W within the margin (extrapolated), "
                           "E beyond it (meaningless)"},
    "dlk_dT": {"units": "degC-1", "long_name": "d log K / dT of the interpolant on the point's stencil"},
    "dlk_dP": {"units": "bar-1", "long_name": "d log K / dP of the interpolant on the point's stencil"},
}


def interpolate_xarray(tables, pressure, temperature, derivatives=False, reaction_dim="reaction"):
    """The results of a Table or a TableSet over xarray DataArrays (pressure
    in bar, temperature in degC, of any dimensions that broadcast), as an
    xarray.Dataset: lk, pidx, tidx, isoerr and pterr, and dlk_dT and dlk_dP
    where `derivatives` asks for them, each with units and a long name. For
    a set, lk and the slopes have a last dimension named `reaction_dim`
    ("reaction" unless the points have a dimension of that name already)
    whose coordinate is the tables' names. Dask-backed inputs give a lazy
    Dataset with their chunks, computed wherever Dask runs it (tables
    pickle)."""
    import xarray as xr  # only here: the module needs no xarray otherwise
    if not isinstance(tables, (Table, TableSet)):
        raise TypeError(f"tables must be a logk.Table or a logk.TableSet, not {type(tables).__name__}")
    is_set = isinstance(tables, TableSet)
    for name, points in (("pressure", pressure), ("temperature", temperature)):
        if is_set and reaction_dim in getattr(points, "dims", ()):
            raise ValueError(f"{name} has a dimension {reaction_dim!r} already, the name of the tables' dimension: "
                             f"choose another with reaction_dim=")
    names = _NAMES if derivatives else _NAMES[:5]
    per_table = dict(zip(_NAMES, _PER_TABLE))
    dtypes = dict(zip(_NAMES, _DTYPES))

    def compute(P, T):
        result = tables.interpolate(P, T, derivatives=derivatives)
        return tuple(np.asarray(getattr(result, name)) for name in names)

    core = [[reaction_dim] if is_set and per_table[name] else [] for name in names]
    outputs = xr.apply_ufunc(compute, pressure, temperature, output_core_dims=core, dask="parallelized",
                             output_dtypes=[dtypes[name] for name in names],
                             dask_gufunc_kwargs={"output_sizes": {reaction_dim: len(tables)}} if is_set else None)
    dataset = xr.Dataset({name: output for name, output in zip(names, outputs)})
    if is_set:
        dataset = dataset.assign_coords({reaction_dim: list(tables.names)})
    for name in names:
        dataset[name].attrs.update(_ATTRIBUTES[name])
    return dataset


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
