#!/usr/bin/env bash
# Builds the release, sanitizer and Windows presets and runs every test of
# the first two. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all

cmake --preset windows >/dev/null
cmake --build --preset windows

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
