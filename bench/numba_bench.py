#!/usr/bin/python3
"""The Python module on every core beside the same rules written in Numba
with prange on every core (bench/numba_logk.py), on 10^6 points of the
library benchmark's distribution. The Numba loop must give the module's
bits on every point (log K, the stencil and both flags) before either is
timed; both fill arrays made before, in alternating rounds.

    /usr/bin/python3 bench/numba_bench.py [--points 1000000] [--rounds 7]

Needs Debian's python3-numba; builds build-bench/ as python_bench.py does.
"""
import argparse
import os
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from python_bench import ROOT, built_module, library_points  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--points", type=int, default=1000000)
    parser.add_argument("--rounds", type=int, default=7)
    args = parser.parse_args()
    logk = built_module()
    import numba
    from numba_logk import logk_numba
    table = logk.Table.load(os.path.join(ROOT, "examples", "quartz.dat"))
    n = args.points
    P, T = library_points(n)
    values = np.array(table.values)
    LK, PIDX, TIDX = np.empty(n), np.empty(n, np.int32), np.empty(n, np.int32)
    ISOERR, PTERR = np.empty(n, np.uint8), np.empty(n, np.uint8)
    logk_numba(P, T, values, LK, PIDX, TIDX, ISOERR, PTERR)  # compiles it
    out = table.interpolate(P, T)
    agree = (np.array_equal(LK.view(np.uint64), out.lk.view(np.uint64)) and np.array_equal(PIDX, out.pidx)
             and np.array_equal(TIDX, out.tidx) and np.array_equal(ISOERR, out.isoerr.view(np.uint32))
             and np.array_equal(PTERR, out.pterr.view(np.uint32)))
    print(f"Numba gives the module's bits on all {n} points: {agree}")
    if not agree:
        sys.exit(1)
    cores = len(os.sched_getaffinity(0))
    runs = {"module, workers=1, out=": lambda: table.interpolate(P, T, out=out),
            "module, workers=-1, out=": lambda: table.interpolate(P, T, out=out, workers=-1),
            "module logk, workers=-1, out=": lambda: table.logk(P, T, out=out.lk, workers=-1),
            "Numba prange, 1 thread": lambda: logk_numba(P, T, values, LK, PIDX, TIDX, ISOERR, PTERR),
            f"Numba prange, {cores} threads": lambda: logk_numba(P, T, values, LK, PIDX, TIDX, ISOERR, PTERR)}
    best = dict.fromkeys(runs, 1e30)
    for _ in range(args.rounds):
        for name, run in runs.items():
            numba.set_num_threads(1 if name.endswith("1 thread") else cores)
            start = time.perf_counter()
            run()
            best[name] = min(best[name], time.perf_counter() - start)
    print(f"points {n}, {cores} cores, best of {args.rounds} alternating rounds")
    for name, seconds in best.items():
        print(f"{name:32s} {seconds / n * 1e9:7.2f} ns/point")
    print(f"Numba on every core / module on every core: "
          f"{best[f'Numba prange, {cores} threads'] / best['module, workers=-1, out=']:.1f}")


if __name__ == "__main__":
    main()
