#!/usr/bin/env python3
"""Builds logk's site, offline, with warnings as errors:

1. docs/ is copied to <work>/stage/docs, beside links to the source tree's
   examples, bench, include, bindings, tests and README.md, so that a page
   includes them by the same relative paths as in the source tree;
2. the Fortran reference is generated from bindings/fortran/logk.f90, the R
   reference from bindings/r/man/*.Rd (by R's own Rd parser), into the copy;
3. Doxygen reads the public headers into XML (their plain comments made
   Doxygen's by doxygen_filter.py), and check_reference.py holds every
   public declaration to having its comment there;
4. Sphinx writes the HTML into <html>, and, with --doctest, runs every
   doctest of the pages against the built Python module.

    build_site.py --source DIR --work DIR --html DIR --python-path DIR [--doctest] [--skip-missing]

With --skip-missing, a missing tool makes it print "skipped: ..." and exit
77, as the test suite's skipped tests do; without, it fails, saying what to
install.
"""
import argparse
import importlib.util
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_reference  # noqa: E402
import fortran_pages  # noqa: E402

# What the site needs, and the Debian package that has it.
_MODULES = {"sphinx": "python3-sphinx", "breathe": "python3-breathe", "myst_parser": "python3-myst-parser",
            "numpydoc": "python3-numpydoc", "sphinx_rtd_theme": "python3-sphinx-rtd-theme"}
_PROGRAMS = {"doxygen": "doxygen", "Rscript": "r-base-core"}
# The parts of the source tree the pages include, linked beside the copy.
_LINKED = ["examples", "bench", "include", "bindings", "tests", "README.md", "VERSION"]


def missing_tools():
    missing = [package for module, package in _MODULES.items() if importlib.util.find_spec(module) is None]
    missing += [package for program, package in _PROGRAMS.items() if shutil.which(program) is None]
    return missing


def stage(source, work):
    """The copy of docs/ that Sphinx reads, with the links beside it."""
    root = os.path.join(work, "stage")
    docs = os.path.join(root, "docs")
    if os.path.isdir(docs):
        shutil.rmtree(docs)
    os.makedirs(root, exist_ok=True)
    # copy2 keeps each file's time, so that Sphinx reads again only what changed.
    shutil.copytree(os.path.join(source, "docs"), docs, copy_function=shutil.copy2,
                    ignore=shutil.ignore_patterns("__pycache__"))
    for name in _LINKED:
        link = os.path.join(root, name)
        if os.path.islink(link) or os.path.exists(link):
            os.remove(link)
        os.symlink(os.path.join(source, name), link)
    return docs


def generate(source, docs, work):
    fortran_pages.main(os.path.join(source, "bindings", "fortran", "logk.f90"),
                       os.path.join(docs, "reference", "fortran"))
    subprocess.run(["Rscript", "--vanilla", os.path.join(HERE, "rd2rst.R"), os.path.join(source, "bindings", "r", "man"),
                    os.path.join(docs, "reference", "r")], check=True)


def doxygen(source, work):
    output = os.path.join(work, "doxygen")
    os.makedirs(output, exist_ok=True)
    environment = dict(os.environ, LOGK_SOURCE_DIR=source, LOGK_DOXYGEN_OUTPUT=output, LOGK_PYTHON=sys.executable)
    subprocess.run(["doxygen", os.path.join(source, "docs", "Doxyfile")], check=True, cwd=output, env=environment)
    xml = os.path.join(output, "xml")
    problems = check_reference.problems(xml)
    if problems:
        sys.exit("the C and C++ reference lacks comments:\n  " + "\n  ".join(problems))
    return xml


def sphinx(builder, docs, out, work, source, xml, python_path):
    environment = dict(os.environ, LOGK_SOURCE_DIR=source, LOGK_DOXYGEN_XML=xml)
    environment["PYTHONPATH"] = os.pathsep.join(filter(None, [python_path, os.environ.get("PYTHONPATH")]))
    command = [sys.executable, "-m", "sphinx", "-b", builder, "-W", "--keep-going", "-q",
               "-d", os.path.join(work, "doctrees-" + builder), docs, out]
    subprocess.run(command, check=True, env=environment)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--html", required=True)
    parser.add_argument("--python-path", required=True)
    parser.add_argument("--doctest", action="store_true")
    parser.add_argument("--skip-missing", action="store_true")
    arguments = parser.parse_args()
    source = os.path.abspath(arguments.source)
    work = os.path.abspath(arguments.work)

    missing = missing_tools()
    if missing:
        what = f"the site needs {', '.join(missing)} (apt-get install {' '.join(missing)})"
        if arguments.skip_missing:
            print(f"skipped: {what}")
            sys.exit(77)
        sys.exit(what)
    if importlib.util.find_spec("logk") is None and not os.path.isdir(os.path.join(arguments.python_path, "logk")):
        sys.exit(f"no built Python module in {arguments.python_path}: build the target logk_python first")

    docs = stage(source, work)
    generate(source, docs, work)
    xml = doxygen(source, work)
    sphinx("html", docs, os.path.abspath(arguments.html), work, source, xml, arguments.python_path)
    print(f"the site: {os.path.join(os.path.abspath(arguments.html), 'index.html')}")
    if arguments.doctest:
        sphinx("doctest", docs, os.path.join(work, "doctest"), work, source, xml, arguments.python_path)
        print("the pages' doctests pass")


if __name__ == "__main__":
    main()
