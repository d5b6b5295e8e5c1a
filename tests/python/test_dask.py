"""Beyond one process: a Dask cluster of two worker processes computes log K
over a chunked array of 10^6 points, with the table shipped to the workers
by pickling, and gets the bits of one direct call; and xarray datasets
keep their flags, their chunks and those bits."""
import numpy as np
import pytest

import logk
from conftest import made_up_values

distributed = pytest.importorskip("distributed", reason="python3-distributed is not installed")
da = pytest.importorskip("dask.array", reason="python3-dask is not installed")


def test_two_worker_processes_give_the_bits_of_one_call():
    table = logk.Table.from_values(made_up_values())
    random = np.random.default_rng(14)
    P = np.exp(random.uniform(np.log(0.5), np.log(6500.0), 1000000))
    T = random.uniform(-5.0, 720.0, 1000000)
    direct = table.logk(P, T)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster):
            lazy = da.map_blocks(table.logk, da.from_array(P, chunks=125000), da.from_array(T, chunks=125000),
                                 dtype=np.float64)
            computed = lazy.compute()
    assert np.array_equal(computed.view(np.uint64), direct.view(np.uint64))


def test_xarray_keeps_the_flags_and_the_chunks():
    xr = pytest.importorskip("xarray", reason="python3-xarray is not installed")
    reactions = logk.TableSet.from_values(np.stack([made_up_values(), made_up_values() * 2 - 1]),
                                          names=["quartz", "water"])
    random = np.random.default_rng(15)
    P = random.uniform(0.5, 6500.0, (40, 50))
    T = random.uniform(-5.0, 720.0, (40, 50))
    ds = xr.Dataset({"pressure": (("y", "x"), P), "temperature": (("y", "x"), T)}).chunk({"y": 10})
    lazy = logk.interpolate_xarray(reactions, ds.pressure, ds.temperature, derivatives=True)
    assert lazy.lk.dims == ("y", "x", "reaction") and list(lazy.reaction.values) == ["quartz", "water"]
    assert lazy.lk.chunks[0] == (10, 10, 10, 10) and lazy.pterr.chunks[0] == (10, 10, 10, 10)
    assert lazy.lk.attrs["units"] == "1" and "flag" in lazy.isoerr.attrs["long_name"]
    direct = reactions.interpolate(P, T, derivatives=True)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster):
            computed = lazy.compute()
    for name in ("lk", "pidx", "tidx", "isoerr", "pterr", "dlk_dT", "dlk_dP"):
        assert np.array_equal(computed[name].values, getattr(direct, name)), name
    assert np.array_equal(computed.lk.values.view(np.uint64), direct.lk.view(np.uint64))
    single = logk.interpolate_xarray(logk.Table.from_values(made_up_values()), ds.pressure.compute(), ds.temperature)
    assert set(single.data_vars) == {"lk", "pidx", "tidx", "isoerr", "pterr"} and single.lk.dims == ("y", "x")
    # Points that have a dimension "reaction" of their own: the tables' takes another name.
    by_reaction = ds.pressure.compute().rename(y="reaction")
    with pytest.raises(ValueError, match="pressure has a dimension 'reaction' already.*reaction_dim="):
        logk.interpolate_xarray(reactions, by_reaction, ds.temperature.compute().rename(y="reaction"))
    named = logk.interpolate_xarray(reactions, by_reaction, 300.0, reaction_dim="table")
    assert named.lk.dims == ("reaction", "x", "table") and list(named.table.values) == ["quartz", "water"]
