#!/usr/bin/python3
"""Draws a logk run: where the points fall on the grid, and log K along one pressure.

Left: every point of logk.out on the pressure-temperature plane (log
pressure axis) over the table's nodes, with the liquid-vapour saturation
curve and the lower pressure limit of each temperature row, each point
coloured by the more severe of its two flags (isoerr and PTerr). A run of
more than 20,000 points is drawn as a density, one shade per flag. Right:
the table's log K against temperature at the pressure node nearest to
--pressure, with the run's points within 10 % of that pressure.

    logk-plot run/logk.out run/quartz.dat run.png [--pressure 200]
    /usr/bin/python3 tools/plot_run.py run/logk.out run/quartz.dat run.png

Needs NumPy and matplotlib (Debian: python3-matplotlib).
"""
import argparse
import os
import re

# The grid of logk, bar and degrees Celsius.
PRESSURES = [1.0, 1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432, 85.839, 120.458, 165.212,
             200.0, 250.0, 300.0, 350.0, 400.0, 450.0, 500.0, 550.0, 600.0, 650.0, 700.0, 750.0, 800.0,
             850.0, 900.0, 950.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0, 3500.0, 4000.0, 4500.0, 5000.0]
TEMPERATURES = [0.01, 25.0, 50.0, 75.0, 100.0, 125.0, 150.0, 175.0, 200.0, 225.0, 250.0, 275.0, 300.0,
                325.0, 350.0, 400.0, 410.0, 420.0, 430.0, 440.0, 450.0, 460.0, 470.0, 480.0, 490.0, 500.0,
                510.0, 520.0, 530.0, 540.0, 550.0, 560.0, 570.0, 580.0, 590.0, 600.0]
# The lower pressure limit of each temperature row, bar: (T from, T to, limit). Below 350 degC it is
# the saturation pressure at the row's lower node; the row (100, 125] has 1.013.
LIMITS = ([(100.0, 125.0, 1.013)] + [(TEMPERATURES[k - 2], TEMPERATURES[k - 1], PRESSURES[k - 5]) for k in range(7, 16)]
          + [(350.0, 400.0, 165.212)]
          + [(TEMPERATURES[k - 2], TEMPERATURES[k - 1], limit) for k, limit in zip(range(17, 37), [
              200.0, 350.0, 350.0, 400.0, 450.0, 450.0, 500.0, 550.0, 550.0, 600.0, 600.0, 650.0, 700.0, 700.0,
              700.0, 800.0, 800.0, 850.0, 900.0, 900.0])]
          + [(600.0, 700.0, 800.0)])

HEADER = 70     # bytes of the header line, CR LF included
LINE = 73       # bytes of a result line
DENSE = 20000   # more points than this are drawn as a density
SHADES = (("no flag", "tab:green"), ("a flag W (isoerr or PTerr)", "tab:orange"),
          ("a flag E (isoerr or PTerr)", "tab:red"))


def read_result(path):
    """The columns of a logk.out as NumPy arrays: P, T, PIDX, TIDX, logK (NaN for asterisks), ISOERR, PTERR."""
    import numpy as np
    data = open(path, "rb").read()
    lines = (len(data) - HEADER) // LINE
    if len(data) < HEADER or (len(data) - HEADER) % LINE:
        raise SystemExit(f"{path}: not a logk.out (a 70-byte header and 73-byte lines)")
    rows = np.frombuffer(data, dtype=np.uint8, offset=HEADER, count=lines * LINE).reshape(lines, LINE)

    def column(first, last):
        block = np.ascontiguousarray(rows[:, first:last])
        text = block.view(f"S{last - first}").ravel()
        text = np.where((block == ord("*")).any(axis=1), b"nan", text)
        return text.astype(float)

    flags = lambda at: rows[:, at].view("S1").astype("U1")
    return {"P": column(1, 9), "T": column(11, 19), "PIDX": column(25, 27), "TIDX": column(35, 37),
            "logK": column(41, 53), "isoerr": flags(60), "PTerr": flags(70)}


def number(text):
    """A plain number of logk's notation: '25', '-.5', '1.5E-3', '1.5D-3', '1.5Q-3', '1.5-3', '1.5E'."""
    match = re.fullmatch(r"([+-]?\d*\.?\d*)(?:[EeDdQq]([+-]?\d*)|([+-]\d*))?", text)
    if match is None:
        raise ValueError(f"not a plain number: {text!r}")
    mantissa, exponent = match.group(1), match.group(2) or match.group(3) or ""
    if not mantissa.lstrip("+-").replace(".", "").strip("0"):
        return 0.0
    return float(f"{mantissa}e{int(exponent) if exponent.strip('+-') else 0}")


def read_table(path):
    """The 37 x 36 log K table: each row starts on a fresh line and takes the numbers it needs."""
    rows = []
    row = []
    for line in open(path, errors="replace"):
        for field in line.replace(",", " ").split():
            row.append(number(field))
            if len(row) == len(TEMPERATURES):
                rows.append(row)
                row = []
                break
        if len(rows) == len(PRESSURES):
            break
    return rows


def severity(result):
    """0, 1 or 2 for each point: no flag, a W, an E."""
    import numpy as np
    flags = np.stack([result["isoerr"], result["PTerr"]])
    return np.where((flags == "E").any(axis=0), 2, np.where((flags == "W").any(axis=0), 1, 0))


def draw_points(axes, T, P, level):
    """Markers for a small run; a density per flag for a large one."""
    import numpy as np
    if len(T) <= DENSE:
        axes.scatter(T, P, c=[SHADES[k][1] for k in level], s=28, edgecolors="black", linewidths=0.4, zorder=3)
        return
    from matplotlib.colors import LinearSegmentedColormap
    t_edges = np.linspace(-10.0, 720.0, 366)
    p_edges = np.geomspace(0.5, 8000.0, 241)
    for k, (_, shade) in enumerate(SHADES):
        counts, _, _ = np.histogram2d(T[level == k], P[level == k], bins=(t_edges, p_edges))
        if not counts.any():
            continue
        colours = LinearSegmentedColormap.from_list(shade, [(0, 0, 0, 0), shade])
        shown = np.ma.masked_equal(np.log1p(counts.T), 0.0)
        axes.pcolormesh(t_edges, p_edges, shown, cmap=colours, vmin=0.0, rasterized=True, zorder=2 + k / 10)


def draw(result_path, table_path, image_path, pressure):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy as np
    from matplotlib.lines import Line2D

    result = read_result(result_path)
    table = read_table(table_path)
    level = severity(result)
    P, T = result["P"], result["T"]

    figure, (plane, profile) = plt.subplots(1, 2, figsize=(13, 5.5))
    plane.scatter(np.repeat(TEMPERATURES, len(PRESSURES)), np.tile(PRESSURES, len(TEMPERATURES)), s=4,
                  color="0.75", zorder=1)
    plane.plot(TEMPERATURES[4:15], PRESSURES[1:12], color="tab:blue", lw=1.5, label="saturation curve (nodes)")
    for index, (low, high, limit) in enumerate(LIMITS):
        plane.plot([low, high], [limit, limit], color="black", lw=1.2,
                   label="lower pressure limit" if index == 0 else None)
    shown = np.isfinite(P) & np.isfinite(T) & (P > 0)
    draw_points(plane, T[shown], P[shown], level[shown])
    plane.set_yscale("log")
    plane.set_xlabel("temperature (°C)")
    plane.set_ylabel("pressure (bar)")
    plane.set_title(f"{len(P):,} points of {os.path.basename(result_path)}")
    handles, labels = plane.get_legend_handles_labels()
    for name, shade in SHADES:
        handles.append(Line2D([], [], marker="o", ls="", color=shade, markeredgecolor="black"))
        labels.append(name)
    plane.legend(handles, labels, loc="lower right", fontsize=8)

    node = min(range(len(PRESSURES)), key=lambda i: abs(PRESSURES[i] - pressure))
    profile.plot(TEMPERATURES, table[node], marker="o", ms=3, color="tab:blue",
                 label=f"table at {PRESSURES[node]:g} bar")
    near = shown & np.isfinite(result["logK"]) & (np.abs(P - PRESSURES[node]) <= 0.1 * PRESSURES[node])
    if near.any():
        small = near.sum() <= 2000
        profile.scatter(T[near], result["logK"][near], c=[SHADES[k][1] for k in level[near]], s=30 if small else 3,
                        edgecolors="black" if small else "none", zorder=3, rasterized=not small,
                        label="points within 10 %")
    profile.set_xlabel("temperature (°C)")
    profile.set_ylabel("log K")
    profile.set_title(f"log K along {PRESSURES[node]:g} bar")
    profile.legend(fontsize=8)
    figure.tight_layout()
    figure.savefig(image_path, dpi=110)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("result", help="logk.out of the run")
    parser.add_argument("table", help="quartz.dat of the run")
    parser.add_argument("image", help="PNG file to write")
    parser.add_argument("--pressure", type=float, default=200.0, help="pressure of the right panel, bar (200)")
    args = parser.parse_args()
    draw(args.result, args.table, args.image, args.pressure)


if __name__ == "__main__":
    main()
