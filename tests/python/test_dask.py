"""Beyond one process: a Dask cluster of two worker processes computes log K
over a chunked array of 10^6 points, with the table shipped to the workers
by pickling, and gets the bits of one direct call."""
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


def test_the_readmes_xarray_recipe():
    xr = pytest.importorskip("xarray", reason="python3-xarray is not installed")
    table = logk.Table.from_values(made_up_values())
    random = np.random.default_rng(15)
    P = random.uniform(0.5, 6500.0, (40, 50))
    T = random.uniform(-5.0, 720.0, (40, 50))
    ds = xr.Dataset({"pressure": (("y", "x"), P), "temperature": (("y", "x"), T)}).chunk({"y": 10})
    lk = xr.apply_ufunc(table.logk, ds.pressure, ds.temperature, dask="parallelized", output_dtypes=["float64"])
    assert np.array_equal(lk.values.view(np.uint64), table.logk(P, T).view(np.uint64))
