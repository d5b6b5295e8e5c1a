"""Builds the compiled half of the Python module from the library's sources:
every layer but the program, with the flags that keep the bits of every
operation the same on every machine."""
import os
from glob import glob

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

sources = ["bindings/python/_logk.cpp"] + sorted(
    path for path in glob("src/*/*.cpp") if not path.startswith("src/program/"))

os.makedirs("build-python", exist_ok=True)  # setuptools' own files stay out of the source tree
setup(ext_modules=[Pybind11Extension(
          "logk._logk", sources, include_dirs=["src", "include"], cxx_std=20,
          extra_compile_args=["-O3", "-ffp-contract=off"])],
      options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}})
