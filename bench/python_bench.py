#!/usr/bin/python3
"""Times the Python module on 10^6 random points, beside the C++ batch call
(into outputs the caller made) and beside what a Python user would write
instead: the same stencil rules and interpolation in vectorised NumPy,
which must agree with the module bit for bit on every point. The module is
timed making new arrays, as a plain call does, and filling the arrays of
an earlier result (out=), as the C++ call does.

    /usr/bin/python3 bench/python_bench.py [--points 1000000] [--rounds 11]

Builds build-bench/ (the module and the C++ benchmark) as run_bench.py does.
"""
import argparse
import os
import subprocess
import sys
import time

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-bench")

# The grid, bar and degrees Celsius.
PGRID = np.array([1.0, 1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458, 165.212,
                  200.0, 250.0, 300.0, 350.0, 400.0, 450.0, 500.0, 550.0, 600.0, 650.0, 700.0, 750.0, 800.0,
                  850.0, 900.0, 950.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0, 3500.0, 4000.0, 4500.0, 5000.0])
TGRID = np.array([0.01, 25.0, 50.0, 75.0, 100.0, 125.0, 150.0, 175.0, 200.0, 225.0, 250.0, 275.0, 300.0, 325.0,
                  350.0, 400.0, 410.0, 420.0, 430.0, 440.0, 450.0, 460.0, 470.0, 480.0, 490.0, 500.0, 510.0, 520.0,
                  530.0, 540.0, 550.0, 560.0, 570.0, 580.0, 590.0, 600.0])
# TIDX 5..15: shift by one below the first, 'E' below the second (none at 5).
SATURATION = {5: (1.0133, None), 6: (2.321, 1.013), 7: (4.758, 2.321), 8: (8.919, 4.758), 9: (15.537, 8.919),
              10: (25.479, 15.537), 11: (39.737, 25.479), 12: (59.432, 39.737), 13: (85.839, 59.432),
              14: (120.458, 85.839), 15: (165.212, 120.458)}
# TIDX 17..36: shift by one in [from, to), 'E' below the limit.
WINDOWS = {17: (200, 350, 200), 18: (350, 400, 350), 19: (350, 400, 350), 20: (400, 450, 400),
           21: (450, 500, 450), 22: (450, 500, 450), 23: (500, 550, 500), 24: (550, 600, 550),
           25: (550, 600, 550), 26: (600, 650, 600), 27: (600, 650, 600), 28: (650, 700, 650),
           29: (700, 750, 700), 30: (700, 750, 700), 31: (750, 800, 700), 32: (800, 850, 800),
           33: (800, 850, 800), 34: (850, 900, 850), 35: (900, 950, 900), 36: (900, 950, 900)}


def below(v, x):
    return ~(v >= x)  # a NaN is below every threshold


def findpt_numpy(P, T):
    """The stencil selection, rule by rule, over whole arrays."""
    n = P.size
    PIDX = np.clip(np.searchsorted(PGRID, P, side="right"), 1, 35)
    PTERR = np.full(n, "N", dtype="U1")
    ISOERR = np.full(n, "N", dtype="U1")
    p1 = ~(P > 0)
    PIDX[p1] = 1
    PTERR[p1] = "E"
    PTERR[(P > 0) & below(P, 1.0)] = "W"
    PTERR[(P > 5000) & below(P, 6000)] = "W"
    PTERR[P >= 6000] = "E"
    TIDX = np.searchsorted(TGRID, T, side="left") + 1
    TIDX[np.isnan(T)] = 3
    cold = ~(T > 50)
    TIDX[cold] = 3
    PTERR[below(T, 0.01)] = "E"
    PIDX[cold] = np.minimum(PIDX[cold], 34)
    for k, (shift, limit) in SATURATION.items():
        row = (TIDX == k) & (T > 75) & ~(T > 350)
        moved = row & below(P, shift)
        PIDX[moved] += 1
        ISOERR[moved] = "W"
        if limit is not None:
            ISOERR[row & below(P, limit)] = "E"
    t6 = (T > 350) & ~(T > 400)
    TIDX[t6] = 16
    for low, high, by in ((165.212, 200, 3), (200, 250, 2), (250, 300, 1)):
        moved = t6 & (P >= low) & below(P, high)
        PIDX[moved] += by
        ISOERR[moved] = "W"
    ISOERR[t6 & below(P, 165.212)] = "E"
    for k, (low, high, limit) in WINDOWS.items():
        row = (TIDX == k) & (T > 400) & ~(T > 600)
        moved = row & (P >= low) & below(P, high)
        PIDX[moved] += 1
        ISOERR[moved] = "W"
        ISOERR[row & below(P, limit)] = "E"
    t8 = (T > 600) & ~(T > 700)
    TIDX[t8] = 36
    PTERR[t8 & (PTERR == "N")] = "W"
    moved = t8 & (P >= 900) & below(P, 950)
    PIDX[moved] += 1
    ISOERR[moved] = "W"
    ISOERR[t8 & below(P, 800)] = "E"
    t9 = T > 700
    TIDX[t9] = 36
    PTERR[t9] = "E"
    return PIDX, TIDX, ISOERR, PTERR


def intrpk_numpy(P, T, PIDX, TIDX, values):
    """The interpolation in its prescribed order, over whole arrays."""
    i0, j0 = PIDX - 1, TIDX - 3
    pn = [PGRID[i0 + k] for k in range(3)]
    tn = [TGRID[j0 + k] for k in range(3)]
    p = [P - node for node in pn]
    LKP = []
    for j in range(3):
        cell = [values[i0 + i, j0 + j] for i in range(3)]
        top = cell[2] * p[1] / (pn[2] - pn[1]) * p[0] / (pn[2] - pn[0])
        middle = cell[1] * p[2] / (pn[1] - pn[2]) * p[0] / (pn[1] - pn[0])
        bottom = cell[0] * p[2] / (pn[0] - pn[2]) * p[1] / (pn[0] - pn[1])
        LKP.append(((0.0 + top) + middle) + bottom)
    t = [T - node for node in tn]
    q0 = LKP[0] * t[1] / (tn[0] - tn[1]) * t[2] / (tn[0] - tn[2])
    q1 = LKP[1] * t[0] / (tn[1] - tn[0]) * t[2] / (tn[1] - tn[2])
    q2 = LKP[2] * t[0] / (tn[2] - tn[0]) * t[1] / (tn[2] - tn[1])
    return ((0.0 + q0) + q1) + q2


def best(rounds, work):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--points", type=int, default=1000000)
    parser.add_argument("--rounds", type=int, default=11)
    args = parser.parse_args()
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release", "-DLOGK_BUILD_TESTS=OFF",
                    "-DLOGK_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "logk_python", "logk_library_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    sys.path.insert(0, os.path.join(BUILD, "python"))
    import logk

    table_path = os.path.join(ROOT, "examples", "quartz.dat")
    table = logk.Table.load(table_path)
    random = np.random.default_rng(1994)
    n = args.points
    P = np.where(random.integers(0, 2, n) == 1, np.exp(random.uniform(np.log(0.5), np.log(6500.0), n)),
                 random.uniform(0.5, 6500.0, n))
    T = random.uniform(-5.0, 720.0, n)

    module = best(args.rounds, lambda: table.interpolate(P, T))
    reused = table.interpolate(P, T)
    module_out = best(args.rounds, lambda: table.interpolate(P, T, out=reused))
    module_logk = best(args.rounds, lambda: table.logk(P, T))
    # What the new arrays cost by themselves: 24 bytes a point of memory the
    # process has not touched yet (8 log K, 4 + 4 the indices, 4 + 4 the flags).
    fresh = best(args.rounds, lambda: [np.ones(n), np.ones(n, np.int32), np.ones(n, np.int32),
                                       np.ones(n, np.uint32), np.ones(n, np.uint32)])
    values = np.array(table.values)
    numpy_result = {}

    def with_numpy():
        numpy_result["stencil"] = findpt_numpy(P, T)
        numpy_result["lk"] = intrpk_numpy(P, T, numpy_result["stencil"][0], numpy_result["stencil"][1], values)

    numpy_time = best(max(3, args.rounds // 3), with_numpy)
    result = table.interpolate(P, T)
    PIDX, TIDX, ISOERR, PTERR = numpy_result["stencil"]
    agree = (np.array_equal(PIDX, result.pidx) and np.array_equal(TIDX, result.tidx)
             and np.array_equal(ISOERR, result.isoerr) and np.array_equal(PTERR, result.pterr)
             and np.array_equal(numpy_result["lk"].view(np.uint64), result.lk.view(np.uint64)))
    cpp = subprocess.run([os.path.join(BUILD, "bench", "logk_library_bench"), table_path, str(n), str(args.rounds)],
                         check=True, capture_output=True, text=True).stdout
    cpp_batch = float(next(line for line in cpp.splitlines() if line.startswith("batch, all five")).split()[-2])
    per_point = lambda seconds: seconds / n * 1e9
    print(f"points {n}, best of {args.rounds} rounds (NumPy: best of {max(3, args.rounds // 3)})")
    print(f"logk.Table.interpolate, all outputs   {per_point(module):8.2f} ns/point")
    print(f"  the same into the arrays of out=     {per_point(module_out):8.2f} ns/point")
    print(f"logk.Table.logk, log K alone          {per_point(module_logk):8.2f} ns/point")
    print(f"new arrays alone (np.ones, 24 B/point) {per_point(fresh):7.2f} ns/point")
    print(f"C++ batch call, all outputs           {cpp_batch:8.2f} ns/point")
    print(f"the same in vectorised NumPy          {per_point(numpy_time):8.2f} ns/point")
    print(f"interpolate / C++ batch               {per_point(module) / cpp_batch:8.2f}")
    print(f"interpolate with out= / C++ batch     {per_point(module_out) / cpp_batch:8.2f}")
    print(f"NumPy / interpolate                   {numpy_time / module:8.1f}")
    print(f"NumPy / interpolate with out=         {numpy_time / module_out:8.1f}")
    print(f"NumPy agrees with the module on every point, bit for bit: {agree}")
    if not agree:
        sys.exit(1)


if __name__ == "__main__":
    main()
