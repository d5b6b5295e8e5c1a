#!/usr/bin/env bash
# The commands of the README and the guide, run as a newcomer pastes them,
# in a copy of the source tree and a scratch home: the README's quick start,
# the install into ~/.local, the environment for it, a model in C, C++ and
# Fortran built against it (with a run path, and statically), the
# program's options and pipes, the plot, the program on a table of its own
# nodes, the R package installed and the R and Python examples run. Each
# example's output is held to the C example's, which the library tests hold
# to the program's.
#   check_guide_commands.sh <source directory> <python> <directory of the built Python module>
set -euo pipefail
source=$1
python=$2
python_path=$3
for tool in cc g++ pkg-config cmake tar; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: the guide's commands need $tool"
    exit 77
  fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unset LD_LIBRARY_PATH PKG_CONFIG_PATH CMAKE_PREFIX_PATH MANPATH
export HOME="$scratch/home"
mkdir -p "$HOME" "$scratch/src" "$scratch/work"
fail() { echo "$*"; exit 1; }
same() {  # <what> <expected file> <file>
  cmp -s "$2" "$3" || { echo "$1 differs:"; diff "$2" "$3" | head -20; exit 1; }
}

# The source tree as a user has it: no build trees, no runs.
tar -C "$source" --exclude=./build --exclude='./build-*' --exclude=./run --exclude=./venv --exclude=./.git -cf - . |
  tar -C "$scratch/src" -xf -

cd "$scratch/src"
quick_start=$(grep -x 'cmake -S \. -B build && cmake --build build -j2 --target logk && .*cat run/logk.out' README.md)
bash -c "$quick_start" >quick_start.out 2>quick_start.err || { cat quick_start.err; fail "the README's quick start fails"; }
same "the quick start's logk.out" examples/logk.out.expected run/logk.out
echo "the README's quick start runs the example"

bash examples/shell/install_home.sh >install.out 2>&1 || { tail -30 install.out; fail "install_home.sh fails"; }
# shellcheck source=/dev/null
. examples/shell/env_home.sh
[ "$(command -v logk)" = "$HOME/.local/bin/logk" ] || fail "env_home.sh does not put the installed logk first"
[ "$(logk --version)" = "logk $(cat VERSION)" ] || fail "the installed logk says $(logk --version)"
[ "$(pkg-config --modversion logk)" = "$(cat VERSION)" ] || fail "pkg-config does not find the installed logk"
if command -v man >/dev/null 2>&1; then
  [ "$(man -w logk)" = "$HOME/.local/share/man/man1/logk.1" ] || fail "man logk finds $(man -w logk 2>&1)"
fi
echo "install_home.sh and env_home.sh: logk, pkg-config and man find the install in ~/.local"

cd "$scratch/work"
cp "$source"/examples/{quartz.dat,kw.dat,PT.dat} "$source"/examples/c/{one_table.c,geotherm.c,geothermometer.c,own_nodes.c} \
   "$source"/examples/cpp/one_table.cpp "$source"/examples/fortran/one_table.f90 \
   "$source"/examples/python/one_table.py "$source"/examples/r/*.R .
bash "$source/examples/shell/c_model.sh" >c.out
[ "$(wc -l <c.out)" -eq 5 ] || fail "the C model printed: $(cat c.out)"
bash "$source/examples/shell/cpp_model.sh" >cpp.out
same "the C++ model's output" c.out cpp.out
bash "$source/examples/shell/static_model.sh" >static.out
same "the static model's output" c.out static.out
if ldd one_table_static | grep -q liblogk; then fail "the static model needs liblogk.so"; fi
echo "c_model.sh, cpp_model.sh, static_model.sh: the models build and run without LD_LIBRARY_PATH"
if command -v gfortran >/dev/null 2>&1; then
  bash "$source/examples/shell/fortran_model.sh" >fortran.out
  # Fortran prints 17 digits as ES26.17: the same doubles, written as C writes them.
  awk '{printf "%.17g %.17g %d %d %.17g %s %s\n", $1, $2, $3, $4, $5, $6, $7}' fortran.out >fortran.c.out
  same "the Fortran model's output" c.out fortran.c.out
  echo "fortran_model.sh: the gfortran line builds a model that runs without LD_LIBRARY_PATH"
else
  echo "skipped fortran_model.sh: gfortran is not installed"
fi
cc geotherm.c $(pkg-config --cflags --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -o geotherm
./geotherm quartz.dat kw.dat >geotherm.out
bash "$source/examples/shell/geothermometer.sh" >geothermometer_waters.out
[ "$(wc -l <geothermometer_waters.out)" -eq 13 ] && grep -q "^neutral pH 6.0 at 100 bar: " geothermometer_waters.out ||
  fail "geothermometer.sh printed: $(cat geothermometer_waters.out)"
./geothermometer quartz.dat kw.dat >geothermometer.out
echo "geothermometer.sh: the geothermometer builds and runs"
cc own_nodes.c $(pkg-config --cflags --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -o own_nodes
./own_nodes >own_nodes.out

PYTHONPATH="$python_path" "$python" one_table.py quartz.dat >python.out
same "the Python example's output" c.out python.out
echo "one_table.py prints what the C example prints"

mkdir options && cp quartz.dat PT.dat options/
(cd options && bash "$source/examples/shell/run_options.sh" >flagged.out)
same "run_options.sh's run.out" "$source/examples/logk.out.expected" options/run.out
flagged=$(tr -d '\r' <"$source/examples/logk.out.expected" | cut -c71 | tail -n +2 | grep -vc N)
[ "$(wc -l <options/flagged.out)" -eq "$flagged" ] && ! grep -qv ' [WE]$' options/flagged.out ||
  fail "run_options.sh's awk line printed: $(cat options/flagged.out)"
echo "run_options.sh: the options name the files, and the awk line sees the flags"

mkdir pipe && cp quartz.dat pipe/
(cd pipe && bash "$source/examples/shell/pipe.sh" >streamed.out)
mkdir pipe-file && cp quartz.dat pipe-file/ && printf '500 300\n100 200\n' >pipe-file/PT.dat
(cd pipe-file && logk && tr -d '\r' <logk.out >once.out && cat once.out once.out >expected.out)
same "pipe.sh's results" pipe-file/expected.out pipe/streamed.out
echo "pipe.sh: the points and the results stream through named pipes, and through standard input and output"

# The program on calcite.dat: the lines logk.out holds for the C example's
# points and results, written by the Python module.
mkdir own && cp "$source/examples/calcite.dat" own/
(cd own && bash "$source/examples/shell/own_nodes.sh" >shown.out)
PYTHONPATH="$python_path" "$python" - own_nodes.out >own/expected.out <<'EOF'
import sys, types
import numpy as np
import logk
rows = [line.split() for line in open(sys.argv[1]).read().splitlines()[1:]]  # past the line of nodes
P, T, pidx, tidx, lk = (np.array([float(row[k]) for row in rows]) for k in range(5))
result = types.SimpleNamespace(lk=lk, pidx=pidx, tidx=tidx, isoerr=[row[5] for row in rows],
                               pterr=[row[6] for row in rows])
sys.stdout.write(logk.format_logk_out(P, T, result).decode().replace("\r", ""))
EOF
[ "$(wc -l <own/expected.out)" -eq 6 ] || fail "the C example own_nodes printed: $(cat own_nodes.out)"
same "own_nodes.sh's results" own/expected.out own/shown.out
echo "own_nodes.sh: the program on calcite.dat gives the own_nodes example's results"

if /usr/bin/python3 -c "import matplotlib" 2>/dev/null; then
  mkdir plot && cp quartz.dat PT.dat plot/
  (cd plot && bash "$source/examples/shell/plot_run.sh")
  [ -s plot/run.png ] || fail "plot_run.sh drew nothing"
  echo "plot_run.sh: the installed logk-plot draws the run"
else
  echo "skipped plot_run.sh: python3-matplotlib is not installed"
fi

if command -v R >/dev/null 2>&1 && command -v Rscript >/dev/null 2>&1; then
  export R_LIBS="$scratch/R"  # R CMD INSTALL installs into the first library of the path
  mkdir -p "$R_LIBS"
  (cd "$scratch/src" && bash examples/shell/install_r.sh >install_r.out 2>&1) ||
    { tail -30 "$scratch/src/install_r.out"; fail "install_r.sh fails"; }
  Rscript one_table.R quartz.dat >r_one_table.out
  same "the R one-table example's output" c.out r_one_table.out
  Rscript geotherm.R quartz.dat kw.dat >r_geotherm.out
  same "the R geotherm's output" geotherm.out r_geotherm.out
  Rscript geothermometer.R quartz.dat kw.dat >r_geothermometer.out
  same "the R geothermometer's output" geothermometer.out r_geothermometer.out
  Rscript own_nodes.R >r_own_nodes.out
  same "the R own-nodes example's output" own_nodes.out r_own_nodes.out
  echo "install_r.sh installs the package; the R examples print what the C examples print"
else
  echo "skipped install_r.sh and the R examples: R is not installed"
fi
