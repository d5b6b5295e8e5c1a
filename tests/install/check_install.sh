#!/usr/bin/env bash
# Installs logk from a build tree the way a user would, and runs the
# installed program on the installed examples:
#   1. cmake --install into a scratch prefix;
#   2. cpack -G DEB, then the package unpacked with dpkg-deb -x;
# and checks that the man page renders without a warning.
#   check_install.sh <build directory> <source directory>
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for tool in dpkg-deb groff cpack; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

check_tree() {  # <prefix> <what>
  local prefix=$1 what=$2
  for file in bin/logk share/man/man1/logk.1 share/doc/logk/examples/quartz.dat \
              share/doc/logk/examples/PT.dat share/doc/logk/examples/logk.out.expected; do
    [ -f "$prefix/$file" ] || { echo "$what: $file is missing"; exit 1; }
  done
  local run="$scratch/run-$what"
  mkdir -p "$run"
  cp "$prefix/share/doc/logk/examples/quartz.dat" "$prefix/share/doc/logk/examples/PT.dat" "$run/"
  (cd "$run" && "$prefix/bin/logk")
  cmp "$run/logk.out" "$prefix/share/doc/logk/examples/logk.out.expected"
  echo "$what: installed logk reproduces the example"
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
check_tree "$scratch/prefix" install

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -x "$deb" "$scratch/deb"
check_tree "$scratch/deb/usr" package
dpkg-deb -f "$deb" Package Version Architecture

warnings=$(groff -ww -man -z "$source/docs/logk.1" 2>&1)
[ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
echo "man page renders without warnings"
