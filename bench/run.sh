#!/usr/bin/env bash
# The tesscli benchmark: builds the release tesscli and the bench programs in
# build/bench (the default preset's Release settings, plus the benchmarks),
# generates the data once, and prints one table of figures and the targets.
#   bench/run.sh [--sizes S,M,L,P] [--repeat N] [--data DIR] [--micro] [--wizard] [--hostile]
#                [--letter-case [--before TESSCLI]]
# --micro also runs the Google Benchmark micro-benchmarks. --wizard instead
# builds the wizard too and times a conversion of L through it against the
# command line (bench/measure_wizard.py; needs qt6-base-dev). --hostile
# instead times exports shaped to make a converter spin, each at twice its
# size, and prints the ratios (bench/hostile.py). --letter-case instead times
# one tree's exports in Unix form, in Windows form and in Windows form with
# the names in another case than the disk's (LW, or --sizes MW), with
# --before also against an earlier build's tesscli and on L, and counts the
# existence tests and folder listings (bench/letter_case.py).
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=S,M,L,P
repeat=3
data=build/bench-data
micro=0
wizard=OFF
hostile=0
letter_case=0
before=
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --micro) micro=1; shift ;;
    --wizard) wizard=ON; shift ;;
    --hostile) hostile=1; shift ;;
    --letter-case) letter_case=1; shift ;;
    --before) before=$2; shift 2 ;;
    *) echo "usage: $0 [--sizes S,M,L,P] [--repeat N] [--data DIR] [--micro] [--wizard] [--hostile]" \
         "[--letter-case [--before TESSCLI]]" >&2
       exit 2 ;;
  esac
done

scripts/install-deps.sh bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DTESSALY_BUILD_WIZARD="$wizard" -DTESSALY_BUILD_BENCH=ON >/dev/null
cmake --build build/bench >/dev/null

machine() {
  echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
    "$(free -g | awk '/^Mem:/ {print $2}') GB memory; data on $(df -T "$1" | awk 'NR == 2 {print $2}')"
}
if [ "$hostile" = 1 ]; then
  mkdir -p "$data/hostile"
  machine "$data/hostile"
  python3 bench/hostile.py --build build/bench --data "$data/hostile" --repeat "$repeat"
  exit
fi
if [ "$letter_case" = 1 ]; then
  case_size=LW
  if [ "$sizes" = MW ]; then
    case_size=MW
  fi
  python3 bench/generate.py --out "$data" --sizes "${before:+L,}$case_size"
  machine "$data"
  python3 bench/letter_case.py --build build/bench --data "$data" --size "$case_size" \
    --repeat "$repeat" ${before:+--before "$before"}
  exit
fi
if [ "$wizard" = ON ]; then
  sizes=L
fi
python3 bench/generate.py --out "$data" --sizes "$sizes"
machine "$data"
if [ "$wizard" = ON ]; then
  python3 bench/measure_wizard.py --build build/bench --data "$data" --repeat "$repeat"
  exit
fi
python3 bench/measure.py --build build/bench --data "$data" --sizes "$sizes" --repeat "$repeat"
echo "Binary project against its export (the biggest pair kept with the tests):"
python3 bench/measure_binary.py --tesscli build/bench/src/tesscli --repeat "$repeat"
if [ "$micro" = 1 ]; then
  build/bench/bench/tessbench_micro --benchmark_min_time=0.2
fi
