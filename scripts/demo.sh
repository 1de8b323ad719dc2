#!/usr/bin/env bash
# Builds the kestrune command line (release) and runs it on example calls.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
bash scripts/build-pcre2.sh linux
cmake --preset release >/dev/null
cmake --build --preset release --target kestrune
kestrune=build/release/cli/kestrune

examples=(
  'krTEST()'
  'krSEARCH("Order 42-A", "?-", , 3)'
  'krSEARCH("Price: $5", "$")'
  'krSEARCH("a-b-c", "-", , 9)'
  'krSEARCH("a-b-c", "-", , 18)'
  'krSEARCH("ab-cd-ef", "-", , 18, , , , , TRUE)'
  'krSEARCH("invoice 2026-12-06 total", "[0-9]{4}-[0-9]{2}-[0-9]{2}", , 3)'
  'krSEARCH("abc", "x", , , , , , , , "not there")'
  'krREPLACE("a-b-c", "-", "+")'
  'krREPLACE("a-b-c", "-", "+", , TRUE)'
  'krREPLACE("abcabc", "b", "XY", , , , , TRUE)'
  'krREPLACE("a1b1", "1", "X", , , "b")'
  'krCOUNTINCELL(CELL("banana"), "an")'
  'Reverse("kestrune")'
  'krREGEX("abc123def456", "[0-9]+", , , 7)'
  'krREGEX("abc123", "([a-z]+)([0-9]+)", , "$2$1")'
  'krGETWORD("The quick brown fox", 2)'
  'krEXTRACTNUM("Qty: 12 pcs, 3.5 kg")'
  'krST(22)'
  'krCONCATULA("=5>=3")'
)
for call in "${examples[@]}"; do
  printf '%-70s -> ' "$call"
  "$kestrune" --decimal-separator . "$call" | tr '\n' ' ' || true
  echo
done
