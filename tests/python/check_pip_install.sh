#!/usr/bin/env bash
# Installs the Python module the Python way, offline: a virtual environment
# made from the interpreter given, with its system site packages, and
# pip install --no-build-isolation of the source tree; then uses it.
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
"$python" -m venv --system-site-packages "$scratch/venv"
before=$(ls -a "$source" "$source/bindings/python")
"$scratch/venv/bin/pip" install --quiet --no-build-isolation --no-index "$source"
after=$(ls -a "$source" "$source/bindings/python")
if [ "$before" != "$after" ]; then
  echo "pip install left files in the source tree:"; diff <(echo "$before") <(echo "$after"); exit 1
fi
cd "$scratch"
"$scratch/venv/bin/python" - "$source/examples/quartz.dat" "$(cat "$source/VERSION")" <<'PY'
import sys
import logk
assert logk.__file__.startswith(sys.prefix), logk.__file__
assert logk.__version__ == sys.argv[2], logk.__version__
result = logk.Table.load(sys.argv[1]).interpolate(500.0, 300.0)
assert (int(result.pidx), int(result.tidx), str(result.isoerr), str(result.pterr)) == (19, 13, "N", "N"), result
print("pip install --no-build-isolation: the module loads the example and interpolates")
PY
