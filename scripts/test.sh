#!/usr/bin/env bash
# Builds the release, sanitizer and Windows presets and runs every test of
# them. Installs what it needs first, and builds Qt for mingw-w64 into its
# cache folder on the first run (long: see scripts/build-qt-mingw.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
scripts/build-qt-mingw.sh >/dev/null

cmake --preset windows >/dev/null
cmake --build --preset windows
# The wizard's suites built for Windows, under Wine.
ctest --preset windows

cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

scripts/fuzz.sh 60

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
# The summary line of the last run closes the output: the timing line after
# it and trailing blank lines are left out.
ctest --preset sanitize 2>&1 | sed '/^Total Test time/d' |
  awk 'NF { while (blank > 0) { print ""; blank-- } print; next } { blank++ }'
