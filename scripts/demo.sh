#!/usr/bin/env bash
# Builds tesscli and converts the bundled example export into ./demo-output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh converter

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DTESSALY_BUILD_WIZARD=OFF >/dev/null
cmake --build build/demo --target tesscli >/dev/null

rm -rf demo-output && mkdir demo-output
build/demo/src/tesscli examples/demo/demo.mcp.xml demo-output "$PWD/examples/demo/cw" \
  -pn Demo -ext c,h
echo
echo "Written: demo-output/Demo.prj"
