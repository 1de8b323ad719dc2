#!/usr/bin/env bash
# Builds the LibreOffice Calc add-in kestrune.oxt (the "calc" preset) and runs its headless
# tests: the shared call tables computed by Calc in a throwaway office, with a point and with
# a comma as decimal separator, and the Function Wizard's texts read back through UNO.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
scripts/install-dependencies.sh --calc
bash scripts/build-pcre2.sh linux
cmake --preset calc >/dev/null
cmake --build --preset calc -j "$(nproc)"
ctest --preset calc
