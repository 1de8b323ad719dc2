#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, the "fuzz" preset) and runs each for a fixed time over a
# copy of its checked-in corpus (fuzz/corpus/NAME), so that CI looks a little further than the
# seeds each time. Fails when a fuzzer reports a crash, a sanitizer error, a failed check, a
# time-out or a leak; what it found is kept in build/fuzz/runs/NAME (crash-*, timeout-*, ...).
#
#   bash scripts/fuzz.sh                 # every fuzzer, 45 s each
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh regexp
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds="${FUZZ_SECONDS:-45}"
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(regexp csv call)

# Inputs reach past a cell (32,767 units) and patterns as large as one.
max_len=100000
# The regexp fuzzer makes four budget-bounded calls an input; the slowest seed's one call takes
# 2.3 s of processor time in this instrumented build (0.3 s in release). A time-out then means
# a call that the budget did not bound.
timeout_seconds=30

scripts/install-dependencies.sh --fuzz
bash scripts/build-pcre2.sh linux
cmake --preset fuzz >/dev/null
targets=()
for fuzzer in "${fuzzers[@]}"; do targets+=("${fuzzer}_fuzz"); done
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"

for fuzzer in "${fuzzers[@]}"; do
  run="$root/build/fuzz/runs/$fuzzer"
  rm -rf "$run"
  mkdir -p "$run"
  cp -r "fuzz/corpus/$fuzzer" "$run/corpus"
  echo "fuzzing $fuzzer for $seconds s"
  start=$SECONDS
  (cd "$run" && "$root/build/fuzz/fuzz/${fuzzer}_fuzz" corpus -max_total_time="$seconds" \
    -max_len="$max_len" -timeout="$timeout_seconds" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$run/" >"$run/log.txt" 2>&1) || {
    tail -n 60 "$run/log.txt"
    echo "FAILED: fuzzer $fuzzer (log and findings in $run)"
    exit 1
  }
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done' "$run/log.txt" || true
  echo "fuzzer $fuzzer: $((SECONDS - start)) s, nothing found"
done
