#!/usr/bin/python3
"""Draws the example run and a large run, and checks that real pictures came
out and that the plot's grid and limits are the program's own.
Exits 77 (skipped) where python3-matplotlib is missing."""
import os
import re
import struct
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)

try:
    import matplotlib  # noqa: F401
    import numpy as np
except ImportError:
    print("skipped: python3-matplotlib is not installed (apt-get install python3-matplotlib)")
    sys.exit(77)

import plot_run  # noqa: E402


def program_constants():
    """The grid nodes and the lower pressure limits of the temperature rows, read from the program's source."""
    grid = open(os.path.join(ROOT, "include", "logk", "grid.hpp")).read()
    stencil = open(os.path.join(ROOT, "src", "stencil", "rules.h")).read()
    numbers = r"[-+]?\d+\.?\d*"

    def block(text, name):
        return re.search(name + r"\s*=\s*\{\{?(.*?)\}?\};", text, re.S).group(1)

    pressures = [float(v) for v in re.findall(numbers, block(grid, "PGRID"))]
    temperatures = [float(v) for v in re.findall(numbers, block(grid, "TGRID"))]
    limits = []
    for k, row in enumerate(re.findall(r"\{([^{}]*)\},", block(stencil, "kSaturationRows")), start=5):
        _, has_limit, limit = [v.strip() for v in row.split(",")]
        if has_limit == "true":
            limits.append((temperatures[k - 2], temperatures[k - 1], float(limit)))
    limits.append((350.0, 400.0, float(re.search(r"kRowT6Limit\s*=\s*(" + numbers + ")", stencil).group(1))))
    for k, row in enumerate(re.findall(r"\{([^{}]*)\},", block(stencil, "kWindowRows")), start=17):
        limits.append((temperatures[k - 2], temperatures[k - 1], float(row.split(",")[2])))
    t8 = re.search(r"kRowT8\s*=\s*\{([^}]*)\}", stencil).group(1)
    limits.append((600.0, 700.0, float(t8.split(",")[2])))
    return pressures, temperatures, limits


def check_png(path, least_bytes):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    width, height = struct.unpack(">II", data[16:24])
    assert width > 800 and height > 400, (width, height)
    assert len(data) > least_bytes, f"{len(data)} bytes: an empty picture?"


assert (plot_run.PRESSURES, plot_run.TEMPERATURES, plot_run.LIMITS) == program_constants()

examples = os.path.join(ROOT, "examples")
result = plot_run.read_result(os.path.join(examples, "logk.out.expected"))
assert len(result["P"]) == 32 and result["P"][0] == 200.0, result["P"][:2]
assert set(result["PTerr"]) == {"N", "W", "E"} and set(result["isoerr"]) == {"N", "W", "E"}
assert np.isnan(result["P"]).sum() == 0 and np.isfinite(result["logK"]).all()
table = plot_run.read_table(os.path.join(examples, "quartz.dat"))
assert len(table) == 37 and all(len(row) == 36 for row in table)

with tempfile.TemporaryDirectory() as scratch:
    image = os.path.join(scratch, "run.png")
    plot_run.draw(os.path.join(examples, "logk.out.expected"), os.path.join(examples, "quartz.dat"), image, 200.0)
    check_png(image, 30000)

    # A run too large for markers is drawn as a density: lines made from the example's, moved about.
    lines = open(os.path.join(examples, "logk.out.expected"), "rb").read()
    header, body = lines[:70], lines[70:]
    random = np.random.default_rng(3)
    picks = random.integers(0, 32, plot_run.DENSE * 2)
    large = os.path.join(scratch, "large.out")
    with open(large, "wb") as out:
        out.write(header + b"".join(body[73 * k:73 * k + 73] for k in picks))
    plot_run.draw(large, os.path.join(examples, "quartz.dat"), image, 200.0)
    check_png(image, 30000)
print("plots of the example run and of a large run: ok")
