#!/usr/bin/env bash
# Installs what building and testing kestrune needs on Debian 12, from Debian's own packages.
# Runs apt-get only when something is missing, so a second run costs nothing.
set -euo pipefail

# (Node.js, used only to regenerate the checked-in tables under tools/, is not needed here.)
# PCRE2 is built from Debian's source package (scripts/build-pcre2.sh), which needs dpkg-dev.
packages=(cmake ninja-build g++ pkg-config dpkg-dev googletest libgtest-dev libbenchmark-dev)
if [ "${1:-}" = "--fuzz" ]; then packages+=(clang libclang-rt-14-dev); fi
# The reference's web pages and help file: converter, help compiler, help reader.
if [ "${1:-}" = "--reference" ]; then packages+=(cmark-gfm fp-utils-3.2.2 libchm-bin); fi
if [ "${1:-}" = "--naming" ]; then packages+=(clang-tidy); fi
# The Calc add-in: Calc without its GUI, the SDK, and uno for the system python.
if [ "${1:-}" = "--calc" ]; then packages+=(libreoffice-calc-nogui libreoffice-dev python3-uno); fi
# The Windows DLLs, 64-bit and 32-bit, cross-compiled (widl reads Wine's IDL files), and the
# archive that ships them.
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64 g++-mingw-w64-i686-win32 mingw-w64-i686-dev mingw-w64-tools
    libwine-dev zip unzip)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    -o DPkg::Lock::Timeout=300 --no-install-recommends "${missing[@]}"
fi
