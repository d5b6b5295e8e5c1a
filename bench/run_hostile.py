#!/usr/bin/env python3
"""Runs logk on hostile inputs at two sizes and shows outcome, time and memory.

Each case must end in its catalogued outcome, and doubling the input should
about double the time (no quadratic rescans):

    bench/run_hostile.py              # sizes 128 MB and 256 MB (or 5e6 and 1e7 lines)
"""
import os
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "bench"))
from run_bench import build  # noqa: E402

TABLE_ROW = " ".join(["-3.5"] * 36)


def write_repeated(path, chunk, total, tail=b""):
    with open(path, "wb") as out:
        for _ in range(total // len(chunk)):
            out.write(chunk)
        out.write(tail)


def cases(scale):
    """(name, files) where files maps a name to a function writing it; scale is 1 or 2."""
    mb = 128 * scale << 20
    table = lambda path: open(path, "w").write((TABLE_ROW + "\n") * 37)
    return [
        (f"one {mb >> 20} MB line of numbers", {
            "quartz.dat": table,
            "PT.dat": lambda p: write_repeated(p, b"500.5 300.25 " * 65536, mb, b"\n")}),
        (f"last point after {mb >> 20} MB of blanks", {
            "quartz.dat": table,
            "PT.dat": lambda p: write_repeated(p, b" " * (1 << 20), mb, b"\n500 300\n")}),
        (f"{5 * scale}e6 blank lines", {
            "quartz.dat": table,
            "PT.dat": lambda p: write_repeated(p, b"\n" * 1000000, 5000000 * scale)}),
        (f"37 rows + {0.5 * scale:g}e6 junk fields each", {
            "quartz.dat": lambda p: write_repeated(
                p, (TABLE_ROW + " junk" * (500000 * scale) + "\n").encode(), 37 * (len(TABLE_ROW) + 5 * 500000 * scale + 1)),
            "PT.dat": lambda p: open(p, "w").write("500 300\n")}),
        (f"{mb >> 20} MB of NUL bytes", {
            "quartz.dat": table,
            "PT.dat": lambda p: write_repeated(p, b"\0" * (1 << 20), mb)}),
        ("only byte 26 on a line", {
            "quartz.dat": table,
            "PT.dat": lambda p: open(p, "wb").write(b"\x1a\n500 300\n")}),
        ("UTF-8 byte-order mark", {
            "quartz.dat": table,
            "PT.dat": lambda p: open(p, "wb").write(b"\xef\xbb\xbf500 300\n")}),
    ]


def main():
    _, _, _, measurer = build(os.path.join(ROOT, "build-bench"))
    logk = os.path.join(ROOT, "build-bench", "logk")
    work = os.path.join(ROOT, "build-bench", "hostile")
    print(f"{'case':>40} {'status':>6} {'wall s':>8} {'RSS MiB':>8} {'logk.out':>9}  stderr")
    for scale in (1, 2):
        for name, files in cases(scale):
            shutil.rmtree(work, ignore_errors=True)
            os.makedirs(work)
            for file_name, write in files.items():
                write(os.path.join(work, file_name))
            done = subprocess.run([measurer, work, logk], check=True, capture_output=True, text=True)
            wall, _, _, rss, status = done.stdout.split()
            out = os.path.getsize(os.path.join(work, "logk.out"))
            message = done.stderr.strip().splitlines()[-1][:60] if done.stderr.strip() else ""
            print(f"{name:>40} {status:>6} {float(wall):8.3f} {int(rss) / 1024:8.1f} {out:9d}  {message}", flush=True)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
