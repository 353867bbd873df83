#!/usr/bin/env bash
# Cross-builds Qt (Core, Gui, Widgets, Test) for 64-bit Windows from Debian's
# own qt6-base source, the version of the installed qt6-base-dev, whose tools
# serve as the host tools. Installs it into a cache folder outside the
# checkout, so that it outlives a fresh clone:
#   ${TESSALY_QT_MINGW:-/var/cache/tessaly/qt6-mingw-<upstream version>}
# Does nothing when that folder already holds this build. The build runs in
# "<cache>.partial" and the result is moved into place at the end, so an
# interrupted run leaves no half-built cache; the next run resumes it.
# Prints the cache folder on its last line.
#   scripts/build-qt-mingw.sh           builds it unless it is there
#   scripts/build-qt-mingw.sh --where   only prints where it is (or would be)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

cache_folder() {
  debian_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null) || return 1
  upstream_version=${debian_version%%+*}
  cache=${TESSALY_QT_MINGW:-/var/cache/tessaly/qt6-mingw-$upstream_version}
}

if [ "${1:-}" = --where ]; then
  cache_folder && echo "$cache"
  exit
fi

"$root/scripts/install-deps.sh" qt-mingw
cache_folder
stamp=.tessaly-qt-build

# What the wizard does not need is left out. Debian's repacked source has no
# wintab.h (tablet events), and without OpenGL the Windows platform plugin
# builds only without dynamic GL. The bundled third-party libraries are used.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DFEATURE_network=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_opengl=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_dynamicgl=OFF
  -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_libpng=OFF
  -DFEATURE_system_libjpeg=OFF
  -DFEATURE_system_md4c=OFF
  -DINPUT_openssl=no
)
# The stamp names the source and the options: a change of either rebuilds.
recipe="qt6-base $debian_version ${options[*]}"

built() { [ "$(cat "$cache/$stamp" 2>/dev/null)" = "$recipe" ]; }
if built; then
  echo "$cache"
  exit 0
fi

mkdir -p "$(dirname "$cache")"
work=$cache.partial
# One build at a time: a second run waits, then finds the cache built.
exec 9>"$cache.lock"
flock 9
if built; then
  echo "$cache"
  exit 0
fi
if [ "$(cat "$work/recipe" 2>/dev/null)" != "$recipe" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  echo "$recipe" >"$work/recipe"
fi

# Adds deb-src entries for the machine's own Debian archives, in files of
# their own, when apt knows no source package of qt6-base.
add_debian_sources() {
  local name=/etc/apt/sources.list.d/tessaly-deb-src
  # deb822 stanzas of Debian's archives, their type made deb-src. Each
  # file ends its last stanza, and an earlier one of ours counts for none.
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && [ "$file" != "$name.sources" ] && { cat "$file"; echo; }
  done |
    awk -v RS= -v ORS='\n\n' '/(^|\n)Types:[^\n]*deb([ \n]|$)/ && /debian\.org/ {
      sub(/Types:[^\n]*/, "Types: deb-src"); print }' >"$name.sources.new" || true
  # One-line entries likewise.
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^deb \(.*debian\.org.*\)$/deb-src \1/p' >"$name.list.new" || true
  local added=0 kind
  for kind in sources list; do
    if grep -q . "$name.$kind.new"; then
      mv "$name.$kind.new" "$name.$kind"
      added=1
    else
      rm -f "$name.$kind.new"
    fi
  done
  if [ $added = 0 ]; then
    echo "no Debian archive in apt's sources: cannot fetch qt6-base" >&2
    exit 1
  fi
  apt-get update -qq
}

fetch_source() {
  if ! apt-cache showsrc "qt6-base=$debian_version" 2>/dev/null | grep -q '^Package:'; then
    add_debian_sources
  fi
  rm -rf "$work/fetch"
  mkdir -p "$work/fetch"
  # apt downloads as its own user where it may write.
  chown _apt "$work/fetch" 2>/dev/null || true
  (cd "$work/fetch" && apt-get source --download-only -qq "qt6-base=$debian_version" >/dev/null)
  verify_source "$work/fetch"/qt6-base_*.dsc
  # dpkg-source applies Debian's patches; it checks the .dsc's sums again.
  rm -rf "$work/src.tmp"
  dpkg-source --no-copy -x "$work/fetch"/qt6-base_*.dsc "$work/src.tmp" >/dev/null
  mv "$work/src.tmp" "$work/src"
  rm -rf "$work/fetch"
}

# Every file the .dsc lists must match its SHA-256 sum there.
verify_source() {
  local dsc=$1
  local sums
  sums=$(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $1 "  " $3 }' "$dsc")
  if [ -z "$sums" ]; then
    echo "$dsc lists no SHA-256 sums" >&2
    exit 1
  fi
  (cd "$(dirname "$dsc")" && echo "$sums" | sha256sum --quiet -c -)
}

[ -d "$work/src" ] || fetch_source

# Runs a step with its output in a log, shown in part when it fails.
logged() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "failed: see $log" >&2; exit 1; }
}

start=$(date +%s)
echo "Building Qt $upstream_version for mingw-w64 in $work (once; long)" >&2
logged "$work/configure.log" cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$cache" "${options[@]}"
logged "$work/build.log" cmake --build "$work/build"
# Installed under a staging root with the final prefix, then moved whole.
rm -rf "$work/stage"
DESTDIR="$work/stage" cmake --install "$work/build" >/dev/null
echo "$recipe" >"$work/stage$cache/$stamp"
rm -rf "$cache.old"
if [ -e "$cache" ]; then mv "$cache" "$cache.old"; fi
mv "$work/stage$cache" "$cache"
rm -rf "$cache.old" "$work"
echo "Qt $upstream_version for mingw-w64 built in $(($(date +%s) - start)) s" >&2
echo "$cache"
