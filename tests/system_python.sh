#!/usr/bin/env bash
# Runs a tool test with the system Python, which has Debian's packages;
# skips (77) where there is none.
[ -x /usr/bin/python3 ] || { echo "skipped: no /usr/bin/python3"; exit 77; }
exec /usr/bin/python3 "$@"
