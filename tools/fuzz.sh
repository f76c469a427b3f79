#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build/fuzz) and runs each for
# SECONDS (default 5) from the seed corpus in fuzz/seeds. A finding stops it
# with the input saved in build/fuzz/findings. Exits 77 (skipped) without clang.
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
command -v clang++ >/dev/null || { echo "SKIP: clang++ is not installed" >&2; exit 77; }
out=$root/build/fuzz
cmake -S "$root/fuzz" -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j"$(nproc)" >/dev/null
mkdir -p "$out/findings"
run() {
  local target=$1 seeds=$2
  local corpus=$out/corpus/$target
  mkdir -p "$corpus"
  cp -n "$root/fuzz/seeds/$seeds"/* "$corpus/" 2>/dev/null || true
  local status=0
  "$out/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/findings/$target-" -print_final_stats=1 "$corpus" \
    >"$out/$target.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$out/$target.log" || true
  # libFuzzer's own status: non-zero on a crash, a leak or a failed oracle.
  [ $status -eq 0 ] || { tail -30 "$out/$target.log" >&2; echo "fuzz: $target found a problem; see $out/findings" >&2; exit 1; }
  echo "fuzz: $target ran ${seconds}s clean"
}
run fuzz_profile_reader profile
run fuzz_csv csv
run fuzz_text_decrypt cipher
