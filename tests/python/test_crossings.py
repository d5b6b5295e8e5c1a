"""The interpolation backwards from Python: the module's answers meet the
definition as the module's own interpolate sees it, and take NumPy's and
xarray's ways as interpolate does."""
import numpy as np
import pytest

import logk
from conftest import EXAMPLE_TABLE, c_library


@pytest.fixture
def quartz():
    return logk.Table.load(EXAMPLE_TABLE)


def test_answers_bracket_the_value(quartz):
    random = np.random.default_rng(24)
    P = random.uniform(1.0, 5000.0, 2000)
    y = quartz.logk(P, random.uniform(0.01, 600.0, 2000))
    T, how = quartz.temperature_at(P, y)
    assert set(np.unique(how)) <= {"C", "J"}
    here, before = quartz.logk(P, T), quartz.logk(P, np.nextafter(T, -np.inf))
    assert np.all((here == y) | (np.sign(here - y) == -np.sign(before - y)))
    at, _ = quartz.pressure_at(300.0, quartz.logk(np.array([500.0, 2000.0, 4500.0]), 300.0))
    assert np.allclose(at, [500.0, 2000.0, 4500.0], rtol=1e-9)  # the default range reaches 5000 bar


def test_shapes_masks_and_refusals(quartz):
    found = quartz.temperature_at(np.array([[100.0], [500.0]]), np.array([-2.8, -2.5, 10.0]))
    assert found.at.shape == found.how.shape == (2, 3) and found.how.dtype == np.dtype("U1")
    assert list(found.how[:, 2]) == ["N", "N"] and np.isnan(found.at[:, 2]).all()
    T, how = quartz.temperature_at(100.0, -2.5)
    assert isinstance(T, np.float64) and how == "C"
    masked = quartz.temperature_at(np.ma.masked_array([100.0, 200.0], mask=[0, 1]), -2.5)
    assert masked.at.mask.tolist() == [False, True] and masked.how.mask.tolist() == [False, True]
    assert quartz.temperature_at(100.0, -2.5, between=(300.0, 200.0)).how == "N"
    assert quartz.temperature_at(100.0, -2.5, between=(np.float32(0.01), np.int64(600))).how == "C"
    with pytest.raises(TypeError, match="bool"):
        quartz.temperature_at(np.array([True]), -2.5)
    for between in ((True, 600.0), ("0.01", "600"), 5.0, (0.01, 300.0, 600.0), (0.01,), ([0.01], 600.0)):
        with pytest.raises(TypeError, match="between must be two numbers"):
            quartz.temperature_at(100.0, -2.5, between=between)


def test_xarray_keeps_the_dimensions_and_stays_lazy(quartz):
    xr = pytest.importorskip("xarray", reason="python3-xarray is not installed")
    pytest.importorskip("dask.array", reason="python3-dask is not installed")
    pressure = xr.DataArray([[100.0, 200.0], [300.0, 400.0]], dims=("y", "x")).chunk({"y": 1})
    values = xr.DataArray([-2.7, -2.4], dims="x")
    lazy = logk.temperature_at_xarray(quartz, pressure, values)
    assert lazy.temperature.chunks is not None and lazy.temperature.attrs["units"] == "degC"
    direct = quartz.temperature_at(pressure.values, values.values)
    computed = lazy.compute()
    assert np.array_equal(computed.temperature.values, direct.at) and np.array_equal(computed.how.values, direct.how)
    by_pressure = logk.pressure_at_xarray(quartz, xr.DataArray([300.0], dims="z"), -2.2)
    assert by_pressure.pressure.dims == ("z",) and by_pressure.pressure.attrs["units"] == "bar"
    with pytest.raises(TypeError, match="between must be two numbers"):  # when the graph is built
        logk.temperature_at_xarray(quartz, pressure, values, between=5.0)


# Inputs whose units attribute says bar and degrees Celsius, as CF writes
# them, are taken; MPa and kelvin are refused, naming both units; inputs
# without one are taken as before.
@pytest.mark.parametrize("pressure_units, temperature_units, refused", [
    (None, None, None), ("bar", "degC", None), ("bar", "degree_Celsius", None), ("bar", "°C", None),
    ("MPa", "degC", "pressure is in 'MPa'; logk takes pressure in bar"),
    ("bar", "K", "temperature is in 'K'; logk takes temperature in degC"),
])
def test_xarray_units(quartz, pressure_units, temperature_units, refused):
    xr = pytest.importorskip("xarray", reason="python3-xarray is not installed")

    def points(values, units):
        return xr.DataArray(values, dims="x", attrs={} if units is None else {"units": units})

    pressure, temperature = points([100.0, 200.0], pressure_units), points([150.0, 250.0], temperature_units)
    calls = {  # each call, and the inputs it takes
        "interpolate": (lambda: logk.interpolate_xarray(quartz, pressure, temperature), ("pressure", "temperature")),
        "temperature_at": (lambda: logk.temperature_at_xarray(quartz, pressure, -2.5), ("pressure",)),
        "pressure_at": (lambda: logk.pressure_at_xarray(quartz, temperature, -2.5), ("temperature",)),
    }
    for name, (call, inputs) in calls.items():
        if refused is not None and refused.split()[0] in inputs:
            with pytest.raises(ValueError, match=refused):
                call()
        else:
            call()


# The words for how are the library's, in Crossing's docstring and in the
# long name of an xarray result's how.
def test_how_is_said_in_the_librarys_words(quartz):
    library = c_library()
    meanings = {how: library.logk_how_meaning(how.encode()).decode() for how in "CJRN"}
    for how, words in meanings.items():
        assert f"'{how}': {words}\n" in logk.Crossing.__doc__, how
    xr = pytest.importorskip("xarray", reason="python3-xarray is not installed")
    long_name = logk.temperature_at_xarray(quartz, xr.DataArray([100.0]), -2.5).how.attrs["long_name"]
    assert long_name == "how: " + "; ".join(f"{how} {words}" for how, words in meanings.items())


# The search runs on the workers with the bits of one thread, and takes
# workers as interpolate does.
def test_workers_give_the_bits_of_one(quartz):
    random = np.random.default_rng(25)
    P = random.uniform(1.0, 5000.0, 3000)
    y = quartz.logk(P, random.uniform(0.01, 600.0, 3000))
    one = quartz.temperature_at(P, y)
    for workers in (2, 0, -1):
        got = quartz.temperature_at(P, y, workers=workers)
        assert np.array_equal(got.at.view(np.uint64), one.at.view(np.uint64)) and np.array_equal(got.how, one.how)
    for bad, error in ((-10_000, ValueError), (1.5, TypeError)):
        with pytest.raises(error):
            quartz.pressure_at(300.0, -2.5, workers=bad)
