#!/usr/bin/python3
"""Checks tools/make_example_table.py against known solubilities of quartz
and known ionisation constants of water, and the committed
examples/quartz.dat and examples/kw.dat against a fresh run of the script.
Exits 77 (skipped) where python3-iapws is missing."""
import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_example_table as table  # noqa: E402

try:
    import iapws  # noqa: F401
except ImportError:
    print("skipped: python3-iapws is not installed (apt-get install python3-iapws)")
    sys.exit(77)


class KnownSolubilities(unittest.TestCase):
    def test_room_temperature_one_bar(self):
        # About 6 ppm of silica in water at 25 degC: log m near -4.0.
        value = table.log_molality(298.15, table.water_density(1.0, 25.0))
        self.assertAlmostEqual(value, -4.0, delta=0.05)

    def test_saturation_curve_at_300(self):
        # About 600 ppm on the liquid side of the curve at 300 degC: log m near -2.0.
        from iapws import IAPWS95
        bar = IAPWS95(T=573.15, x=0).P * 10.0
        value = table.log_molality(573.15, table.water_density(bar, 300.0))
        self.assertAlmostEqual(value, -2.0, delta=0.05)

    def test_vapour_side_is_far_lower(self):
        # Below the curve the node holds steam: dissolved silica drops by orders of magnitude.
        liquid = table.log_molality(473.15, table.water_density(20.0, 200.0))
        vapour = table.log_molality(473.15, table.water_density(10.0, 200.0))
        self.assertGreater(liquid - vapour, 3.0)

    def test_saturation_nodes_carry_the_liquid(self):
        pressures, temperatures = table.grid_nodes()
        for k in range(5, 16):  # nodes 100..350 degC and their saturation pressures
            bar, celsius = pressures[k - 4], temperatures[k - 1]
            value = table.log_molality(celsius + 273.15, table.water_density(bar, celsius))
            self.assertGreater(value, -3.5, (bar, celsius))


class KnownIonisationConstants(unittest.TestCase):
    def test_the_releases_check_value(self):
        # The release's check value: pKw 13.906565 at 300 K and 1000 kg/m3.
        self.assertAlmostEqual(table.log_kw(300.0, 1.0), -13.906565, places=6)

    def test_room_temperature_one_bar(self):
        # pKw 13.995 at 25 degC and 0.1 MPa: neutral water has pH 7.0.
        self.assertAlmostEqual(table.log_kw(298.15, table.water_density(1.0, 25.0)), -13.995, delta=0.002)


class CommittedTables(unittest.TestCase):
    def test_files_are_a_fresh_run(self):
        for reaction in ("quartz", "kw"):
            with self.subTest(reaction):
                committed = open(os.path.join(table.ROOT, "examples", f"{reaction}.dat")).read()
                rows = committed.splitlines()
                self.assertEqual(len(rows), 37)
                self.assertTrue(all(len(row.split()) == 36 for row in rows))
                self.assertEqual(committed, table.table_text(reaction))


if __name__ == "__main__":
    unittest.main()
