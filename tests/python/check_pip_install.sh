#!/usr/bin/env bash
# Installs the Python module the Python way, offline: the guide's command,
# examples/shell/install_python.sh, as pasted into a copy of the source tree
# (a virtual environment made from Debian's Python, with its system site
# packages, and pip install --no-build-isolation of the tree); then uses it.
# pip must leave the tree as it was.
#   check_pip_install.sh <python> <source directory>
set -euo pipefail
python=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! "$python" -c "import venv, ensurepip, setuptools, wheel, pybind11, numpy" 2>/dev/null; then
  echo "skipped: $python lacks venv, pip, setuptools, wheel, pybind11 or numpy (apt-get install python3-venv python3-setuptools python3-wheel)"
  exit 77
fi
if [ "$python" != /usr/bin/python3 ]; then
  echo "skipped: the guide's install command uses /usr/bin/python3; the module was built for $python"
  exit 77
fi
tree="$scratch/src"
mkdir "$tree"
tar -C "$source" --exclude=./build --exclude='./build-*' --exclude=./run --exclude=./venv --exclude=./.git -cf - . |
  tar -C "$tree" -xf -
listing() { (cd "$tree" && ls -a . bindings/python | grep -vx venv); }  # the command's own venv aside
before=$(listing)
# offline: nothing to fetch, and no index to ask
(cd "$tree" && PIP_NO_INDEX=1 PIP_QUIET=1 bash "$source/examples/shell/install_python.sh")
after=$(listing)
if [ "$before" != "$after" ]; then
  echo "pip install left files in the source tree:"; diff <(echo "$before") <(echo "$after"); exit 1
fi
cd "$scratch"
"$tree/venv/bin/python" - "$source/examples/quartz.dat" "$(cat "$source/VERSION")" <<'PY'
import sys
import logk
assert logk.__file__.startswith(sys.prefix), logk.__file__
assert logk.__version__ == sys.argv[2], logk.__version__
result = logk.Table.load(sys.argv[1]).interpolate(500.0, 300.0)
assert (int(result.pidx), int(result.tidx), str(result.isoerr), str(result.pterr)) == (19, 13, "N", "N"), result
print("pip install --no-build-isolation: the module loads the example and interpolates")
PY
