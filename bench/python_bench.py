#!/usr/bin/python3
"""Times the Python module on 10^6 random points, beside the C++ batch call
(into outputs the caller made) and beside what a Python user would write
instead: the same stencil rules and interpolation in vectorised NumPy
(tests/python/numpy_model.py), which must agree with the module bit for
bit on every point. The module is timed making new arrays, as a plain call
does, and filling the arrays of an earlier result (out=), as the C++ call
does; also a set of 32 tables, and calls with one point of plain floats.

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

sys.path.insert(0, os.path.join(ROOT, "tests", "python"))
from numpy_model import findpt_numpy, intrpk_numpy  # noqa: E402


def best(rounds, work):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times)


def built_module():
    """The module of build-bench/, built with the C++ benchmark beside it."""
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release", "-DLOGK_BUILD_TESTS=OFF",
                    "-DLOGK_BUILD_PYTHON=ON", "-DLOGK_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "logk_python", "logk_library_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    sys.path.insert(0, os.path.join(BUILD, "python"))
    import logk
    return logk


def library_points(n):
    """The points of the library's benchmark: P log-uniform from 0.5 to 6500
    bar on half of them and uniform on the rest, T uniform from -5 to 720 degC."""
    random = np.random.default_rng(1994)
    P = np.where(random.integers(0, 2, n) == 1, np.exp(random.uniform(np.log(0.5), np.log(6500.0), n)),
                 random.uniform(0.5, 6500.0, n))
    return P, random.uniform(-5.0, 720.0, n)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--points", type=int, default=1000000)
    parser.add_argument("--rounds", type=int, default=11)
    args = parser.parse_args()
    logk = built_module()
    table_path = os.path.join(ROOT, "examples", "quartz.dat")
    table = logk.Table.load(table_path)
    n = args.points
    P, T = library_points(n)

    module = best(args.rounds, lambda: table.interpolate(P, T))
    reused = table.interpolate(P, T)
    module_out = best(args.rounds, lambda: table.interpolate(P, T, out=reused))
    module_logk = best(args.rounds, lambda: table.logk(P, T))
    # What the new arrays cost by themselves: 24 bytes a point of memory the
    # process has not touched yet (8 log K, 4 + 4 the indices, 4 + 4 the flags).
    fresh = best(args.rounds, lambda: [np.ones(n), np.ones(n, np.int32), np.ones(n, np.int32),
                                       np.ones(n, np.uint32), np.ones(n, np.uint32)])
    # A model that steps in Python: one point of plain floats a call.
    calls = 100000
    scalar_logk = best(args.rounds, lambda: [table.logk(500.0, 300.0) for _ in range(calls)])
    scalar_interpolate = best(args.rounds, lambda: [table.interpolate(500.0, 300.0) for _ in range(calls)])
    # A model of many reactions: 32 tables as one set, log K into an earlier result's array.
    reactions = logk.TableSet.from_values(np.stack([np.array(table.values) + r for r in range(32)]))
    set_lk = reactions.logk(P, T)
    set_logk = best(max(3, args.rounds // 3), lambda: reactions.logk(P, T, out=set_lk))
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
    print(f"logk.TableSet.logk, 32 tables, out=    {per_point(set_logk) / 32:7.2f} ns/value (a point of a table)")
    print(f"table.logk(500.0, 300.0)               {scalar_logk / calls * 1e6:7.3f} us/call")
    print(f"table.interpolate(500.0, 300.0)        {scalar_interpolate / calls * 1e6:7.3f} us/call")
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
