#!/usr/bin/env bash
# One fuzz target's part of the test command, the same on every run:
#   tests/fuzz/gate.sh replay PROGRAM CORPUS
#     every committed input once;
#   tests/fuzz/gate.sh seeded PROGRAM CORPUS SCRATCH RUNS SEED [DICT]
#     then RUNS inputs made from a fixed SEED, starting from the committed
#     inputs; what they add goes to SCRATCH (emptied first), never to CORPUS.
# No time limit: a slow machine takes longer and decides the same.
set -uo pipefail
mode=$1 program=$2 corpus=$3
# Addresses steer what the fuzzer learns (compared values, hashes): with them
# random, the same seed would make other inputs.
fixed=()
if setarch -R true 2>/dev/null; then
  fixed=(setarch -R)
else
  echo "gate.sh: addresses cannot be fixed here (setarch -R): runs may differ" >&2
fi
case $mode in
  replay)
    inputs=("$corpus"/*)
    exec "${fixed[@]}" "$program" -timeout=0 -rss_limit_mb=2048 "${inputs[@]}"
    ;;
  seeded)
    scratch=$4 runs=$5 seed=$6 dict=${7:-}
    rm -rf "$scratch" && mkdir -p "$scratch"
    options=(-seed="$seed" -runs="$runs" -timeout=0 -reload=0 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$scratch/")
    [ -n "$dict" ] && options+=(-dict="$dict")
    exec "${fixed[@]}" "$program" "${options[@]}" "$scratch" "$corpus"
    ;;
esac
echo "gate.sh: unknown mode $mode" >&2
exit 2
