#!/usr/bin/python3
"""Holds a C model built against the installed logk against the model of
tests/python/numpy_model.py, written apart from the library: on 100,000
points of every kind, the stencil, the flags and log K of every table of a
set must be the model's, bit for bit.

    check_set_client.py <client> <source directory> <table> ...
"""
import os
import subprocess
import sys

import numpy as np

client, source, paths = sys.argv[1], sys.argv[2], sys.argv[3:]
sys.path.insert(0, os.path.join(source, "tests", "python"))
from numpy_model import PGRID, TGRID, findpt_numpy, intrpk_numpy  # noqa: E402


def read_table(path):
    return np.array([[float(v) for v in line.split()] for line in open(path) if line.strip()])


# Every node and the doubles beside it, each against each, and random points on and off the grid.
beside = lambda x: np.concatenate([np.nextafter(x, -np.inf), x, np.nextafter(x, np.inf)])
pressures = np.concatenate([beside(np.concatenate([PGRID, [0.0, 1.013, 5000.0, 6000.0]])), [-1.0, 1e6]])
temperatures = np.concatenate([beside(np.concatenate([TGRID, [0.01, 700.0]])), [-1.0, 1e6]])
P, T = (grid.ravel() for grid in np.meshgrid(pressures, temperatures, indexing="ij"))
random = np.random.default_rng(19)
count = 100000 - P.size
P = np.concatenate([P, np.exp(random.uniform(np.log(0.5), np.log(6500.0), count))])
T = np.concatenate([T, random.uniform(-5.0, 720.0, count)])

points = "".join(f"{p!r} {t!r}\n" for p, t in zip(P, T))
lines = subprocess.run([client] + paths, input=points, capture_output=True, text=True, check=True).stdout.split("\n")
PIDX, TIDX, ISOERR, PTERR = findpt_numpy(P, T)
models = [intrpk_numpy(P, T, PIDX, TIDX, read_table(path)) for path in paths]
assert len(lines) == P.size + 1, len(lines)
for i in range(P.size):
    fields = lines[i].split()
    expected = [str(PIDX[i]), str(TIDX[i]), ISOERR[i], PTERR[i]] + [model[i].hex() for model in models]
    if [fields[0], fields[1], fields[2], fields[3]] + [float.fromhex(x).hex() for x in fields[4:]] != expected:
        sys.exit(f"point {P[i]!r} {T[i]!r}: the client gave {fields}, the model {expected}")
print(f"the installed set gives the independent model's bits on {P.size} points and {len(paths)} tables")
