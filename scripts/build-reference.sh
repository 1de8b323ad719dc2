#!/usr/bin/env bash
# Builds the function reference as web pages and as kestrune.chm, and reads the help file back:
#
#   scripts/build-reference.sh [PRESET]      (default: release)
#
# Installs the tools from Debian's packages when they are missing (cmark-gfm converts the pages,
# chmcmd from fp-utils-3.2.2 compiles the help file, extract_chmLib from libchm-bin reads it
# back).
# The output lands in build/<preset>/reference/: html/ and kestrune.chm.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"

scripts/install-dependencies.sh --reference

# A fresh configure finds the tools even where an earlier one ran without them.
cmake --preset "$preset" -U CMARK_GFM -U CHMCMD -U EXTRACT_CHMLIB >/dev/null
cmake --build --preset "$preset" -j2 --target kestrune reference
ctest --preset "$preset" -R '^reference\.'
echo "build/$preset/reference/html/ and build/$preset/reference/kestrune.chm"
