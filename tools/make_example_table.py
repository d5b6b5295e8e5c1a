#!/usr/bin/python3
"""Writes logk's example tables on its grid: examples/quartz.dat and
examples/kw.dat.

quartz: SiO2(quartz) = SiO2(aq), with log K taken as the log molality of
dissolved silica from the correlation of Manning (1994, Geochimica et
Cosmochimica Acta 58, 4831):

    log m = 4.2620 - 5764.2/T + 1.7513e6/T^2 - 2.2869e8/T^3
            + (2.8454 - 1006.9/T + 3.5689e5/T^2) log10(rho)

kw: H2O = H+ + OH-, log Kw from the IAPWS Release on the Ionization
Constant of H2O (Bandura and Lvov 2006, Journal of Physical and Chemical
Reference Data 35, 15), as Debian's python3-iapws gives it (its _Kw, which
returns pKw = -log Kw) from density and temperature. Neutral water has
pH = -log Kw / 2.

Both take T in kelvin and rho, the density of water, here from the
IAPWS-95 formulation (python3-iapws) for the stable phase at each node.
Nodes on the vapour side of the saturation curve carry vapour values: the
jump across the curve is real, and it is what logk's stencil shifts keep
away from. The grid's saturation nodes (1.0133 bar at 100 degC up to
165.212 bar at 350 degC) lie on the curve to the 4 or 5 digits they are
given with; there both phases coexist, and the node carries the saturated
liquid, the side the stencils are built for. The numbers are illustrative,
not a data set to cite.

    /usr/bin/python3 tools/make_example_table.py [--reaction quartz|kw] [--output examples/quartz.dat]
"""
import argparse
import functools
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


def log_kw(kelvin, density):
    """log Kw of the IAPWS release; density in g/cm3."""
    from iapws._iapws import _Kw
    return -_Kw(density * 1000.0, kelvin)


REACTIONS = {"quartz": log_molality, "kw": log_kw}

CRITICAL_KELVIN = 647.096


@functools.lru_cache(maxsize=None)  # both tables take the same densities
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


def table_text(reaction="quartz"):
    log_k = REACTIONS[reaction]
    pressures, temperatures = grid_nodes()
    assert len(pressures) == 37 and len(temperatures) == 36
    lines = []
    for bar in pressures:
        row = [log_k(celsius + 273.15, water_density(bar, celsius)) for celsius in temperatures]
        lines.append(" ".join(f"{value:.4f}" for value in row))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--reaction", choices=sorted(REACTIONS), default="quartz")
    parser.add_argument("--output", help="examples/<reaction>.dat by default")
    args = parser.parse_args()
    output = args.output or os.path.join(ROOT, "examples", f"{args.reaction}.dat")
    with open(output, "w") as out:
        out.write(table_text(args.reaction))


if __name__ == "__main__":
    main()
