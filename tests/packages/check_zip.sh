#!/usr/bin/env bash
# The Windows zip as a user gets it: made by CPack from the Windows build,
# its contents listed, unpacked, and its tesscli.exe run under Wine on the
# demo: the same console lines and files as the cross build's tesscli.exe.
#   check_zip.sh WINDOWS_BUILD_DIR SOURCE_DIR WINE
# WINEPREFIX names a prepared Wine prefix.
set -euo pipefail
build=$1
source=$2
wine=$3
work=$(mktemp -d "$WINEPREFIX/drive_c/zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
zip="$work/package/tessaly-$version-win64.zip"
[ -f "$zip" ] || fail "no $(basename "$zip") among: $(ls "$work/package")"
echo "Built $(basename "$zip") ($(stat -c %s "$zip") bytes)"

(cd "$work" && cmake -E tar xf "$zip")
top="$work/tessaly-$version-win64"
for file in tesscli.exe README.txt INSTALL.txt tesscli.txt README.md; do
  [ -f "$top/$file" ] || fail "the zip lacks $file"
done
grep -q "USAGE\|SYNOPSIS" "$top/tesscli.txt" || fail "tesscli.txt is not the manual page"
! grep -qv $'\r$' "$top/README.txt" "$top/INSTALL.txt" "$top/tesscli.txt" || fail "a text file lacks Windows line ends"
echo "Contents: $(cd "$top" && ls | tr '\n' ' ')"
if [ -f "$build/src/tesswiz.exe" ]; then
  # The wizard with the DLLs and plugins it needs: it starts from the
  # unpacked zip alone (a missing DLL or plugin ends it with an error).
  for file in tesswiz.exe Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
    [ -f "$top/$file" ] || fail "the zip lacks $file"
  done
  "$wine" "$top/tesswiz.exe" --version || fail "the zipped tesswiz.exe does not start"
  echo "The zipped tesswiz.exe starts under Wine with the zip's own DLLs"
fi

windows() { echo "Z:$1" | tr / '\\'; }
convert() {
  rm -rf "$work/out" && mkdir "$work/out"
  (cd "$source" && "$wine" "$1" "$(windows "$source/examples/demo/demo.mcp.xml")" \
    "$(windows "$work/out")" "$(windows "$source/examples/demo/cw")" -pn Demo -ext c,h) \
    >"$work/$2.txt" 2>/dev/null
  mv "$work/out" "$work/$2"
}
convert "$build/src/tesscli.exe" built
convert "$top/tesscli.exe" zipped
diff "$work/built.txt" "$work/zipped.txt" || fail "the console lines differ"
diff -r "$work/built" "$work/zipped" || fail "the written trees differ"
grep -q "Completed" "$work/zipped.txt" || fail "the zipped tesscli.exe did not complete"
echo "The zipped tesscli.exe converts the demo under Wine as the cross build's does"
