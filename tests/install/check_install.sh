#!/usr/bin/env bash
# Installs logk from a build tree the way a user would, and runs the
# installed program on the installed examples:
#   1. cmake --install into a scratch prefix;
#   2. cpack -G DEB, then the package unpacked with dpkg-deb -x;
# builds a small C model against each installed library, once found by
# CMake and once by pkg-config, and runs it; and checks that the man page
# renders without a warning.
#   check_install.sh <build directory> <source directory> [flags of the build, such as its sanitizers]
set -euo pipefail
build=$1
source=$2
model_flags=${3:-}  # a library built with sanitizers needs a model built with them
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
  for file in bin/logk bin/logk-plot lib/liblogk.a lib/liblogk.so.2 include/logk/logk.h include/logk/logk.hpp \
              include/logk/logk.f90 share/man/man1/logk.1 share/doc/logk/README.md share/doc/logk/copyright \
              share/doc/logk/docs/example_run.png share/doc/logk/examples/quartz.dat \
              share/doc/logk/examples/PT.dat share/doc/logk/examples/logk.out.expected \
              share/doc/logk/docs/python_geotherm.png share/doc/logk/examples/c/geotherm.c \
              share/doc/logk/examples/cpp/geotherm.cpp share/doc/logk/examples/fortran/geotherm.f90 \
              share/doc/logk/examples/python/geotherm.py share/doc/logk/examples/kw.dat; do
    [ -f "$prefix/$file" ] || { echo "$what: $file is missing"; exit 1; }
  done
  [ -x "$prefix/bin/logk-plot" ] || { echo "$what: logk-plot is not executable"; exit 1; }
  # The manual page names the version the program prints.
  local version
  version=$("$prefix/bin/logk" --version)
  grep -qF "\"$version\"" "$prefix/share/man/man1/logk.1" ||
    { echo "$what: the manual page does not name $version"; exit 1; }
  # The manual page finds the examples beside the directory of the program.
  local examples
  examples=$(dirname "$prefix/bin/logk")/../share/doc/logk/examples
  local run="$scratch/run-$what"
  mkdir -p "$run"
  cp "$examples/quartz.dat" "$examples/PT.dat" "$run/"
  (cd "$run" && "$prefix/bin/logk")
  cmp "$run/logk.out" "$prefix/share/doc/logk/examples/logk.out.expected"
  echo "$what: installed logk reproduces the example"
  if /usr/bin/python3 -c "import matplotlib" 2>/dev/null; then
    (cd "$run" && "$prefix/bin/logk-plot" logk.out quartz.dat run.png)
    [ -s "$run/run.png" ] || { echo "$what: logk-plot drew nothing"; exit 1; }
    echo "$what: installed logk-plot draws the example"
  fi
}

check_library() {  # <prefix> <what>
  local prefix=$1 what=$2 out
  local table="$prefix/share/doc/logk/examples/quartz.dat"
  cmake -S "$source/tests/install/consumer" -B "$scratch/consumer-$what" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_C_FLAGS="$model_flags" -DCMAKE_EXE_LINKER_FLAGS="$model_flags" >/dev/null
  cmake --build "$scratch/consumer-$what" >/dev/null
  out=$("$scratch/consumer-$what/consumer" "$table")
  [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the CMake consumer printed '$out'"; exit 1; }
  echo "$what: a C model built with find_package(logk) runs"
  if command -v pkg-config >/dev/null 2>&1; then
    local flags libdir
    export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
    flags=$(pkg-config --cflags --libs logk)
    cc $model_flags "$source/tests/install/consumer/consumer.c" $flags -o "$scratch/consumer-pc-$what"
    out=$(LD_LIBRARY_PATH="$prefix/lib" "$scratch/consumer-pc-$what" "$table")
    [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the pkg-config consumer printed '$out'"; exit 1; }
    echo "$what: a C model built with pkg-config runs"
    # Where the prefix is not on the loader's path: the README's two ways
    # that need no LD_LIBRARY_PATH, a run path and the static library.
    libdir=$(pkg-config --variable=libdir logk)
    cc $model_flags "$source/tests/install/consumer/consumer.c" $flags -Wl,-rpath,"$libdir" \
       -o "$scratch/consumer-rpath-$what"
    out=$(env -u LD_LIBRARY_PATH "$scratch/consumer-rpath-$what" "$table")
    [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the consumer with a run path printed '$out'"; exit 1; }
    echo "$what: a C model with a run path runs"
    if [ -z "$model_flags" ]; then  # the sanitizers' runtime is not linked statically
      cc "$source/tests/install/consumer/consumer.c" $(pkg-config --cflags logk) \
         -Wl,-Bstatic $(pkg-config --static --libs logk) -Wl,-Bdynamic -o "$scratch/consumer-static-$what"
      if ldd "$scratch/consumer-static-$what" | grep -q liblogk; then
        echo "$what: the static consumer needs liblogk.so"; exit 1
      fi
      out=$(env -u LD_LIBRARY_PATH "$scratch/consumer-static-$what" "$table")
      [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the static consumer printed '$out'"; exit 1; }
      echo "$what: a C model linked with pkg-config --static runs"
    fi
    # A set of both example tables, from a C model, against a model written
    # apart from the library.
    cc $model_flags "$source/tests/install/consumer/set_client.c" $flags -Wl,-rpath,"$libdir" \
       -o "$scratch/set-client-$what"
    if /usr/bin/python3 -c "import numpy" 2>/dev/null; then
      /usr/bin/python3 "$source/tests/install/check_set_client.py" "$scratch/set-client-$what" "$source" \
        "$prefix/share/doc/logk/examples/quartz.dat" "$prefix/share/doc/logk/examples/kw.dat"
    else
      echo "$what: skipped the set client's check: python3-numpy is not installed"
    fi
    unset PKG_CONFIG_PATH
  else
    echo "$what: skipped the pkg-config consumer: pkg-config is not installed"
  fi
  check_fortran "$prefix" "$what"
}

check_fortran() {  # <prefix> <what>
  local prefix=$1 what=$2 out
  local table="$prefix/share/doc/logk/examples/quartz.dat"
  if ! command -v gfortran >/dev/null 2>&1; then
    echo "$what: skipped the Fortran models: gfortran is not installed"
    return
  fi
  # A project whose only language is Fortran, with logk::fortran, in the
  # standard models set.
  cmake -S "$source/tests/install/fortran_consumer" -B "$scratch/fortran-$what" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_Fortran_FLAGS="-std=f2008 $model_flags" -DCMAKE_EXE_LINKER_FLAGS="$model_flags" >/dev/null
  cmake --build "$scratch/fortran-$what" >/dev/null
  out=$(LD_LIBRARY_PATH="$prefix/lib" "$scratch/fortran-$what/model" "$table")
  [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the Fortran CMake model printed '$out'"; exit 1; }
  echo "$what: a Fortran model built with find_package(logk) and logk::fortran runs"
  # And a plain gfortran line, the module's source and the model in one
  # command, the library by its run path, off the loader's path (the
  # guide's own line is run by the guide_commands test).
  if ! command -v pkg-config >/dev/null 2>&1; then
    echo "$what: skipped the plain gfortran line: pkg-config is not installed"
    return
  fi
  local plain_line
  plain_line='gfortran -std=f2008 $(pkg-config --variable=includedir logk)/logk/logk.f90 geotherm.f90 $(pkg-config --libs logk) -Wl,-rpath,$(pkg-config --variable=libdir logk)'
  mkdir -p "$scratch/fortran-plain-$what"
  cp "$source/tests/install/fortran_consumer/model.f90" "$scratch/fortran-plain-$what/geotherm.f90"
  (cd "$scratch/fortran-plain-$what" && PKG_CONFIG_PATH="$prefix/lib/pkgconfig" bash -c "$plain_line $model_flags")
  out=$(env -u LD_LIBRARY_PATH "$scratch/fortran-plain-$what/a.out" "$table")
  [ "$out" = "19 13 N N -1.917" ] || { echo "$what: the plain gfortran model printed '$out'"; exit 1; }
  echo "$what: a Fortran model built with a plain gfortran line runs"
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
check_tree "$scratch/prefix" install
check_library "$scratch/prefix" install

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -x "$deb" "$scratch/deb"
check_tree "$scratch/deb/usr" package
check_library "$scratch/deb/usr" package
dpkg-deb -f "$deb" Package Version Architecture
contents=$(dpkg-deb -c "$deb")
grep -q "/usr/share/doc/logk/copyright$" <<<"$contents" || { echo "package: no copyright file"; exit 1; }

# The manual's example of how to find the examples works as written.
grep -qF 'examples=$(dirname "$(command \-v logk)")/../share/doc/logk/examples' "$source/docs/logk.1" ||
  { echo "man page: the examples' path is not found from the program's"; exit 1; }
warnings=$(groff -ww -man -z "$source/docs/logk.1" 2>&1)
[ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
echo "man page renders without warnings"
