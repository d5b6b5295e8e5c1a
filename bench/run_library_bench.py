#!/usr/bin/env python3
"""Times the library against the program on the same 10^6 random points.

The library: the batch call of the C++ interface (all five outputs, and log K
alone), one point per call, and loading the example table, best of 11
rounds in one process. The program: logk run on the same points written to
PT.dat, best of 5 runs, which includes reading the text and writing
logk.out. P is log-uniform from 0.5 to 6500 bar on half of the points and
uniform on the rest, T uniform from -5 to 720 degC.

    bench/run_library_bench.py [--points 1000000]
"""
import argparse
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "bench"))
from run_bench import build  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--points", type=int, default=1000000)
    parser.add_argument("--work", default=os.path.join(ROOT, "build-bench", "library"))
    args = parser.parse_args()
    logk, _, _, measurer = build(os.path.join(ROOT, "build-bench"))
    bench = os.path.join(ROOT, "build-bench", "bench", "logk_library_bench")
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    table = os.path.join(ROOT, "examples", "quartz.dat")
    shutil.copyfile(table, os.path.join(args.work, "quartz.dat"))
    done = subprocess.run([bench, table, str(args.points), "11", os.path.join(args.work, "PT.dat")], check=True,
                          capture_output=True, text=True)
    print(done.stdout, end="")
    walls = []
    for _ in range(5):
        measured = subprocess.run([measurer, args.work, logk], check=True, capture_output=True, text=True)
        wall, _user, _system, _rss, status = measured.stdout.split()
        if status != "0":
            sys.exit(f"logk failed with status {status}")
        walls.append(float(wall))
    print(f"the program, same points       {min(walls) / args.points * 1e9:7.1f} ns/point (best of 5 runs)")


if __name__ == "__main__":
    main()
