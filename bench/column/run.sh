#!/usr/bin/env bash
# The column benchmark, reproduced in one run: a table of ROWS realistic rows (fixed seed), one
# formula per function family (formulas.py), and side by side for each:
#   - `kestrune fill` on one thread and on every core;
#   - the floor: PCRE2 alone compiling and matching the same pattern per cell (pcre2_floor);
#   - a Python script with `re` giving the same result cells (python_re.py), checked cell by
#     cell against kestrune's;
#   - LibreOffice Calc's REGEX over the first CALC_ROWS rows, headless (calc_regex.py), where
#     REGEX can express the function, checked likewise;
# and the peak memory of `kestrune fill` at SMALL_ROWS and ROWS rows. Prints the tables
# (report.py) that README.md's Benchmarks section records.
#
#   bash bench/column/run.sh                     # 1,000,000 rows; Calc on 100,000
#   ROWS=100000 bash bench/column/run.sh         # a quicker look
#
# Needs: cmake, ninja, g++, pkg-config, dpkg-dev (for scripts/build-pcre2.sh), python3; for Calc, libreoffice-calc-nogui and
# python3-uno (apt-get install --no-install-recommends); without soffice the Calc column is
# left out. Everything goes to $OUT (build/fill/column).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${BUILD:-$ROOT/build/fill}
OUT=${OUT:-$BUILD/column}
ROWS=${ROWS:-1000000}
SMALL_ROWS=${SMALL_ROWS:-100000}
CALC_ROWS=${CALC_ROWS:-100000}
PYTHON=${PYTHON:-python3}

bash "$ROOT/scripts/build-pcre2.sh" linux >/dev/null
export PKG_CONFIG_LIBDIR=$ROOT/build/pcre2-linux/install/lib/pkgconfig
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BENCH=ON >/dev/null
cmake --build "$BUILD" --target kestrune pcre2_floor >/dev/null
KESTRUNE=$BUILD/cli/kestrune
FLOOR=$BUILD/bench/pcre2_floor

mkdir -p "$OUT"
TABLE=$OUT/column_$ROWS.csv
SMALL_TABLE=$OUT/column_$SMALL_ROWS.csv
[ -s "$TABLE" ] || "$PYTHON" "$HERE/make_column.py" "$ROWS" >"$TABLE"
# The generator is deterministic, so the first rows of the big table are the small table.
[ -s "$SMALL_TABLE" ] || head -n "$SMALL_ROWS" "$TABLE" >"$SMALL_TABLE"

RESULTS=$OUT/results.txt
echo "machine cores $(nproc) load $(cut -d' ' -f1 /proc/loadavg)" >"$RESULTS"

# fill TOOL FAMILY THREADS INPUT ROWS OUTPUT [FORMULA]: one timed run of kestrune fill, with
# the family's formula unless one is given.
fill() {
  local tool=$1 family=$2 threads=$3 input=$4 rows=$5 output=$6 formula=${7:-}
  [ -n "$formula" ] || formula=$("$PYTHON" "$HERE/formulas.py" formula "$family")
  /usr/bin/time -f "%e %U %S %M" -o "$OUT/time.txt" \
    "$KESTRUNE" fill "$formula" "$input" -o "$output" --threads "$threads"
  read -r wall user system rss <"$OUT/time.txt"
  echo "$tool $family rows $rows wall $wall cpu $(awk "BEGIN { print $user + $system }") maxrss $rss" \
    >>"$RESULTS"
}

ALL_THREADS=$(nproc)
# What reading and writing the table costs fill alone: a formula that reads no cell. Taken off
# fill's time, it leaves the time per call that the floor compares with.
echo "column benchmark: CSV in and out alone" >&2
fill io baseline 1 "$TABLE" "$ROWS" "$OUT/io.csv" 'krVERSION()'
rm -f "$OUT/io.csv"
for family in $("$PYTHON" "$HERE/formulas.py" families); do
  echo "column benchmark: $family" >&2
  fill fill1 "$family" 1 "$TABLE" "$ROWS" "$OUT/fill1_$family.csv"
  fill fillN "$family" "$ALL_THREADS" "$TABLE" "$ROWS" "$OUT/fillN_$family.csv"
  cmp -s "$OUT/fill1_$family.csv" "$OUT/fillN_$family.csv" ||
    echo "order $family: the outputs on 1 and $ALL_THREADS threads differ" >>"$RESULTS"
  rm -f "$OUT/fillN_$family.csv"
  fill small1 "$family" 1 "$SMALL_TABLE" "$SMALL_ROWS" /dev/null
  fill smallN "$family" "$ALL_THREADS" "$SMALL_TABLE" "$SMALL_ROWS" /dev/null

  mapfile -d '' floor_arguments < <("$PYTHON" "$HERE/formulas.py" floor "$family")
  if [ "${#floor_arguments[@]}" -gt 0 ]; then
    echo "floor $family $("$FLOOR" "$TABLE" "${floor_arguments[@]}")" >>"$RESULTS"
  fi

  "$PYTHON" "$HERE/python_re.py" "$family" "$TABLE" "$OUT/python_$family.csv" \
    --check "$OUT/fill1_$family.csv" >>"$RESULTS" 2>"$OUT/python_$family.mismatches"
  rm -f "$OUT/python_$family.csv"
done

if command -v soffice >/dev/null && /usr/bin/python3 -c 'import uno' 2>/dev/null; then
  echo "column benchmark: LibreOffice Calc on $CALC_ROWS rows" >&2
  /usr/bin/python3 "$HERE/calc_regex.py" "$TABLE" "$CALC_ROWS" "$OUT/fill1_{family}.csv" \
    >>"$RESULTS" 2>"$OUT/calc.mismatches"
fi

"$PYTHON" "$HERE/report.py" "$RESULTS"
