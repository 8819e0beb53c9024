#!/usr/bin/env bash
# Benchmark: what the install log costs. Under Wine, in the private prefix,
# log_bench.exe installs a Data folder of 100 files of 1 MB each with the
# unattended driver, alternately without and with the log, and prints the
# time of each round and the medians. The log must not slow such an install
# by more than 10%. A benchmark, not a test: it prints, it does not judge.
#
#   bash scripts/bench-log.sh [win64|win32] [ROUNDS]     (defaults: win64, 5)
set -euo pipefail
source "$(dirname "$0")/lib.sh"

edition=${1:-win64}
rounds=${2:-5}
zv_build "$edition" >/dev/null
zv_wine_prefix

work=$WINEPREFIX/drive_c/zvbench
rm -rf "$work"
mkdir -p "$work/dist/Data"
for i in $(seq -w 1 100); do head -c 1048576 /dev/urandom >"$work/dist/Data/part$i.bin"; done
# The install copies the program beside Data as the uninstaller.
cp "$ZV_BUILD/$edition/SetUp.exe" "$work/dist/SetUp.exe"
trap 'rm -rf "$work"; zv_wine_stop' EXIT

echo "log_bench $edition: 100 x 1 MB, $rounds rounds"
zv_wine "$edition" "$ZV_BUILD/$edition/log_bench.exe" 'C:\zvbench\dist' 'C:\zvbench\Zorvel' 'C:\zvbench\bench.log' "$rounds"
echo "log: $(wc -l <"$work/bench.log") lines, $(wc -c <"$work/bench.log") bytes"
