# The Python module into a virtual environment made from Debian's Python,
# offline: run in the source tree.
/usr/bin/python3 -m venv --system-site-packages venv && venv/bin/pip install --no-build-isolation .
