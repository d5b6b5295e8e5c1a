"""What the tests of the Python module share: the built program, the source
tree, a table of made-up values, and the library's C interface. The
module is imported where it is used, so that the tests of the NumPy models
run without the library."""
import ctypes
import os
import subprocess
import sys
import textwrap

import numpy as np
import pytest

SOURCE = os.environ.get("LOGK_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(__file__))))
EXAMPLE_TABLE = os.path.join(SOURCE, "examples", "quartz.dat")


def made_up_values():
    I, J = np.meshgrid(np.arange(1, 38), np.arange(1, 37), indexing="ij")
    return -4.25 + 0.013 * J - 0.0021 * I + 1e-4 * ((I * 13 + J * 7) % 17)


@pytest.fixture
def table():
    import logk

    return logk.Table.from_values(made_up_values())


def run_program(directory, table_text, points_text):
    """Runs the program on the table and points in `directory`; returns logk.out's bytes."""
    binary = os.environ.get("LOGK_BINARY")
    if not binary:
        pytest.skip("LOGK_BINARY does not name the built program")
    with open(os.path.join(directory, "quartz.dat"), "w") as out:
        out.write(table_text)
    with open(os.path.join(directory, "PT.dat"), "w") as out:
        out.write(points_text)
    done = subprocess.run([binary], cwd=directory, capture_output=True)
    assert done.returncode == 0, done.stderr
    with open(os.path.join(directory, "logk.out"), "rb") as result:
        return result.read()


def table_text(values):
    return "".join(" ".join(f"{v:.17g}" for v in row) + "\n" for row in values)


def c_library():
    """The library's C interface in the module's own object (it links the
    library and exports logk_*), for tests that hold the module's words to
    the library's."""
    import logk
    library = ctypes.CDLL(logk._logk.__file__)
    for name in ("logk_version", "logk_build", "logk_build_note", "logk_how_meaning"):
        getattr(library, name).restype = ctypes.c_char_p
    library.logk_how_meaning.argtypes = [ctypes.c_char]
    return library


def run_child(script, timeout=20, variables=()):
    """Runs `script` in a fresh interpreter that imports logk as this one
    does, with the environment's variables and `variables` (pairs)."""
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path), **dict(variables))
    try:
        done = subprocess.run([sys.executable, "-c", textwrap.dedent(script)], capture_output=True, text=True,
                              timeout=timeout, env=environment)
    except subprocess.TimeoutExpired:
        pytest.fail("the child hung")
    assert done.returncode == 0, done.stderr
    return done.stdout
