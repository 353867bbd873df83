#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
#   scripts/install-deps.sh converter   compiler and CMake: enough to build tesscli
#   scripts/install-deps.sh all         everything the test command needs
#   scripts/install-deps.sh qt-mingw    what scripts/build-qt-mingw.sh needs
#   scripts/install-deps.sh fuzz        what scripts/fuzz.sh needs
#   scripts/install-deps.sh bench       what bench/run.sh needs besides the converter's
set -euo pipefail

converter=(cmake ninja-build g++ nlohmann-json3-dev)
fuzz=(cmake ninja-build clang libclang-rt-14-dev)
all=("${converter[@]}" "${fuzz[@]}" libgtest-dev libgmock-dev qt6-base-dev g++-mingw-w64-x86-64
     fonts-dejavu-core wine cppcheck lintian dpkg-dev groff-base)
qt_mingw=(cmake ninja-build dpkg-dev perl qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64)
bench=("${converter[@]}" python3 libbenchmark-dev libxml2-utils)

case "${1:-all}" in
  converter) wanted=("${converter[@]}") ;;
  all) wanted=("${all[@]}") ;;
  qt-mingw) wanted=("${qt_mingw[@]}") ;;
  fuzz) wanted=("${fuzz[@]}") ;;
  bench) wanted=("${bench[@]}") ;;
  *) echo "usage: $0 [converter|all|qt-mingw|fuzz|bench]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
