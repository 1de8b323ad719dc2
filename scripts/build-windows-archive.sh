#!/usr/bin/env bash
# Builds what a Windows user downloads, build/kestrune-<version>-windows.zip: the 64-bit and
# the 32-bit kestrune.dll and kestrune.xll, the help file, the add-in module generated from the
# member table, the install and uninstall scripts and a README for Windows users. Installs the compilers and
# tools from Debian's packages when they are missing. Prints the archive's listing.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
jobs="${KESTRUNE_JOBS:-2}"
version="$(sed -n 's/^project(kestrune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
archive="$root/build/kestrune-$version-windows.zip"

# What the archive holds: "built or checked-in file|path in the archive", one line a file.
files=(
  "build/windows/src/com/kestrune.dll|x64/kestrune.dll"
  "build/windows-x86/src/com/kestrune.dll|x86/kestrune.dll"
  "build/windows/src/xll/kestrune.xll|x64/kestrune.xll"
  "build/windows-x86/src/xll/kestrune.xll|x86/kestrune.xll"
  "build/release/reference/kestrune.chm|kestrune.chm"
  "build/release/windows/kestrune.bas|kestrune.bas"
  "packaging/windows/install.vbs|install.vbs"
  "packaging/windows/uninstall.vbs|uninstall.vbs"
  "packaging/windows/README.txt|README.txt"
)

start=$SECONDS
scripts/install-dependencies.sh --windows
for preset in windows:mingw-w64-x86_64 windows-x86:mingw-w64-i686; do
  bash scripts/build-pcre2.sh "${preset#*:}"
  cmake --preset "${preset%%:*}" >/dev/null
  cmake --build --preset "${preset%%:*}" -j "$jobs" --target kestrune_dll kestrune_xll_addin
done
# The help file and the add-in module are made on the build machine.
bash scripts/build-pcre2.sh linux
bash scripts/build-reference.sh
cmake --build --preset release -j "$jobs" --target addin_module_file

staging="$root/build/windows-archive"
rm -rf "$staging" "$archive"
for entry in "${files[@]}"; do
  source="${entry%%|*}"
  target="$staging/${entry#*|}"
  mkdir -p "$(dirname "$target")"
  case "$target" in
    # Windows' own line ends for the texts a user opens or runs.
    *.vbs | *.txt) sed 's/\r*$/\r/' "$source" >"$target" ;;
    *) cp "$source" "$target" ;;
  esac
done
(cd "$staging" && TZ=UTC zip -q -X -D -r "$archive" .)
unzip -l "$archive"
echo "$archive: $((SECONDS - start)) s"
