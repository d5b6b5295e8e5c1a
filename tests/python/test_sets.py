"""Table sets as a Python user makes and calls them."""
import os
import pickle

import numpy as np
import pytest

import logk
from conftest import made_up_values, table_text

SOURCE = os.environ.get("LOGK_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(__file__))))
EXAMPLES = os.path.join(SOURCE, "examples")


@pytest.fixture
def tables():
    return [logk.Table.from_values(made_up_values() * (1 + r) - r) for r in range(3)]


@pytest.fixture
def reactions(tables):
    return logk.TableSet.from_tables(tables, names=["a", "b", "c"])


def test_made_from_files_values_or_tables(tmp_path, tables, reactions):
    paths = []
    for name, table in zip("abc", tables):
        paths.append(tmp_path / f"{name}.dat")
        paths[-1].write_text(table_text(table.values))
    assert logk.TableSet.load(paths) == reactions  # names from the stems
    assert logk.TableSet.load(dict(zip("abc", map(os.fsencode, paths)))) == reactions
    assert logk.TableSet.from_values(np.stack([t.values for t in tables]), names="abc") == reactions
    assert reactions.names == ("a", "b", "c") and len(reactions) == 3
    assert reactions["b"] == tables[1] and reactions[0] == tables[0] and reactions[-1] == tables[2]
    assert np.array_equal(reactions.values[2], tables[2].values) and not reactions.values.flags.writeable
    assert pickle.loads(pickle.dumps(reactions)) == reactions
    assert logk.TableSet.from_tables(tables) != reactions  # names "0", "1", "2"
    with pytest.raises(KeyError):
        reactions["quartz"]
    with pytest.raises(IndexError):
        reactions[3]


@pytest.mark.parametrize("make, says", [
    (lambda t: logk.TableSet.from_tables([]), "one or more logk.Table"),
    (lambda t: logk.TableSet.from_tables(t, names=["a", "a", "b"]), "two tables are named 'a'"),
    (lambda t: logk.TableSet.from_tables(t, names=["a"]), "1 names for 3 tables"),
    (lambda t: logk.TableSet.from_values(np.zeros((37, 36))), r"shape \(R, 37, 36\)"),
    (lambda t: logk.TableSet.from_values(np.broadcast_to(np.int8(0), (2**50, 37, 36))),
     "count of 1125899906842624 tables is too large"),
    (lambda t: logk.TableSet.load([os.path.join(EXAMPLES, "quartz.dat")] * 2), "two tables are named 'quartz'"),
])
def test_refused(tables, make, says):
    with pytest.raises((ValueError, TypeError), match=says):
        make(tables)


def test_a_failed_file_is_its_error(tmp_path):
    bad = tmp_path / "bad.dat"
    bad.write_text("1 2 x\n")
    with pytest.raises(logk.NotationError) as raised:
        logk.TableSet.load([os.path.join(EXAMPLES, "quartz.dat"), bad])
    assert raised.value.path == str(bad) and str(raised.value).startswith(f"{bad}, line 1, column 5:")


# Every reaction of a set gives its own table's bits; the stencil and the
# flags are the points'.
def test_each_reaction_is_its_tables(tables, reactions):
    P = np.array([[500.0, 0.5, 7000.0], [170.0, np.nan, -1.0]])
    T = np.array([300.0, 200.0, 650.0])
    result = reactions.interpolate(P, T, derivatives=True)
    assert result.lk.shape == result.dlk_dT.shape == (2, 3, 3) and result.pidx.shape == (2, 3)
    for r, table in enumerate(tables):
        alone = table.interpolate(P, T, derivatives=True)
        for name in ("lk", "dlk_dT", "dlk_dP"):
            assert np.array_equal(getattr(result, name)[..., r].view(np.uint64), getattr(alone, name).view(np.uint64))
        for name in ("pidx", "tidx", "isoerr", "pterr"):
            assert np.array_equal(getattr(result, name), getattr(alone, name))
    one = reactions.interpolate(500.0, 300.0)
    assert one.lk.shape == (3,) and isinstance(one.pidx, np.integer)
    assert np.array_equal(reactions.logk(P, T).view(np.uint64), result.lk.view(np.uint64))


def test_out_masks_and_overlap(reactions):
    P = np.linspace(0.5, 6500.0, 12).reshape(3, 4)
    expected = reactions.interpolate(P, 300.0, derivatives=True)
    out = reactions.interpolate(P * 0 + 100, 300.0, derivatives=True)
    assert reactions.interpolate(P, 300.0, out=out) is out
    for name in ("lk", "pidx", "pterr", "dlk_dP"):
        assert np.array_equal(getattr(out, name), getattr(expected, name)), name
    with pytest.raises(ValueError, match=r"out.lk has shape \(3, 4\); the points need \(3, 4, 3\)"):
        reactions.logk(P, 300.0, out=np.empty((3, 4)))
    masked = reactions.logk(np.ma.masked_array([500.0, 600.0], mask=[0, 1]), 300.0)
    assert masked.mask.tolist() == [[False] * 3, [True] * 3]
    lk = np.concatenate([P.ravel(), np.zeros(24)])  # log K over P itself
    reactions.logk(lk[:12], 300.0, out=lk.reshape(12, 3))
    assert np.array_equal(lk.reshape(12, 3), expected.lk.reshape(12, 3))


# Every number of workers gives the bits of one thread, for a table and a
# set; workers are counted as SciPy counts them (0, as -1, every core).
def test_workers_give_the_bits_of_one(tables, reactions):
    random = np.random.default_rng(23)
    P, T = random.uniform(0.5, 6500.0, 50001), random.uniform(-5.0, 720.0, 50001)
    for tables_ in (tables[0], reactions):
        one = tables_.interpolate(P, T, derivatives=True)
        for workers in (2, 3, 0, -1):
            got = tables_.interpolate(P, T, derivatives=True, workers=workers)
            for name in ("lk", "dlk_dT", "pidx", "pterr"):
                assert np.array_equal(np.asarray(getattr(got, name)).view(np.uint8),
                                      np.asarray(getattr(one, name)).view(np.uint8)), (workers, name)
            assert np.array_equal(tables_.logk(P, T, workers=workers).view(np.uint64), one.lk.view(np.uint64))
    cores = len(os.sched_getaffinity(0))
    for bad, error in ((-10_000, ValueError), (-(cores + 1), ValueError), (1.5, TypeError),
                       (1.0, TypeError)):
        with pytest.raises(error):
            tables[0].logk(P, T, workers=bad)
        with pytest.raises(error):
            tables[0].logk(500.0, 300.0, workers=bad)
        with pytest.raises(error):
            tables[0].interpolate(500.0, 300.0, workers=bad)
    assert np.array_equal(tables[0].logk(P, T, workers=-cores), tables[0].logk(P, T))

