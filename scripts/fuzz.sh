#!/usr/bin/env bash
# Explores: builds the libFuzzer targets (build/fuzz, the fuzz preset) and
# runs each for a bounded time from a random seed, starting from its committed
# corpus tests/fuzz/corpus/NAME/. The test command never explores: its run of
# each target (ctest --preset fuzz) is the same on every run.
#
#   bash scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
#
# 60 seconds per target by default; every target unless some are named. What
# a run finds goes to build/fuzz/corpus/NAME/ (kept between runs, never
# committed), a crash or broken invariant to build/fuzz/artifacts/. Prints
# "fuzz ok NAME" or "fuzz FAIL NAME" per target and fails when any failed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

seconds=${1:-60}
shift || true
dir=$ZV_BUILD/fuzz
if [ ! -f "$dir/build.ninja" ]; then
  (cd "$ZV_ROOT" && cmake --preset fuzz -B "$dir" >/dev/null) || exit 1
fi
cmake --build "$dir" -- -j"$(nproc)" >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; exit 1; }

targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets <"$dir/fuzz_targets.txt"
mkdir -p "$dir/artifacts"
failures=0
for target in "${targets[@]}"; do
  seeds=$ZV_ROOT/tests/fuzz/corpus/$target
  found=$dir/corpus/$target
  mkdir -p "$found"
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$dir/artifacts/$target-")
  [ -f "$ZV_ROOT/tests/fuzz/$target.dict" ] && options+=(-dict="$ZV_ROOT/tests/fuzz/$target.dict")
  corpora=("$found")
  [ -d "$seeds" ] && corpora+=("$seeds")
  if "$dir/$target" "${options[@]}" "${corpora[@]}" >"$dir/$target.log" 2>&1; then
    echo "fuzz ok $target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/$target.log") runs in ${seconds}s"
  else
    echo "fuzz FAIL $target: see $dir/$target.log"
    grep -E "invariant broken|ERROR: |SUMMARY: |Test unit written" "$dir/$target.log" | head -n 5 | sed 's/^/    /'
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
