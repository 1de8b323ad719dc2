#!/usr/bin/env bash
# Checks the naming convention of internal code (.clang-tidy) on every source file the Linux
# build compiles; needs a configured release build (build/release/compile_commands.json).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v run-clang-tidy >/dev/null || scripts/install-dependencies.sh --naming
# Left out: the Windows pieces, and the Calc component's UNO side (src/calc/uno_*), whose methods
# are named by the UNO interfaces they implement and which builds only with the LibreOffice SDK.
mapfile -t files < <(git ls-files 'src/*.cpp' 'cli/*.cpp' |
  grep -v -e '^src/com/' -e '^src/oleaut/' -e '^src/xll/' -e '/win32/' -e '^src/calc/uno_')
run-clang-tidy -quiet -p build/release -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option \
  -header-filter="^$PWD/(src|cli)/" "${files[@]}" >build/release/naming.log 2>&1 || true
if grep -q 'readability-identifier-naming' build/release/naming.log; then
  grep 'readability-identifier-naming' build/release/naming.log | sort -u
  exit 1
fi
echo "naming: ${#files[@]} files follow the convention"
