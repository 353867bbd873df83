#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from this build, checked
# by lintian, its contents listed, and unpacked into a temporary root whose
# tesscli converts the demo byte for byte as the build tree's does and whose
# tesswiz prints its version without a display.
#   check_deb.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

version=$("$build/src/tesscli" --version | sed -n 's/^tesscli //p')
[ -n "$version" ] || fail "tesscli --version printed no version"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/package/tessaly_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/package")"
echo "Built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

status=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || status=$?
grep -v "running with root privileges" "$work/lintian.txt" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
echo "lintian: no error, $(grep -c '^W: ' "$work/lintian.txt" || true) warnings"

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/tesscli ./usr/bin/tesswiz ./usr/share/man/man1/tesscli.1.gz \
            ./usr/share/man/man1/tesswiz.1.gz ./usr/share/applications/tesswiz.desktop \
            ./usr/share/icons/hicolor/32x32/apps/tesswiz.png ./usr/share/doc/tessaly/README.md \
            ./usr/share/doc/tessaly/copyright ./usr/share/doc/tessaly/changelog.gz \
            ./usr/share/doc/tessaly/wizard.md ./usr/share/doc/tessaly/images/page0.png; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
# The manual pages name the version by hand: a release that forgets them fails.
for page in tesscli tesswiz; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/man/man1/$page.1.gz" | gzip -dc | head -1 |
    grep -qF "\"Tessaly $version\"" || fail "$page.1 does not name version $version"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
echo "Contents and Depends ($depends): as expected"

dpkg-deb -x "$deb" "$work/root"
convert() {
  rm -rf "$work/out" && mkdir "$work/out"
  (cd "$source" && "$1" examples/demo/demo.mcp.xml "$work/out" "$source/examples/demo/cw" \
    -pn Demo -ext c,h -cdb "$work/out/compile_commands.json") >"$work/$2.txt"
  mv "$work/out" "$work/$2"
}
convert "$build/src/tesscli" built
convert "$work/root/usr/bin/tesscli" packaged
diff "$work/built.txt" "$work/packaged.txt" || fail "the console lines differ"
diff -r "$work/built" "$work/packaged" || fail "the written trees differ"
echo "The packaged tesscli converts the demo as the build tree's does"

wizard=$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/tesswiz" --version)
[ "$wizard" = "tesswiz $version" ] || fail "tesswiz --version printed: $wizard"
echo "The packaged tesswiz --version: $wizard"
