#!/bin/sh
# The Windows twin of scripts/render-wizard-pages.sh: renders the wizard's
# four pages and the log after converting the bundled demo export as Windows
# users see them, with the Windows build under Wine on Qt's Windows platform
# and style, to docs/images/windows-page0.png .. windows-page3.png and
# docs/images/windows-page3-run.png.
# Usage: scripts/render-wizard-pages-windows.sh
# Builds Qt for mingw-w64 first when it is missing (scripts/build-qt-mingw.sh).
# The program runs from a copy of the deploy folder (build/windows/deploy),
# so that it finds exactly the DLLs and plugins shipped with tesswiz.exe.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
cd "$root"

scripts/build-qt-mingw.sh >/dev/null
cmake --preset windows >/dev/null
cmake --build "$build" --target render_wizard_pages tesswiz_deploy

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -R "$build/deploy/." "$scratch/bin"
cp "$build/tests/wizard/render_wizard_pages.exe" "$scratch/bin"
mkdir "$scratch/pages"

export WINEPREFIX="$build/render-wineprefix" WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1
# FreeType draws the text: with Wine's GDI font metrics a line edit's text
# lands above its frame.
wine "$scratch/bin/render_wizard_pages.exe" -platform windows:fontengine=freetype "Z:$scratch/pages" \
    "Z:$root/examples/demo" "Z:$scratch/bin"
for picture in "$scratch/pages"/*.png; do
    cp "$picture" "$root/docs/images/windows-$(basename "$picture")"
done
