"""The module gives the program's logk.out, byte for byte, on 100,000 and
more points: every value that decides a stencil or a flag and the doubles
beside it, each against each, and random points on and off the grid."""
import numpy as np

import logk
from conftest import made_up_values, run_program, table_text


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
