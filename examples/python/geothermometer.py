#!/usr/bin/python3
"""A quartz geothermometer with logk's Python module.

A hot spring's water holds 100, 200 or 300 mg/kg of dissolved silica (or
the contents given on the command line). If it
was in equilibrium with quartz in the reservoir and lost neither silica nor
steam on the way up, its silica gives the reservoir's temperature: log m of
SiO2(aq) from the silica, then the temperature at which the quartz table
takes that value, at the reservoir's pressure (100 or 500 bar). Beside it,
the same waters by a published quartz geothermometer (Fournier 1977, no
steam loss: T = 1309 / (5.19 - log10 SiO2) - 273.15, SiO2 in mg/kg), as a
check of the example table. And the temperature at which neutral water has
pH 6.0 at 100 bar, from the water table. Draws log K along 100 bar with the
targets and the answers marked.

    python3 examples/python/geothermometer.py [quartz.dat [kw.dat [picture.png [SiO2 mg/kg ...]]]]
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import logk  # noqa: E402

here = os.path.dirname(os.path.abspath(__file__))
quartz = logk.Table.load(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "quartz.dat"))
water = logk.Table.load(sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "kw.dat"))
image_path = sys.argv[3] if len(sys.argv) > 3 else "geothermometer.png"

silica = np.array([float(c) for c in sys.argv[4:]] or [100.0, 200.0, 300.0])  # mg/kg
log_m = np.log10(silica / 1000.0 / 60.08)    # mol/kg of SiO2, 60.08 g/mol
pressure = np.array([[100.0], [500.0]])      # bar: one row per reservoir pressure
T, how = quartz.temperature_at(pressure, log_m)
at = quartz.interpolate(pressure, T)         # the stencil and flags where the answers lie
fournier = 1309.0 / (5.19 - np.log10(silica)) - 273.15
for row, P in enumerate(pressure[:, 0]):
    for k, c in enumerate(silica):
        print(f"SiO2 {c:g} mg/kg at {P:g} bar: {T[row, k]:.17g} degC {how[row, k]} stencil {at.pidx[row, k]} "
              f"{at.tidx[row, k]} flags {at.isoerr[row, k]} {at.pterr[row, k]} (quartz geothermometer "
              f"{fournier[k]:.1f} degC)")
T_pH6, how_pH6 = water.temperature_at(100.0, -12.0)  # pH 6.0 = -log Kw / 2
print(f"neutral pH 6.0 at 100 bar: {T_pH6:.17g} degC {how_pH6}")

line = np.linspace(0.01, 400.0, 2000)
figure, axes = plt.subplots(figsize=(8, 5))
axes.plot(line, quartz.logk(100.0, line), color="tab:blue", label="log m SiO2(aq) in equilibrium with quartz, 100 bar")
for k, c in enumerate(silica):
    axes.axhline(log_m[k], color="0.6", linewidth=0.8, linestyle="--")
    axes.plot(T[0, k], log_m[k], "o", color="tab:red")
    axes.annotate(f"{c:g} mg/kg: {T[0, k]:.1f} °C ({how[0, k]})", (T[0, k], log_m[k]), textcoords="offset points",
                  xytext=(8, -12), fontsize=9)
axes.set_xlabel("temperature (°C)")
axes.set_ylabel("log m SiO2(aq)")
axes.set_title("The quartz geothermometer: where log K at 100 bar takes each water's value")
axes.legend(fontsize=9, loc="lower right")
figure.tight_layout()
figure.savefig(image_path, dpi=100)
print(f"drawn: {image_path}")
