"""The module gives the program's logk.out, byte for byte, on 100,000 and
more points: every value that decides a stencil or a flag and the doubles
beside it, each against each, and random points on and off the grid."""
import os

import numpy as np

import logk
from conftest import SOURCE, made_up_values, run_program, table_text


def generated_points():
    thresholds_p = np.concatenate([logk.PGRID, [0.0, 1.013, 5000.0, 6000.0]])
    thresholds_t = np.concatenate([logk.TGRID, [0.01, 700.0]])
    beside = lambda x: np.concatenate([np.nextafter(x, -np.inf), x, np.nextafter(x, np.inf)])
    pressures = np.concatenate([beside(thresholds_p), [-0.0, 1e-310, -9999.9, -1.0, 1e6]])
    temperatures = np.concatenate([beside(thresholds_t), [-0.0, 1e-310, -9999.9, -1.0, 1e6]])
    P, T = (grid.ravel() for grid in np.meshgrid(pressures, temperatures, indexing="ij"))
    random = np.random.default_rng(2026)
    count = 100000 - P.size
    logarithmic = np.exp(random.uniform(np.log(0.5), np.log(6500.0), count))
    P = np.concatenate([P, np.where(np.arange(count) % 2, logarithmic, random.uniform(0.5, 6500.0, count))])
    T = np.concatenate([T, random.uniform(-5.0, 720.0, count)])
    return P, T


def test_logk_out_is_the_programs(tmp_path):
    values = made_up_values()
    P, T = generated_points()
    assert P.size >= 100000
    points = "".join(f"{p:.17g} {t:.17g}\n" for p, t in zip(P, T))
    expected = run_program(tmp_path, table_text(values), points)
    table = logk.Table.load(tmp_path / "quartz.dat")
    assert logk.format_logk_out(P, T, table.interpolate(P, T)) == expected
    # and one point at a time, as scalars
    for k in range(0, P.size, 997):
        one = table.interpolate(P[k], T[k])
        line = logk.format_logk_out(P[k], T[k], one)[70:]
        assert line == expected[70 + 73 * k:70 + 73 * (k + 1)], k


# A set of the example tables and a made-up one gives, for every reaction,
# the bits of a model written apart from the library (numpy_model), and
# that model gives the program's logk.out for each table.
def test_every_reaction_of_a_set_agrees_with_an_independent_model(tmp_path):
    from numpy_model import findpt_numpy, intrpk_numpy
    examples = os.path.join(SOURCE, "examples")
    reactions = logk.TableSet.from_tables([logk.Table.load(os.path.join(examples, "quartz.dat")),
                                           logk.Table.load(os.path.join(examples, "kw.dat")),
                                           logk.Table.from_values(made_up_values())], names=["quartz", "kw", "made"])
    P, T = generated_points()
    result = reactions.interpolate(P, T)
    PIDX, TIDX, ISOERR, PTERR = findpt_numpy(P, T)
    assert np.array_equal(PIDX, result.pidx) and np.array_equal(TIDX, result.tidx)
    assert np.array_equal(ISOERR, result.isoerr) and np.array_equal(PTERR, result.pterr)
    for r, name in enumerate(reactions.names):
        model = intrpk_numpy(P, T, PIDX, TIDX, reactions.values[r])
        assert np.array_equal(model.view(np.uint64), np.ascontiguousarray(result.lk[:, r]).view(np.uint64)), name
    # and the model's lines for one table are the program's
    points = "".join(f"{p:.17g} {t:.17g}\n" for p, t in zip(P[:5000], T[:5000]))
    expected = run_program(tmp_path, table_text(reactions.values[1]), points)
    model_result = logk.Result(intrpk_numpy(P[:5000], T[:5000], PIDX[:5000], TIDX[:5000], reactions.values[1]),
                               PIDX[:5000], TIDX[:5000], ISOERR[:5000], PTERR[:5000])
    assert logk.format_logk_out(P[:5000], T[:5000], model_result) == expected
