"""Tables over xarray DataArrays, lazily on Dask-backed data, and tables
made of a DataArray's values on its coordinates."""
import numpy as np

from ._arrays import _DTYPES, _HOW, _NAMES, _PER_TABLE, _range
from ._tables import Table, TableSet

# What interpolate_xarray's variables hold: CF-style units and long names.
_ATTRIBUTES = {
    "lk": {"units": "1", "long_name": "log10 of the equilibrium constant, interpolated"},
    "pidx": {"units": "1", "long_name": "the stencil's lowest pressure node, 1-based in the table's pressures "
                                        "(logk.PGRID, 1 to 35, on the fixed grid)"},
    "tidx": {"units": "1", "long_name": "the stencil's highest temperature node, 1-based in the table's temperatures "
                                        "(logk.TGRID, 3 to 36, on the fixed grid)"},
    "isoerr": {"long_name": "lower pressure limit flag: N none, W stencil moved to higher pressures, "
                            "E pressure below the limit of its temperature"},
    "pterr": {"long_name": "range flag: N within the table's nodes, W within the margin (extrapolated), "
                           "E beyond it (meaningless)"},
    "dlk_dT": {"units": "degC-1", "long_name": "d log K / dT of the interpolant on the point's stencil"},
    "dlk_dP": {"units": "bar-1", "long_name": "d log K / dP of the interpolant on the point's stencil"},
}

# What `how` holds, in the library's words.
_HOW_LONG_NAME = "how: " + "; ".join(f"{how} {words}" for how, words in _HOW.items())


# The `units` an input may carry, as CF writes them; an input without one
# is taken to be in these.
_UNITS = {
    "pressure": ("bar", {"bar", "bars"}),
    "temperature": ("degC", {"degC", "°C", "degree_Celsius", "degrees_Celsius", "degree_C", "degrees_C", "deg_C",
                             "Celsius", "celsius"}),
}


def _check_units(points, name):
    """Refuses an input whose `units` attribute names another unit than logk's."""
    units = getattr(points, "attrs", {}).get("units")
    expected, accepted = _UNITS[name]
    if units is not None and str(units).strip() not in accepted:
        raise ValueError(f"{name} is in {units!r}; logk takes {name} in {expected}: convert it first, "
                         f"and set its units attribute to {expected!r}")


def interpolate_xarray(tables, pressure, temperature, derivatives=False, reaction_dim="reaction"):
    """The results of a Table or a TableSet over xarray DataArrays (pressure
    in bar, temperature in degC, of any dimensions that broadcast; a `units`
    attribute, where they have one, must say so, as CF writes it: "bar",
    "degC", "degree_Celsius", ...; any other raises ValueError), as an
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
    _check_units(pressure, "pressure")
    _check_units(temperature, "temperature")
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


def _crossing_xarray(table, points, lk, between, along_T):
    import xarray as xr
    if not isinstance(table, Table):
        raise TypeError(f"table must be a logk.Table, not {type(table).__name__}")
    name, units = ("temperature", "degC") if along_T else ("pressure", "bar")
    _check_units(points, "pressure" if along_T else "temperature")
    search = table.temperature_at if along_T else table.pressure_at
    between = _range(table._between(between, along_T))  # refused now, not when Dask computes

    def compute(fixed, y):
        found = search(fixed, y, between)
        return np.asarray(found.at), np.asarray(found.how)

    at, how = xr.apply_ufunc(compute, points, lk, output_core_dims=[[], []], dask="parallelized",
                             output_dtypes=[np.float64, np.dtype("U1")])
    at.attrs.update({"units": units, "long_name": f"the first {name} at which log K takes the value"})
    how.attrs.update({"long_name": _HOW_LONG_NAME})
    return xr.Dataset({name: at, "how": how})


def temperature_at_xarray(table, pressure, lk, between=None):
    """Table.temperature_at over xarray DataArrays (pressure in bar, lk the
    values of log K, of dimensions that broadcast), as an xarray.Dataset of
    "temperature" (degC) and "how", with units and long names; lazy on
    Dask-backed data, as interpolate_xarray is."""
    return _crossing_xarray(table, pressure, lk, between, True)


def pressure_at_xarray(table, temperature, lk, between=None):
    """Table.pressure_at over xarray DataArrays, as a Dataset of "pressure"
    (bar) and "how"."""
    return _crossing_xarray(table, temperature, lk, between, False)



def table_from_xarray(da, pressure_dim="pressure", temperature_dim="temperature"):
    """A Table on the nodes of a DataArray of log K, as Table.from_grid makes
    it: `da` has a temperature dimension and, but for a table along one
    line, a pressure dimension (named by the arguments), in either order
    and no other, each with a coordinate of its nodes, strictly ascending
    (da.sortby(...) first where they descend); NaN marks a missing value.
    A coordinate's `units` attribute, where it has one, must say bar and
    degC, as interpolate_xarray checks it.

    A DataArray with the temperature dimension alone is a table along one
    line, log K along the saturation curve as a database lists it (the
    pressure takes no part): its one pressure node is the scalar coordinate
    named `pressure_dim` where it has one (da.sel(pressure=500.0) keeps
    it), and NaN, the saturation line, where it has none. A pressure
    coordinate along the temperatures (the saturation pressures, say) is
    no node: drop it first (da.drop_vars("pressure")). Dask-backed values
    are computed.
        table = logk.table_from_xarray(xr.DataArray(values, coords={"pressure": P, "temperature": T}))"""
    import xarray as xr
    if not isinstance(da, xr.DataArray):
        raise TypeError(f"a table is made of an xarray.DataArray, not {type(da).__name__}")
    dims = tuple(da.dims)
    if temperature_dim not in dims:
        raise ValueError(f"the DataArray has no dimension {temperature_dim!r} among {dims}: name the temperature "
                         f"dimension with temperature_dim=")
    others = [dim for dim in dims if dim not in (pressure_dim, temperature_dim)]
    if others:
        raise ValueError(f"the DataArray has a dimension {others[0]!r} besides {pressure_dim!r} and "
                         f"{temperature_dim!r}: a table holds one log K a node (select one first, or name the "
                         f"pressure dimension with pressure_dim=)")
    for dim in dims:
        if dim not in da.coords:
            raise ValueError(f"the dimension {dim!r} has no coordinate: a table needs its nodes")
    _check_units(da.coords[temperature_dim], "temperature")
    temperatures = da.coords[temperature_dim].values
    if pressure_dim in dims:
        _check_units(da.coords[pressure_dim], "pressure")
        da = da.transpose(pressure_dim, temperature_dim)
        return Table.from_grid(da.values, da.coords[pressure_dim].values, temperatures)
    line = da.coords.get(pressure_dim)
    if line is not None:
        _check_units(line, "pressure")
        if line.ndim != 0:
            raise ValueError(f"the coordinate {pressure_dim!r} lies along {line.dims}: a table along one line has "
                             f"one pressure node, a scalar coordinate, or none for the saturation line "
                             f"(da.drop_vars({pressure_dim!r}))")
    pressures = [np.nan] if line is None else [line.values[()]]
    return Table.from_grid(da.values[np.newaxis, :], pressures, temperatures)
