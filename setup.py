"""Builds the compiled half of the Python module from the library's sources:
every layer but the program, with the flags that keep the bits of every
operation the same on every machine. setuptools' own files go to a scratch
directory, removed at the end, so that pip install leaves the source tree
as it was."""
import atexit
import os
import shutil
import tempfile
from glob import glob

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "VERSION")) as file:
    version = file.read().strip()  # the library's own, as CMake reads it

sources = ["bindings/python/_logk.cpp"] + sorted(
    path for path in glob("src/*/*.cpp") if not path.startswith("src/program/"))

scratch = tempfile.mkdtemp(prefix="logk-build-")
atexit.register(shutil.rmtree, scratch, ignore_errors=True)
setup(version=version,
      ext_modules=[Pybind11Extension(
          "logk._logk", sources, include_dirs=["src", "include"], cxx_std=20,
          extra_compile_args=["-O3", "-ffp-contract=off"])],
      options={"build": {"build_base": os.path.join(scratch, "build")},
               "egg_info": {"egg_base": scratch}})
