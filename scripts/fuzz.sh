#!/usr/bin/env bash
# Fuzzes the whole conversion under AddressSanitizer and
# UndefinedBehaviorSanitizer: SECONDS seconds (default 60) of exports, seeded
# with the test and genuine exports, then half as long of binary project
# files, seeded with the kept binary projects. Prints the number of
# executions; fails on any finding (crash, sanitizer report, leak, an input
# that takes over 10 s or more memory than its size allows, a run that ends
# with an undescribed line or writes outside its destination). Findings are
# kept in build/fuzz/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh fuzz

build=build/fuzz
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

# The converter's temporary folder lies inside the build folder, so that an
# access path that climbs a few levels from the export (".." and "Recursive")
# walks the build folder and not the whole system temporary folder.
mkdir -p "$build/tmp" "$build/findings"
export TMPDIR="$PWD/$build/tmp"

# fuzz TARGET SECONDS MAX_LEN SEED... : the seeds are linked, not copied;
# what the fuzzer adds goes to the target's scratch corpus, kept between runs.
fuzz() {
  local target="$1" time="$2" max_len="$3"
  shift 3
  rm -rf "$build/seeds-$target"
  mkdir -p "$build/seeds-$target" "$build/corpus-$target"
  for seed in "$@"; do
    ln -s "$PWD/$seed" "$build/seeds-$target/$(basename "$seed")"
  done
  local log="$build/$target.log" status=0
  "$build/$target" -max_len="$max_len" -timeout=10 -malloc_limit_mb=512 -max_total_time="$time" \
    -dict=tests/fuzz/conversion.dict \
    -artifact_prefix="$build/findings/" -print_final_stats=1 \
    "$build/corpus-$target" "$build/seeds-$target" >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "Fuzzing $target: ${runs:-0} executions in ${time} s"
  if [ "$status" -ne 0 ]; then
    echo "Fuzzing found a fault (exit status $status); the log is $log:" >&2
    grep -E 'ERROR|SUMMARY|fuzz_conversion:|Test unit written' "$log" >&2 || tail -20 "$log" >&2
    exit 1
  fi
}

fuzz fuzz_conversion "$seconds" 65536 tests/data/real-exports/*.xml examples/demo/demo.mcp.xml \
  tests/data/small/*.xml tests/fuzz/seeds/*.xml
fuzz fuzz_binary_project "$((seconds / 2))" 1048576 tests/data/binary-projects/*/*.mcp \
  tests/fuzz/seeds/*.mcp
