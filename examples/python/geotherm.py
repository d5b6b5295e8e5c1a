#!/usr/bin/python3
"""log K of quartz along two geotherms, with logk's Python module.

Temperature rises 30 degC per km from 10 degC at the surface (an ordinary
crust) and 80 degC per km (above an intrusion, followed down to 700 degC,
the table's margin); pressure is hydrostatic, 98.1 bar per km. Every 50 m
down to 15 km, log K and its two flags; where a flag is raised, the point
is marked.

    python3 examples/python/geotherm.py [examples/quartz.dat] [geotherm.png]
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import logk  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
table_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "quartz.dat")
image_path = sys.argv[2] if len(sys.argv) > 2 else "geotherm.png"

table = logk.Table.load(table_path)
depth = np.arange(0.0, 15.0001, 0.05)  # km
P = 1.0 + 98.1 * depth                 # bar
figure, (plane, profile) = plt.subplots(1, 2, figsize=(12, 5.5))
plane.scatter(np.repeat(logk.TGRID, 37), np.tile(logk.PGRID, 36), s=3, color="0.8", label="table nodes")
for gradient, colour in ((30.0, "tab:blue"), (80.0, "tab:red")):
    T = 10.0 + gradient * depth
    on_table = T <= 700.0
    result = table.interpolate(P[on_table], T[on_table])
    T, depth_here = T[on_table], depth[on_table]
    flagged = (result.isoerr != "N") | (result.pterr != "N")
    label = f"{gradient:g} °C/km"
    plane.plot(T, P[on_table], color=colour, label=label)
    profile.plot(result.lk, depth_here, color=colour, label=label)
    for flag, marker in (("W", "o"), ("E", "x")):
        marked = (result.isoerr == flag) | (result.pterr == flag)
        profile.scatter(result.lk[marked], depth_here[marked], marker=marker, s=14, color=colour,
                        label=f"{label}: a flag {flag}" if marked.any() else None)
    print(f"{label}: {flagged.sum()} of {depth_here.size} points flagged, "
          f"log K from {result.lk.min():.3f} to {result.lk.max():.3f}")
plane.set_yscale("log")
plane.set_xlabel("temperature (°C)")
plane.set_ylabel("pressure (bar)")
plane.set_title("the two paths on the table's grid")
plane.legend(fontsize=8, loc="lower right")
profile.invert_yaxis()
profile.set_xlabel("log K (quartz = SiO2(aq))")
profile.set_ylabel("depth (km)")
profile.set_title("log K with depth; marks where isoerr or PTerr is W or E")
profile.legend(fontsize=8)
figure.tight_layout()
figure.savefig(image_path, dpi=100)
print(f"drawn: {image_path}")
