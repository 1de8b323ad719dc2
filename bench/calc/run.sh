#!/usr/bin/env bash
# The Calc add-in against Calc's own REGEX: 100,000 rows of the column benchmark's table
# (bench/column/make_column.py), each family's formula recalculated by Calc through the add-in
# and, where REGEX can express it, as REGEX; cells per second of wall time and the ratio, every
# result checked against `kestrune fill`.
#
#   bash bench/calc/run.sh            # needs the "calc" preset built (scripts/test-calc.sh)
#   ROUNDS=5 bash bench/calc/run.sh   # medians of 5 rounds (default 3)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${BUILD:-$ROOT/build/calc}
OUT=${OUT:-$BUILD/bench}
ROWS=${ROWS:-100000}
COLUMN=$ROOT/bench/column

cmake --build "$BUILD" --target kestrune kestrune_oxt >/dev/null
mkdir -p "$OUT"
TABLE=$OUT/column_$ROWS.csv
[ -s "$TABLE" ] || python3 "$COLUMN/make_column.py" "$ROWS" >"$TABLE"
for family in $(python3 "$COLUMN/formulas.py" families); do
  "$BUILD/cli/kestrune" fill "$(python3 "$COLUMN/formulas.py" formula "$family")" "$TABLE" \
    -o "$OUT/fill_$family.csv"
done
echo "machine cores $(nproc) load before $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/bin/python3 "$HERE/calc_addin.py" "$BUILD/src/calc/kestrune.oxt" "$TABLE" "$ROWS" \
  "$OUT/fill_{family}.csv" "${ROUNDS:-3}"
echo "load after $(cut -d' ' -f1-3 /proc/loadavg)"
