#!/usr/bin/env bash
# The R package as its users get it: the library installed into a scratch
# prefix, found there by pkg-config, then R CMD build and R CMD check
# --no-manual of bindings/r, which runs its tests (tests/cases/cases.txt
# among them, found by LOGK_SOURCE_DIR); an ERROR or a WARNING fails, a
# NOTE is shown. Skipped, saying why, where R or testthat is missing.
#   check_r_package.sh <build directory> <source directory>
set -euo pipefail
build=$1
source=$2
if ! command -v R >/dev/null 2>&1 || ! command -v Rscript >/dev/null 2>&1; then
  echo "skipped: R is not installed (apt-get install r-base-core r-base-dev r-cran-testthat)"
  exit 77
fi
if ! Rscript -e 'library(testthat)' >/dev/null 2>&1; then
  echo "skipped: the R package testthat is not installed (apt-get install r-cran-testthat)"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One version for all, the package's examples the program's own.
[ "$(sed -n 's/^Version: //p' "$source/bindings/r/DESCRIPTION")" = "$(cat "$source/VERSION")" ] ||
  { echo "bindings/r/DESCRIPTION's version is not VERSION's"; exit 1; }
for table in quartz kw vapour_side calcite; do
  cmp "$source/examples/$table.dat" "$source/bindings/r/inst/extdata/$table.dat" ||
    { echo "bindings/r/inst/extdata/$table.dat differs from examples/$table.dat"; exit 1; }
done

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig"
# The package's tests run the table of cases of these sources, and hold the
# library to their VERSION.
export LOGK_SOURCE_DIR="$source"
cd "$scratch"
R CMD build "$source/bindings/r" >build.log 2>&1 || { cat build.log; exit 1; }
tarball=$(ls logk_*.tar.gz)
if ! R CMD check --no-manual "$tarball" >check.log 2>&1; then
  cat check.log
  [ -f logk.Rcheck/tests/testthat.Rout.fail ] && cat logk.Rcheck/tests/testthat.Rout.fail
  exit 1
fi
status=$(sed -n 's/^Status: //p' check.log)
echo "R CMD check: $status"
case "$status" in
  *ERROR*|*WARNING*) cat check.log; exit 1 ;;
  *NOTE*) grep -B2 -A6 "NOTE" check.log ;;
esac
