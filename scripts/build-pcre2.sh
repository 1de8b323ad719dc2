#!/usr/bin/env bash
# Builds PCRE2 10.42 from Debian's source package the way kestrune links it on every platform:
# the static 16-bit library with JIT and Unicode support, and link size 4. (Debian's own
# libpcre2-dev has link size 2, whose compiled patterns end at 64 K units, which a cell-sized
# alternation of names passes.) Installs into build/pcre2-TARGET/install: the headers, the
# library and libpcre2-16.pc, which the CMake presets read through PKG_CONFIG_LIBDIR.
#
#   bash scripts/build-pcre2.sh linux              # the native build: release, debug, asan, fuzz
#   bash scripts/build-pcre2.sh mingw-w64-x86_64   # 64-bit Windows: the windows preset
#   bash scripts/build-pcre2.sh mingw-w64-i686     # 32-bit Windows: the windows-x86 preset
#
# A mingw-w64 target is built with the toolchain file of its name, cmake/TARGET.cmake. Does
# nothing when the library is already there, built with the same settings.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

target="${1:?usage: build-pcre2.sh linux|mingw-w64-x86_64|mingw-w64-i686}"
version=10.42
debian_version=10.42-1
sources="$root/build/pcre2-source"
work="$root/build/pcre2-$target"
install="$work/install"
jobs="${KESTRUNE_JOBS:-2}"

settings=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=OFF
  -DBUILD_STATIC_LIBS=ON
  -DPCRE2_BUILD_PCRE2_8=OFF
  -DPCRE2_BUILD_PCRE2_16=ON
  -DPCRE2_BUILD_PCRE2_32=OFF
  -DPCRE2_LINK_SIZE=4
  -DPCRE2_SUPPORT_JIT=ON
  -DPCRE2_SUPPORT_UNICODE=ON
  -DPCRE2_BUILD_PCRE2GREP=OFF
  -DPCRE2_BUILD_TESTS=OFF
)
case "$target" in
  linux)
    # Linked into position-independent executables.
    settings+=(-DPCRE2_STATIC_PIC=ON)
    ;;
  mingw-w64-*)
    toolchain="$root/cmake/$target.cmake"
    [ -f "$toolchain" ] || { echo "no toolchain file $toolchain" >&2; exit 2; }
    settings+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPCRE2_STATIC_PIC=OFF)
    ;;
  *)
    echo "unknown target $target (linux, mingw-w64-x86_64, mingw-w64-i686)" >&2
    exit 2
    ;;
esac
stamp="$install/kestrune-settings"

if [ -f "$install/lib/libpcre2-16.a" ] && [ -f "$install/lib/pkgconfig/libpcre2-16.pc" ] &&
  [ "$(cat "$stamp" 2>/dev/null)" = "${settings[*]}" ]; then
  exit 0
fi

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# apt-get source needs a deb-src entry; Debian 12 ships only deb ones.
ensure_source_entries() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  as_root apt-get update -qq -o DPkg::Lock::Timeout=300
}

# Unpacked once for every target.
fetch_source() {
  local download="$sources/download"
  if [ -d "$sources/src" ]; then return; fi
  mkdir -p "$download"
  if ! ls "$download"/pcre2_"$debian_version".dsc >/dev/null 2>&1; then
    ensure_source_entries
    (cd "$download" && apt-get source --download-only "pcre2=$debian_version")
  fi
  rm -rf "$sources/src.tmp"
  dpkg-source --no-check -x "$download/pcre2_$debian_version.dsc" "$sources/src.tmp" >/dev/null
  mv "$sources/src.tmp" "$sources/src"
}

build() {
  rm -rf "$work"
  cmake -S "$sources/src" -B "$work/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$install" \
    "${settings[@]}" >/dev/null
  cmake --build "$work/build" -j "$jobs" >/dev/null
  cmake --install "$work/build" >/dev/null
  # The headers declare the functions as DLL imports unless told the library is static.
  sed -i 's/^Cflags: \(.*\)$/Cflags: \1 -DPCRE2_STATIC/' "$install/lib/pkgconfig/libpcre2-16.pc"
  printf '%s\n' "${settings[*]}" >"$stamp"
}

start=$SECONDS
fetch_source
build
test -f "$install/lib/libpcre2-16.a"
echo "PCRE2 $version ($target: static, 16-bit, link size 4, JIT) in $install," \
  "$((SECONDS - start)) s"
