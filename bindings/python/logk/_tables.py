"""Tables and sets of tables, and their calls over NumPy arrays."""
import os

import numpy as np

from . import _logk
from ._arrays import _NAMES, Result, _compute, _crossings, _doubles, _workers
from ._errors import _path, _read, _warn_notes

# Plain numbers a scalar call takes without making arrays.
_SCALARS = frozenset({float, int, np.float64, np.float32, np.float16, np.int64, np.int32, np.int16, np.int8,
                      np.uint64, np.uint32, np.uint16, np.uint8})
_INDICES = [np.int32(k) for k in range(40)]


def _one_thread(workers):
    """True, once the library has taken `workers` as the array calls take
    it (a scalar call keeps to one thread whatever it is)."""
    return (type(workers) is int and workers == 1) or _logk.workers_threads(_workers(workers)) > 0
_FLAGS = {flag: np.str_(flag) for flag in "NWE"}


class _Tables:
    """What a Table and a TableSet share: the batch calls over NumPy arrays."""

    __slots__ = ()

    def _count(self):
        return None

    def interpolate(self, P, T, derivatives=False, out=None, workers=1):
        """The program's results at the points (P, T), which broadcast together.
        With `out`, a Result of arrays of the points' shape, every array it
        holds is filled (the slopes too, where it has them) and it is
        returned again: a time loop need not allocate new arrays each step.
        It must hold the slopes' arrays where `derivatives` asks for them.
        `workers` threads share the work, as SciPy counts them: 1 the calling
        thread alone, k up to k threads, 0 and -1 every core, -k every core
        but k - 1 (ValueError where that leaves no thread); the results are
        the same bits whatever it is, and calls of fewer than 16384 values
        keep to one thread."""
        wanted = _NAMES if derivatives else _NAMES[:5]
        return _compute(self._compiled, self._count(), P, T, wanted, out, workers)

    def logk(self, P, T, out=None, workers=1):
        """log K alone at the points (P, T) (filled into `out`, a float64 array
        of the shape of the results' lk, where given), on `workers` threads."""
        if out is not None:
            out = Result(out, None, None, None, None)
        return _compute(self._compiled, self._count(), P, T, ("lk",), out, workers).lk


class Table(_Tables):
    """A log K table: on the grid PGRID x TGRID, 37 pressures by 36
    temperatures (Table.load of a table file, Table.from_values), or on
    nodes of its own (Table.from_grid, Table.load of a file that names its
    nodes, logk.table_from_xarray), whose rules the library states once
    for every face (logk.h). `pressures`, `temperatures` and `values` say
    which."""

    __slots__ = ("_compiled",)

    def __init__(self, compiled):
        self._compiled = compiled

    @classmethod
    def load(cls, path):
        """Reads a table file with the program's reader: every notation, every
        failure. `path` as open() takes it. What the reading passes over, as
        the program does (values past the 36th of a row, a null value,
        values after the table), gives an IgnoredValuesWarning. A file that
        names its own nodes (a header of a word and the temperatures, then a
        row a pressure node: examples/vapour_side.dat) makes a table on
        them, as from_grid does."""
        compiled, notes = _read(_logk.read_table, path, "table")
        _warn_notes([(os.fspath(path), notes)])
        return cls(compiled)

    @classmethod
    def from_values(cls, values):
        """A table from an array-like of shape (37, 36): a row per pressure node, as in the file."""
        array, _ = _doubles(values, "values")
        if array.shape != (37, 36):
            raise ValueError(f"a table has shape (37, 36), one row per pressure node, not {array.shape}")
        return cls(_logk.table_from_values(np.ascontiguousarray(array).ravel()))

    @classmethod
    def from_grid(cls, values, pressures, temperatures):
        """A table on nodes of its own: `values` an array-like of shape (m, n),
        a row per pressure node, log K at pressures[i] (bar) and
        temperatures[j] (degC), NaN or masked where the table has none (the
        vapour side, say); infinite values are values. The nodes ascend
        strictly and are finite; n >= 3, and m >= 3, or m = 1 for a table
        along one line (log K along the saturation curve: the pressure takes
        no part, and its one node may be NaN). What the library refuses
        raises ValueError in its words; values and nodes hold integers or
        floats, as points do.
            Table.from_grid([[-2.0, -1.8, -1.5], [-2.1, -1.9, -1.6], [-2.2, -2.0, -1.7]],
                            [100.0, 500.0, 1000.0], [25.0, 100.0, 200.0])
            Table.from_grid([[-8.38, -8.48, -8.75, -9.13]], [np.nan], [0.01, 25.0, 60.0, 100.0])"""
        pressures, _ = _doubles(pressures, "pressures")
        temperatures, _ = _doubles(temperatures, "temperatures")
        array, _ = _doubles(values, "values")
        for name, nodes in (("pressures", pressures), ("temperatures", temperatures)):
            if nodes.ndim != 1:
                raise ValueError(f"{name} must be one-dimensional, a node a value, not of shape {nodes.shape}")
        shape = (pressures.size, temperatures.size)
        if array.shape != shape:
            raise ValueError(f"values of shape {array.shape} for {shape[0]} pressures by {shape[1]} temperatures: "
                             f"a table on its own nodes has shape {shape}, a row per pressure node")
        return cls(_logk.table_from_grid(np.ascontiguousarray(pressures), np.ascontiguousarray(temperatures),
                                         np.ascontiguousarray(array).ravel()))

    def _nodes(self):
        """(pressures, temperatures, whether they are the table's own)."""
        pressures, temperatures, own = self._compiled.nodes()
        pressures.flags.writeable = temperatures.flags.writeable = False
        return pressures, temperatures, own

    @property
    def pressures(self):
        """The pressure nodes in bar, read-only: PGRID on the fixed grid, else the table's own."""
        return self._nodes()[0]

    @property
    def temperatures(self):
        """The temperature nodes in degC, read-only: TGRID on the fixed grid, else the table's own."""
        return self._nodes()[1]

    @property
    def values(self):
        """The table, read-only, a row per pressure node: shape (37, 36) on the
        fixed grid, (m, n) on nodes of its own (NaN where it has no value)."""
        values = self._compiled.values()
        values.flags.writeable = False
        return values

    # The calls of _Tables, with a quick path for two plain numbers (one
    # thread whatever `workers` is, once it is checked).
    def interpolate(self, P, T, derivatives=False, out=None, workers=1):
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS and _one_thread(workers):
            try:
                at = _logk.point(self._compiled, P, T, bool(derivatives))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
            else:
                slopes = (np.float64(at[5]), np.float64(at[6])) if derivatives else ()
                return Result(np.float64(at[0]), _INDICES[at[1]], _INDICES[at[2]], _FLAGS[at[3]], _FLAGS[at[4]],
                              *slopes)
        return super().interpolate(P, T, derivatives, out, workers)

    def logk(self, P, T, out=None, workers=1):
        if out is None and type(P) in _SCALARS and type(T) in _SCALARS and _one_thread(workers):
            try:
                return np.float64(_logk.point_logk(self._compiled, P, T))
            except TypeError:  # an int beyond the doubles: the array path says why
                pass
        return super().logk(P, T, out, workers)

    def _between(self, between, along_T):
        """`between`, or the table's first and last nodes of the axis where it is None."""
        if between is not None:
            return between
        nodes = self.temperatures if along_T else self.pressures
        return (float(nodes[0]), float(nodes[-1]))

    def temperature_at(self, P, lk, between=None, workers=1):
        """The first temperature, going up through `between` (degC; by default
        from the table's first temperature node to its last: 0.01 to 600 on
        the fixed grid), at which
        log K at pressure P (as interpolate gives it, to the bit) crosses lk:
        the double T such that log K at the double just below T lies on the
        other side of lk, or equals lk at T. P and lk broadcast; returns a
        Crossing (at, how). The stencil and flags there are interpolate(P, at)'s.
        `workers` as for interpolate: the same bits whatever it is.
            T, how = quartz.temperature_at(100.0, np.log10(200 / 1000 / 60.08))"""
        return _crossings(self._compiled, True, P, lk, self._between(between, True), "P", workers)

    def pressure_at(self, T, lk, between=None, workers=1):
        """The same going up in pressure through `between` (bar; by default
        the table's first pressure node to its last: 1 to 5000 on the fixed
        grid) at temperature T."""
        return _crossings(self._compiled, False, T, lk, self._between(between, False), "T", workers)

    def _key(self):
        """What makes two tables one: the kind of their nodes, the nodes and
        the values, each double by its bits."""
        pressures, temperatures, own = self._nodes()
        return own, pressures.tobytes(), temperatures.tobytes(), self.values.tobytes()

    def __eq__(self, other):
        return isinstance(other, Table) and self._key() == other._key()

    def __hash__(self):
        return hash(self._key())

    def __reduce__(self):
        pressures, temperatures, own = self._nodes()
        if own:  # a table along the saturation line too: its one pressure node NaN
            return Table.from_grid, (np.array(self.values), np.array(pressures), np.array(temperatures))
        return Table.from_values, (np.array(self.values),)

    def __repr__(self):
        pressures, temperatures, own = self._nodes()
        nodes = "" if not own else " along one line" if pressures.size == 1 else " on its own nodes"
        return f"<logk.Table {pressures.size} x {temperatures.size}{nodes}>"


Table.interpolate.__doc__ = _Tables.interpolate.__doc__
Table.logk.__doc__ = _Tables.logk.__doc__


class TableSet(_Tables):
    """Tables of many reactions, each with a name, on the grid PGRID x TGRID
    or on nodes of their own (the same nodes, and the same missing values,
    for every table): every point's stencil and flags are chosen once, and
    log K of every table follows, each with the bits its own Table gives.
    Results hold lk (and the slopes) of shape points + (number of tables,),
    the last axis in the order of `names`; pidx, tidx, isoerr and pterr of
    the points' shape. s["quartz"] and s[0] give a Table."""

    __slots__ = ("_compiled", "_names")

    def __init__(self, compiled, names):
        self._compiled = compiled
        self._names = tuple(names)

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
        logk.Error, whose path is that file's; the first line of the files
        of each kind that Table.load warns of gives an
        IgnoredValuesWarning, naming its file."""
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
        names = cls._names_for(names, len(files))
        tables, noted = [], []
        for path in paths:
            table, notes = _read(_logk.read_table, path, "table")
            tables.append(table)
            noted.append((os.fspath(path), notes))
        _warn_notes(noted)
        return cls(_logk.set_from_tables(tables), names)

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
        return cls(_logk.set_from_values(np.ascontiguousarray(array).ravel()), names)

    @classmethod
    def from_tables(cls, tables, names=None):
        """A set of the Tables given, in their order. Names default to "0", "1", ...
        Tables on different nodes (the fixed grid and nodes of their own, or
        two tables' own nodes), or on nodes of their own that miss different
        values, are refused with a ValueError in the library's words."""
        tables = list(tables)
        if not tables or not all(isinstance(table, Table) for table in tables):
            raise TypeError("a set is made of one or more logk.Table objects")
        names = cls._names_for(names, len(tables)) or [str(r) for r in range(len(tables))]
        return cls(_logk.set_from_tables([table._compiled for table in tables]), names)

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
        """The tables, read-only, shape (R, 37, 36) on the fixed grid, (R, m, n)
        on nodes of their own."""
        values = self._compiled.values()
        values.flags.writeable = False
        return values

    def _key(self):
        pressures, temperatures, own = self[0]._nodes()
        return self._names, own, pressures.tobytes(), temperatures.tobytes(), self.values.tobytes()

    def __eq__(self, other):
        return isinstance(other, TableSet) and self._key() == other._key()

    def __hash__(self):
        return hash(self._key())

    def __reduce__(self):
        if self[0]._nodes()[2]:
            return TableSet.from_tables, ([self[r] for r in range(len(self))], list(self._names))
        return TableSet.from_values, (np.array(self.values), list(self._names))

    def __repr__(self):
        pressures, temperatures, own = self[0]._nodes()
        nodes = f", {pressures.size} x {temperatures.size} on their own nodes" if own else ""
        return f"<logk.TableSet of {len(self._names)}{nodes}: {', '.join(self._names)}>"
