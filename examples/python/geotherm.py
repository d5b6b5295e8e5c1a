#!/usr/bin/python3
"""Silica and neutral water along two geotherms, with logk's Python module.

The solubility of quartz (log molality of dissolved silica) and the
ionisation constant of water (log Kw; neutral water has pH = -log Kw / 2)
come from one TableSet, so that each point's stencil is chosen once for
both. Temperature rises 30 degC per km from 10 degC at the surface (an
ordinary crust) and 80 degC per km (above an intrusion, followed down to
700 degC, the table's margin); pressure is hydrostatic, 98.1 bar per km.
Every 50 m down to 15 km; where a flag is raised, the point is marked.

    python3 examples/python/geotherm.py [examples/quartz.dat] [examples/kw.dat] [geotherm.png]
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import logk  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
quartz_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "quartz.dat")
kw_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "kw.dat")
image_path = sys.argv[3] if len(sys.argv) > 3 else "geotherm.png"

reactions = logk.TableSet.load({"quartz": quartz_path, "kw": kw_path})
depth = np.arange(0.0, 15.0001, 0.05)  # km
P = 1.0 + 98.1 * depth                 # bar
figure, (plane, silica, water) = plt.subplots(1, 3, figsize=(15, 5.5))
plane.scatter(np.repeat(logk.TGRID, 37), np.tile(logk.PGRID, 36), s=3, color="0.8", label="table nodes")
for gradient, colour in ((30.0, "tab:blue"), (80.0, "tab:red")):
    T = 10.0 + gradient * depth
    on_table = T <= 700.0
    result = reactions.interpolate(P[on_table], T[on_table])  # result.lk[:, 0] quartz, [:, 1] water
    T, depth_here = T[on_table], depth[on_table]
    log_silica = result.lk[:, reactions.names.index("quartz")]
    neutral_pH = -result.lk[:, reactions.names.index("kw")] / 2
    flagged = (result.isoerr != "N") | (result.pterr != "N")
    label = f"{gradient:g} °C/km"
    plane.plot(T, P[on_table], color=colour, label=label)
    for panel, values in ((silica, log_silica), (water, neutral_pH)):
        panel.plot(values, depth_here, color=colour, label=label)
        for flag, marker in (("W", "o"), ("E", "x")):
            marked = (result.isoerr == flag) | (result.pterr == flag)
            panel.scatter(values[marked], depth_here[marked], marker=marker, s=14, color=colour,
                          label=f"{label}: a flag {flag}" if marked.any() else None)
    print(f"{label}: {flagged.sum()} of {depth_here.size} points flagged, log m(SiO2) from {log_silica.min():.3f} "
          f"to {log_silica.max():.3f}, neutral pH from {neutral_pH.min():.2f} to {neutral_pH.max():.2f}")
plane.set_yscale("log")
plane.set_xlabel("temperature (°C)")
plane.set_ylabel("pressure (bar)")
plane.set_title("the two paths on the tables' grid")
plane.legend(fontsize=8, loc="lower right")
for panel, what in ((silica, "log m SiO2(aq), quartz solubility"), (water, "pH of neutral water, -log Kw / 2")):
    panel.invert_yaxis()
    panel.set_xlabel(what)
    panel.set_ylabel("depth (km)")
    panel.legend(fontsize=8)
silica.set_title("silica with depth; marks where a flag is W or E")
water.set_title("neutral pH with depth")
figure.tight_layout()
figure.savefig(image_path, dpi=100)
print(f"drawn: {image_path}")
