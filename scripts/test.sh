#!/usr/bin/env bash
# Builds kestrune and runs every test. With "asan", under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
scripts/install-dependencies.sh
bash scripts/build-pcre2.sh linux
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
