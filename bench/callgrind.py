#!/usr/bin/env python3
"""Counts the instructions logk spends on each point, with valgrind's callgrind.

Runs logk on 20,000 generated points (every number form: integers,
decimals, E, D and Q exponents, sign-only exponents, comma separators) and
on the first of them alone, with the same table; the difference of the two
totals over 19,999 is the work of one point, from reading its line to
handing its result line to the system. Instruction counts do not depend on
the machine's load, so one run of each is enough.

    bench/callgrind.py                  # instructions per point, and the top functions
    bench/callgrind.py --source ../old  # the same for another source tree (before and after)
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
POINTS = 20000


def build(source, build_dir):
    """A release build with line tables (-g changes no generated code), and the input generator."""
    subprocess.run(["cmake", "-S", source, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS=-g",
                    "-DLOGK_BUILD_TESTS=OFF", "-DLOGK_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "logk", "logk_bench_generate"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "logk"), os.path.join(build_dir, "bench", "logk_bench_generate")


def instructions(logk, directory):
    """Runs logk under callgrind in `directory`; returns the total and the profile's path."""
    profile = os.path.join(directory, "callgrind.out")
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + profile, logk], cwd=directory,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(profile) as text:
        for line in text:
            if line.startswith("summary:") or line.startswith("totals:"):
                return int(line.split()[1]), profile
    sys.exit(f"no total in {profile}")


def top_functions(profile, count):
    """The functions that spend most, their own code with what is inlined into it: (instructions, name)."""
    done = subprocess.run(["callgrind_annotate", "--inclusive=no", "--threshold=99", profile], check=True,
                          capture_output=True, text=True)
    rows = []
    for line in done.stdout.splitlines():
        match = re.match(r"\s*([\d,]+)\s+(?:\(\s*[\d.]+%\)\s+)?(\S.*?)(?:\s+\[[^]]*\])?$", line)
        if match and ":" in match.group(2) and "PROGRAM TOTALS" not in line:
            rows.append((int(match.group(1).replace(",", "")), match.group(2)))
    return rows[:count]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", default=ROOT, help="the source tree to build (default: this one)")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-callgrind"))
    parser.add_argument("--top", type=int, default=12, help="how many functions to list")
    args = parser.parse_args()
    if shutil.which("valgrind") is None:
        sys.exit("valgrind is not installed (apt-get install valgrind)")

    source = os.path.abspath(args.source)
    logk, _ = build(source, os.path.join(args.work, "build-" + os.path.basename(source.rstrip("/"))))
    # The points come from this tree's generator, so that two trees are measured on the same input.
    _, generator = build(ROOT, os.path.join(args.work, "build-generator"))
    many = os.path.join(args.work, "points")
    one = os.path.join(args.work, "one-point")
    for directory in (many, one):
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
    subprocess.run([generator, str(POINTS), many], check=True)
    shutil.copyfile(os.path.join(many, "quartz.dat"), os.path.join(one, "quartz.dat"))
    with open(os.path.join(many, "PT.dat"), "rb") as points, open(os.path.join(one, "PT.dat"), "wb") as first:
        first.write(points.readline())

    total, profile = instructions(logk, many)
    base, _ = instructions(logk, one)
    print(f"{source}: {total:,} instructions for {POINTS} points, {base:,} for one")
    print(f"per point: {(total - base) / (POINTS - 1):.1f} instructions")
    print(f"\ntop functions, instructions per point (the run of {POINTS} points):")
    for count, name in top_functions(profile, args.top):
        print(f"{count / POINTS:10.1f}  {name}")


if __name__ == "__main__":
    main()
