#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given seconds.
#   tests/fuzz/run_fuzz.sh 60            # a minute per target
# New inputs that libFuzzer finds go to build-fuzz/corpus-<target>; the
# checked-in seeds under tests/fuzz/corpus stay as they are.
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/build-fuzz"
mkdir -p "$out"

bash "$here/install_clang.sh"

flags=(-std=c++20 -O1 -g -ffp-contract=off -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root/src" -I"$root/include" -I"$root/tests")
core=("$root"/src/reader/{input_file,field_scanner,number_conversion}.cpp "$root"/src/messages/catalogue.cpp
      "$root"/src/system/platform.cpp)

build() {
  local target=$1; shift
  clang++ "${flags[@]}" "$here/$target.cpp" "$@" -o "$out/$target"
}
build fuzz_reader "${core[@]}"
build fuzz_conversion "$root/src/reader/number_conversion.cpp"
build fuzz_number_field "$root/src/result/number_field.cpp" "$root/tests/support/exact_field.cpp"
build fuzz_grid_file "${core[@]}" "$root/src/reader/grid_file.cpp"

status=0
for target in fuzz_reader:reader fuzz_conversion:conversion fuzz_number_field:number_field fuzz_grid_file:grid; do
  name=${target%%:*}
  seeds=$here/corpus/${target##*:}
  work="$out/corpus-$name"
  mkdir -p "$work"
  echo "== $name, ${seconds}s"
  if ! "$out/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 "$work" "$seeds" 2>"$out/$name.log"; then
    status=1
    tail -n 40 "$out/$name.log"
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$out/$name.log" || true
done
exit $status
