"""log K interpolated on a fixed pressure-temperature grid, or on a table's
own nodes, with exactly the results of the program logk, over NumPy arrays.

    import logk
    table = logk.Table.load("quartz.dat")
    own = logk.Table.from_grid(values, pressures, temperatures)  # on nodes of its own: values (m, n), NaN missing
    result = table.interpolate(P, T)          # P in bar, T in degC: scalars or arrays that broadcast
    result.lk, result.pidx, result.tidx, result.isoerr, result.pterr
    table.logk(P, T)                          # log K alone, for xarray.apply_ufunc or dask map_blocks
    reactions = logk.TableSet.load(["quartz.dat", "kw.dat"])
    reactions.logk(P, T)                      # shape P.shape + (2,): every reaction at every point
    logk.interpolate_xarray(reactions, ds.pressure, ds.temperature)  # an xarray.Dataset, flags and all
    T, how = table.temperature_at(100.0, -2.48)  # where log K at 100 bar first reaches -2.48, going up

A Table never changes once made; it pickles, so Dask ships it to workers.
Points may be masked arrays: masked points come back masked. Failures
raise subclasses of logk.Error, which carry the program's message number,
its text, and the line and column where the reader stopped.
"""
import warnings

from . import _logk
from ._errors import Error, FileError, FileNotFound, IgnoredValuesWarning, NotationError, PermissionDenied
from ._arrays import Crossing, Result
from ._tables import Table, TableSet
from ._xarray import interpolate_xarray, pressure_at_xarray, table_from_xarray, temperature_at_xarray
from ._logk_out import format_logk_out, read_points, write_logk_out
from ._logk import build

__all__ = ["Table", "TableSet", "Result", "Crossing", "interpolate_xarray", "temperature_at_xarray",
           "pressure_at_xarray", "table_from_xarray", "read_points", "format_logk_out", "write_logk_out", "build",
           "PGRID", "TGRID", "Error", "FileError", "FileNotFound", "PermissionDenied", "NotationError",
           "IgnoredValuesWarning"]

# The library's version, as the program's --version prints it.
__version__ = _logk.version()

# LOGK_CPU may ask for a build this processor lacks, or name none.
if _logk.build_note():
    warnings.warn(_logk.build_note(), RuntimeWarning, stacklevel=2)

# The grid: pressure nodes in bar, temperature nodes in degrees Celsius.
PGRID = _logk.PGRID
TGRID = _logk.TGRID
PGRID.flags.writeable = False
TGRID.flags.writeable = False

# The public classes print and pickle as the module's own.
for _public in (Error, FileError, FileNotFound, PermissionDenied, NotationError, IgnoredValuesWarning, Result, Crossing,
                Table, TableSet):
    _public.__module__ = __name__
del _public
