#!/usr/bin/python3
"""Writes examples/quartz.dat: log K of quartz dissolution on logk's grid.

SiO2(quartz) = SiO2(aq), with log K taken as the log molality of dissolved
silica from the correlation of Manning (1994, Geochimica et Cosmochimica
Acta 58, 4831):

    log m = 4.2620 - 5764.2/T + 1.7513e6/T^2 - 2.2869e8/T^3
            + (2.8454 - 1006.9/T + 3.5689e5/T^2) log10(rho)

with T in kelvin and rho the density of water in g/cm3, here from the
IAPWS-95 formulation (Debian's python3-iapws) for the stable phase at each
node. Nodes on the vapour side of the saturation curve carry vapour values:
the jump across the curve is real, and it is what logk's stencil shifts
keep away from. The grid's saturation nodes (1.0133 bar at 100 degC up to
165.212 bar at 350 degC) lie on the curve to the 4 or 5 digits they are
given with; there both phases coexist, and the node carries the saturated
liquid, the side the stencils are built for. The numbers are illustrative,
not a data set to cite.

    /usr/bin/python3 tools/make_example_table.py [--output examples/quartz.dat]
"""
import argparse
import math
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def grid_nodes():
    """The pressure (bar) and temperature (degC) nodes, read from the grid header of logk."""
    text = open(os.path.join(ROOT, "include", "logk", "grid.hpp")).read()

    def array(name):
        body = re.search(name + r"\s*=\s*\{\{(.*?)\}\};", text, re.S).group(1)
        return [float(v) for v in re.findall(r"[-+]?\d+\.?\d*(?:[eE][-+]?\d+)?", body)]

    return array("PGRID"), array("TGRID")


def log_molality(kelvin, density):
    """Manning's correlation; density in g/cm3."""
    return (4.2620 - 5764.2 / kelvin + 1.7513e6 / kelvin ** 2 - 2.2869e8 / kelvin ** 3
            + (2.8454 - 1006.9 / kelvin + 3.5689e5 / kelvin ** 2) * math.log10(density))


CRITICAL_KELVIN = 647.096


def water_density(bar, celsius):
    """Density of water (g/cm3) at the node from IAPWS-95: the stable phase,
    or the saturated liquid for a node on the saturation curve."""
    from iapws import IAPWS95
    kelvin = celsius + 273.15
    if 274.0 < kelvin < CRITICAL_KELVIN:  # above the triple point, below the critical point
        saturated_liquid = IAPWS95(T=kelvin, x=0)
        saturation_bar = saturated_liquid.P * 10.0  # 1 MPa = 10 bar
        if abs(bar - saturation_bar) < 1e-3 * saturation_bar:
            return saturated_liquid.rho / 1000.0
    return IAPWS95(T=kelvin, P=bar / 10.0).rho / 1000.0


def table_text():
    pressures, temperatures = grid_nodes()
    assert len(pressures) == 37 and len(temperatures) == 36
    lines = []
    for bar in pressures:
        row = [log_molality(celsius + 273.15, water_density(bar, celsius)) for celsius in temperatures]
        lines.append(" ".join(f"{value:.4f}" for value in row))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--output", default=os.path.join(ROOT, "examples", "quartz.dat"))
    args = parser.parse_args()
    with open(args.output, "w") as out:
        out.write(table_text())


if __name__ == "__main__":
    main()
