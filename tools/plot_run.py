#!/usr/bin/python3
"""Draws a logk run: where the points fall on the grid, and log K along one pressure.

Left: every point of logk.out on the pressure-temperature plane (log
pressure axis) over the table's nodes, with the liquid-vapour saturation
curve and the lower pressure limit of each temperature row, each point
coloured by its flags. Right: the table's log K against temperature at the
pressure node nearest to --pressure, with the run's points near that
pressure.

    /usr/bin/python3 tools/plot_run.py run/logk.out run/quartz.dat run.png [--pressure 500]

Needs matplotlib (Debian: python3-matplotlib).
"""
import argparse
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_result(path):
    """The points of a logk.out: (P, T, PIDX, TIDX, logK, ISOERR, PTERR); fields of asterisks read as None."""
    def number(text):
        text = text.strip()
        return None if text.startswith("*") else float(text)

    points = []
    with open(path, newline="") as result:
        for line in result.read().split("\r\n")[1:]:
            if len(line) != 71:
                continue
            points.append((number(line[1:9]), number(line[11:19]), line[25:27].strip(), line[35:37].strip(),
                           number(line[41:53]), line[60], line[70]))
    return points


def read_table(path):
    """37 rows of 36 values: the table file as logk reads it, when it is one row per line."""
    return [[float(v.replace("D", "E").replace("d", "e")) for v in line.replace(",", " ").split()]
            for line in open(path) if line.strip()]


def program_constants():
    """The grid nodes and the lower pressure limits of the temperature rows, read from the program's source."""
    grid = open(os.path.join(ROOT, "src", "grid", "grid.h")).read()
    stencil = open(os.path.join(ROOT, "src", "stencil", "findpt.cpp")).read()
    numbers = r"[-+]?\d+\.?\d*"

    def block(text, name):
        return re.search(name + r"\s*=\s*\{\{?(.*?)\}?\};", text, re.S).group(1)

    pressures = [float(v) for v in re.findall(numbers, block(grid, "kPgrid"))]
    temperatures = [float(v) for v in re.findall(numbers, block(grid, "kTgrid"))]
    limits = []  # (T low, T high, limit bar)
    for k, row in enumerate(re.findall(r"\{([^{}]*)\},", block(stencil, "kSaturationRows")), start=5):
        shift, has_limit, limit = [v.strip() for v in row.split(",")]
        if has_limit == "true":
            limits.append((temperatures[k - 2], temperatures[k - 1], float(limit)))
    limits.append((350.0, 400.0, float(re.search(r"kRowT6Limit\s*=\s*(" + numbers + ")", stencil).group(1))))
    for k, row in enumerate(re.findall(r"\{([^{}]*)\},", block(stencil, "kWindowRows")), start=17):
        limits.append((temperatures[k - 2], temperatures[k - 1], float(row.split(",")[2])))
    t8 = re.search(r"kRowT8\s*=\s*\{([^}]*)\}", stencil).group(1)
    limits.append((600.0, 700.0, float(t8.split(",")[2])))
    return pressures, temperatures, limits


def colour(isoerr, pterr):
    if "E" in (isoerr, pterr):
        return "tab:red"
    if "W" in (isoerr, pterr):
        return "tab:orange"
    return "tab:green"


def draw(result_path, table_path, image_path, pressure):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from matplotlib.lines import Line2D

    points = read_result(result_path)
    table = read_table(table_path)
    pressures, temperatures, limits = program_constants()

    figure, (plane, profile) = plt.subplots(1, 2, figsize=(13, 5.5))
    grid_t = [t for t in temperatures for _ in pressures]
    grid_p = [p for _ in temperatures for p in pressures]
    plane.scatter(grid_t, grid_p, s=4, color="0.75", zorder=1)
    plane.plot(temperatures[4:15], pressures[1:12], color="tab:blue", lw=1.5, label="saturation curve (nodes)")
    for index, (low, high, limit) in enumerate(limits):
        plane.plot([low, high], [limit, limit], color="black", lw=1.2,
                   label="lower pressure limit" if index == 0 else None)
    shown = [p for p in points if p[0] is not None and p[1] is not None and p[0] > 0]
    plane.scatter([p[1] for p in shown], [p[0] for p in shown], c=[colour(p[5], p[6]) for p in shown],
                  s=28, edgecolors="black", linewidths=0.4, zorder=3)
    plane.set_yscale("log")
    plane.set_xlabel("temperature (°C)")
    plane.set_ylabel("pressure (bar)")
    plane.set_title(f"{len(points)} points of {os.path.basename(result_path)}")
    handles, labels = plane.get_legend_handles_labels()
    for name, shade in (("no flag", "tab:green"), ("a flag W", "tab:orange"), ("a flag E", "tab:red")):
        handles.append(Line2D([], [], marker="o", ls="", color=shade, markeredgecolor="black"))
        labels.append(name)
    plane.legend(handles, labels, loc="lower right", fontsize=8)

    node = min(range(len(pressures)), key=lambda i: abs(pressures[i] - pressure))
    profile.plot(temperatures, table[node], marker="o", ms=3, color="tab:blue",
                 label=f"table at {pressures[node]:g} bar")
    near = [p for p in points if p[0] is not None and p[1] is not None and p[4] is not None
            and abs(p[0] - pressures[node]) <= 0.1 * pressures[node]]
    if near:
        profile.scatter([p[1] for p in near], [p[4] for p in near], c=[colour(p[5], p[6]) for p in near],
                        s=30, edgecolors="black", zorder=3, label="points within 10 %")
    profile.set_xlabel("temperature (°C)")
    profile.set_ylabel("log K")
    profile.set_title(f"log K along {pressures[node]:g} bar")
    profile.legend(fontsize=8)
    figure.tight_layout()
    figure.savefig(image_path, dpi=110)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("result", help="logk.out of the run")
    parser.add_argument("table", help="quartz.dat of the run")
    parser.add_argument("image", help="PNG file to write")
    parser.add_argument("--pressure", type=float, default=500.0, help="pressure of the right panel, bar")
    args = parser.parse_args()
    draw(args.result, args.table, args.image, args.pressure)


if __name__ == "__main__":
    main()
