#!/usr/bin/env bash
# Fuzzes the whole conversion for SECONDS seconds (default 60) under
# AddressSanitizer and UndefinedBehaviorSanitizer, seeded with the test and
# genuine exports. Prints the number of executions; fails on any finding
# (crash, sanitizer report, leak, an input that takes over 10 s, a run that
# ends with an undescribed line or writes outside its destination). Findings
# are kept in build/fuzz/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh fuzz

build=build/fuzz
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

# The seeds are linked, not copied; what the fuzzer adds goes to the scratch
# corpus, which is kept between runs.
rm -rf "$build/seeds"
mkdir -p "$build/seeds" "$build/corpus" "$build/findings"
for seed in tests/data/real-exports/*.xml examples/demo/demo.mcp.xml tests/data/small/*.xml \
            tests/fuzz/seeds/*.xml; do
  ln -s "$PWD/$seed" "$build/seeds/$(basename "$seed")"
done

# The converter's temporary folder lies inside the build folder, so that an
# access path that climbs a few levels from the export (".." and "Recursive")
# walks the build folder and not the whole system temporary folder.
mkdir -p "$build/tmp"
export TMPDIR="$PWD/$build/tmp"

log="$build/fuzz.log"
status=0
"$build/fuzz_conversion" -max_len=65536 -timeout=10 -max_total_time="$seconds" \
  -dict=tests/fuzz/conversion.dict \
  -artifact_prefix="$build/findings/" -print_final_stats=1 \
  "$build/corpus" "$build/seeds" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
echo "Fuzzing: ${runs:-0} executions in ${seconds} s"
if [ "$status" -ne 0 ]; then
  echo "Fuzzing found a fault (exit status $status); the log is $log:" >&2
  grep -E 'ERROR|SUMMARY|fuzz_conversion:|Test unit written' "$log" >&2 || tail -20 "$log" >&2
  exit 1
fi
