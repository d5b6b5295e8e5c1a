#!/usr/bin/env bash
# Builds logk (without tests), installs it and the R package into a scratch
# directory, and runs bench/r_bench.R and bench/r_interrupt_bench.R there.
#   bash bench/run_r_bench.sh [points] [rounds]
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake -S "$source" -B "$scratch/build" -DLOGK_BUILD_TESTS=OFF -DLOGK_BUILD_PYTHON=OFF >/dev/null
cmake --build "$scratch/build" -j2 >/dev/null
cmake --install "$scratch/build" --prefix "$scratch/prefix" >/dev/null
mkdir "$scratch/lib"
PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig" R CMD INSTALL -l "$scratch/lib" "$source/bindings/r" >/dev/null 2>&1
R_LIBS="$scratch/lib" Rscript "$source/bench/r_bench.R" "$source/examples/quartz.dat" "${1:-10000000}" "${2:-11}"
R_LIBS="$scratch/lib" Rscript "$source/bench/r_interrupt_bench.R"
