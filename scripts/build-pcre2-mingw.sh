#!/usr/bin/env bash
# Builds PCRE2 10.42 from Debian's source package for 64-bit Windows with mingw-w64: the static
# 16-bit library with JIT, installed into build/pcre2-mingw/install (headers, library and
# libpcre2-16.pc, which the "windows" CMake preset reads through PKG_CONFIG_LIBDIR).
# Does nothing when the library is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

version=10.42
debian_version=10.42-1
work="$root/build/pcre2-mingw"
install="$work/install"
jobs="${KESTRUNE_JOBS:-2}"

if [ -f "$install/lib/libpcre2-16.a" ] && [ -f "$install/lib/pkgconfig/libpcre2-16.pc" ]; then
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

fetch_source() {
  local download="$work/download"
  if [ -d "$work/src" ]; then return; fi
  mkdir -p "$download"
  if ! ls "$download"/pcre2_"$debian_version".dsc >/dev/null 2>&1; then
    ensure_source_entries
    (cd "$download" && apt-get source --download-only "pcre2=$debian_version")
  fi
  dpkg-source --no-check -x "$download/pcre2_$debian_version.dsc" "$work/src" >/dev/null
}

build() {
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$install" \
    -DBUILD_SHARED_LIBS=OFF \
    -DBUILD_STATIC_LIBS=ON \
    -DPCRE2_BUILD_PCRE2_8=OFF \
    -DPCRE2_BUILD_PCRE2_16=ON \
    -DPCRE2_BUILD_PCRE2_32=OFF \
    -DPCRE2_SUPPORT_JIT=ON \
    -DPCRE2_SUPPORT_UNICODE=ON \
    -DPCRE2_BUILD_PCRE2GREP=OFF \
    -DPCRE2_BUILD_TESTS=OFF \
    -DPCRE2_STATIC_PIC=OFF >/dev/null
  cmake --build "$work/build" -j "$jobs" >/dev/null
  cmake --install "$work/build" >/dev/null
  # The headers declare the functions as DLL imports unless told the library is static.
  sed -i 's/^Cflags: \(.*\)$/Cflags: \1 -DPCRE2_STATIC/' "$install/lib/pkgconfig/libpcre2-16.pc"
}

fetch_source
build
test -f "$install/lib/libpcre2-16.a"
echo "PCRE2 $version (mingw-w64, static, 16-bit, JIT) in $install"
