#!/bin/sh
# Renders the wizard's four pages to docs/images/page0.png .. page3.png, and
# the last page's log after converting the bundled demo export to
# docs/images/page3-run.png, on Qt's offscreen platform.
# Usage: scripts/render-wizard-pages.sh [BUILD_DIR]
# (default build/render). Needs qt6-base-dev; installs the DejaVu fonts when
# no font is available, since the offscreen platform draws text only with them.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/render"}

if ! fc-list 2>/dev/null | grep -q .; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update >/dev/null && apt-get install -y fonts-dejavu-core >/dev/null
    else
        echo "no fonts found: install fonts-dejavu-core" >&2
        exit 1
    fi
fi

cmake -S "$root" -B "$build" -G Ninja -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target render_wizard_pages tesscli
QT_QPA_PLATFORM=offscreen "$build/tests/wizard/render_wizard_pages" "$root/docs/images" \
    "$root/examples/demo" "$build/src"
