#!/usr/bin/env python3
"""Runs logk and the floor program side by side on generated point lists.

The floor reads PT.dat in blocks and makes the one write(2) per line that
logk is obliged to make, with no parsing and no arithmetic: what logk costs
beyond it is the program's own work. Rounds interleave the two programs on
fresh copies of the same inputs; the table shows medians.

    bench/run_bench.py                       # 1e5, 1e6 and 1e7 points, 7 rounds
    bench/run_bench.py --points 1000 1000000 --rounds 9
    bench/run_bench.py --long-lines          # also the two 256 MB single-line files
    bench/run_bench.py --compare old/logk    # and an earlier build, in the same rounds
"""
import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build(build_dir):
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DLOGK_BUILD_TESTS=OFF", "-DLOGK_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "logk", "logk_bench_floor", "logk_bench_generate",
                    "logk_bench_measure", "logk_library_bench"], check=True, stdout=subprocess.DEVNULL)
    bench = os.path.join(build_dir, "bench")
    return (os.path.join(build_dir, "logk"), os.path.join(bench, "logk_bench_floor"),
            os.path.join(bench, "logk_bench_generate"), os.path.join(bench, "logk_bench_measure"))


def run_once(measurer, program, inputs, scratch):
    """Runs `program` in a fresh copy of `inputs`; returns wall, user, sys (s), peak RSS (KiB), output hash."""
    if os.path.exists(scratch):
        shutil.rmtree(scratch)
    os.makedirs(scratch)
    for name in ("quartz.dat", "PT.dat"):
        shutil.copyfile(os.path.join(inputs, name), os.path.join(scratch, name))
    done = subprocess.run([measurer, scratch, program], check=True, capture_output=True, text=True)
    wall, user, system, rss, status = done.stdout.split()
    if status != "0":
        sys.exit(f"{program} failed in {scratch} with status {status}: {done.stderr}")
    digest = hashlib.sha256()
    with open(os.path.join(scratch, "logk.out"), "rb") as out:
        for block in iter(lambda: out.read(1 << 20), b""):
            digest.update(block)
    shutil.rmtree(scratch)
    return float(wall), float(user), float(system), int(rss), digest.hexdigest()


def measure(name, points, inputs, programs, measurer, rounds, work):
    labels = list(programs)
    samples = {label: [] for label in labels}
    hashes = set()
    for round_number in range(rounds + 1):  # round 0 warms the caches and is dropped
        shift = round_number % len(labels)
        order = labels[shift:] + labels[:shift]
        for label in order:
            result = run_once(measurer, programs[label], inputs, os.path.join(work, "run-" + label))
            if label != "floor":
                hashes.add(result[4])
            if round_number > 0:
                samples[label].append(result)
    if len(hashes) != 1:
        sys.exit(f"{name}: logk.out differs between rounds or programs")
    ratios = [l[0] / f[0] for l, f in zip(samples["logk"], samples["floor"])]
    rows = []
    for label in labels:
        s = samples[label]
        wall = statistics.median(x[0] for x in s)
        user = statistics.median(x[1] for x in s)
        system = statistics.median(x[2] for x in s)
        rss = statistics.median(x[3] for x in s) / 1024
        per_point = lambda seconds: f"{seconds / points * 1e9:9.1f}" if points else "        -"
        rows.append(f"{name:>14} {label:>6} {wall*1e3:10.1f} {user*1e3:9.1f} {system*1e3:9.1f} {rss:8.2f}"
                    f" {per_point(wall)} {per_point(user)}")
    rows.append(f"{name:>14} {'ratio':>6} {statistics.median(ratios):10.3f}   (median of per-round wall ratios)")
    return rows


def generate(generator, points, directory, crlf=False):
    os.makedirs(directory, exist_ok=True)
    args = [generator, str(points), directory] + (["--crlf"] if crlf else [])
    subprocess.run(args, check=True)


def long_line_inputs(work, generator, size):
    """Two PT.dat files of about `size` bytes on one line: numbers, and blanks before a last point."""
    made = []
    numbers = os.path.join(work, "long-numbers")
    generate(generator, 0, numbers)
    with open(os.path.join(numbers, "PT.dat"), "wb") as out:
        chunk = b"500.5 300.25 " * 65536
        for _ in range(size // len(chunk)):
            out.write(chunk)
        out.write(b"\n")
    made.append(("256MB numbers", numbers))
    blanks = os.path.join(work, "long-blanks")
    generate(generator, 0, blanks)
    with open(os.path.join(blanks, "PT.dat"), "wb") as out:
        chunk = b" " * (1 << 20)
        for _ in range(size // len(chunk)):
            out.write(chunk)
        out.write(b"\n500 300\n")
    made.append(("256MB blanks", blanks))
    return made


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--points", type=int, nargs="+", default=[100000, 1000000, 10000000])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--work", default=os.path.join(ROOT, "build-bench", "work"))
    parser.add_argument("--long-lines", action="store_true", help="also time the 256 MB one-line files")
    parser.add_argument("--compare", metavar="BINARY",
                        help="another logk (an earlier build, say), timed in the same rounds; its logk.out must match")
    args = parser.parse_args()
    if args.rounds < 7:
        sys.exit("at least 7 rounds")

    logk, floor, generator, measurer = build(os.path.join(ROOT, "build-bench"))
    programs = {"logk": logk, "floor": floor}
    if args.compare:
        programs["other"] = os.path.abspath(args.compare)
    os.makedirs(args.work, exist_ok=True)
    print(f"{'input':>14} {'prog':>6} {'wall ms':>10} {'user ms':>9} {'sys ms':>9} {'RSS MiB':>8}"
          f" {'wall ns/pt':>9} {'user ns/pt':>9}")
    cases = [("empty", 0, False)] + [(f"{n:.0e} pts", n, False) for n in args.points]
    cases.append(("1e+05 CRLF", 100000, True))
    for name, points, crlf in cases:
        inputs = os.path.join(args.work, "inputs-" + name.replace(" ", "-").replace("+", ""))
        if not os.path.exists(os.path.join(inputs, "PT.dat")):
            generate(generator, points, inputs, crlf)
        for row in measure(name, points, inputs, programs, measurer, args.rounds, args.work):
            print(row, flush=True)
    if args.long_lines:
        for name, inputs in long_line_inputs(args.work, generator, 256 << 20):
            for row in measure(name, 0, inputs, programs, measurer, args.rounds, args.work):
                print(row, flush=True)


if __name__ == "__main__":
    main()
