#!/usr/bin/python3
"""Draws the example run and checks that a real picture came out.
Exits 77 (skipped) where python3-matplotlib is missing."""
import os
import struct
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

try:
    import matplotlib  # noqa: F401
except ImportError:
    print("skipped: python3-matplotlib is not installed (apt-get install python3-matplotlib)")
    sys.exit(77)

import plot_run  # noqa: E402

examples = os.path.join(os.path.dirname(HERE), "examples")
points = plot_run.read_result(os.path.join(examples, "logk.out.expected"))
assert len(points) == 32, len(points)
assert {p[6] for p in points} == {"N", "W", "E"} and {p[5] for p in points} == {"N", "W", "E"}
pressures, temperatures, limits = plot_run.program_constants()
assert len(pressures) == 37 and len(temperatures) == 36 and len(limits) == 32, (len(pressures), len(limits))

with tempfile.TemporaryDirectory() as scratch:
    image = os.path.join(scratch, "run.png")
    plot_run.draw(os.path.join(examples, "logk.out.expected"), os.path.join(examples, "quartz.dat"), image, 500.0)
    data = open(image, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    width, height = struct.unpack(">II", data[16:24])
    assert width > 800 and height > 400, (width, height)
    assert len(data) > 30000, f"{len(data)} bytes: an empty picture?"
print("plot of the example run: ok")
