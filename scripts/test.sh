#!/usr/bin/env bash
# Runs every test: the native unit tests through ctest (fakes, sanitizers, one
# test per case; the build checks the layering first), a short run of every
# fuzz target (ZV_FUZZ_SECONDS each, 5 by default), then both Windows
# editions' test programs under Wine against the real registry and file
# system, then the end-to-end tests under Wine and Xvfb.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bash "$ZV_ROOT/scripts/setup.sh" || exit 1

log=$ZV_BUILD/test-logs
mkdir -p "$log"
rm -f "$log"/*.log
status=0

run() {  # run NAME COMMAND...: runs one suite, keeps its output
  local name=$1; shift
  echo "=== $name"
  "$@" 2>&1 | tee "$log/$name.log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || { echo "=== $name FAILED (exit $rc)"; status=1; }
}

zv_build native || exit 1
run native ctest --test-dir "$ZV_BUILD/native" -j"$(nproc)" --output-on-failure
run fuzz bash "$ZV_ROOT/scripts/fuzz.sh" "${ZV_FUZZ_SECONDS:-5}"

zv_build win32 || exit 1
zv_build win64 || exit 1

# The display comes first: a Wine session started without one keeps none.
zv_xvfb_start || exit 1
zv_wine_prefix
trap 'zv_wine_stop; zv_xvfb_stop' EXIT

editions=(win64 win32)
if ! zv_can_run_32bit; then
  editions=(win64)
  echo "=== wine-win32 NOT RUN: this kernel cannot execute 32-bit (i386) programs, so Wine"
  echo "    cannot start the 32-bit edition here. It is built, and its 32-bit behaviour is"
  echo "    covered by the native suite; its Wine runs need a kernel with IA-32 support."
fi

for edition in "${editions[@]}"; do
  run "wine-$edition" zv_wine "$edition" "$ZV_BUILD/$edition/zv_tests.exe"
done

# End-to-end scripts: tests/e2e/*.sh, each given the edition's build folder.
for script in "$ZV_ROOT"/tests/e2e/*.sh; do
  [ -e "$script" ] || continue
  for edition in "${editions[@]}"; do
    run "e2e-$(basename "$script" .sh)-$edition" bash "$script" "$ZV_BUILD/$edition"
  done
done

passed=$(cat "$log"/*.log | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' | awk '{s+=$1} END {print s+0}')
failed=$(cat "$log"/*.log | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' | awk '{s+=$1} END {print s+0}')
e2e_passed=$(cat "$log"/*.log | grep -c '^e2e ok' || true)
e2e_failed=$(cat "$log"/*.log | grep -c '^e2e FAIL' || true)
fuzz_passed=$(cat "$log"/*.log | grep -c '^fuzz ok' || true)
fuzz_failed=$(cat "$log"/*.log | grep -c '^fuzz FAIL' || true)
# ctest's summary: "100% tests passed, 0 tests failed out of 180", and one
# line per skipped case.
ctest_total=$(sed -n 's/^[0-9]*% tests passed, [0-9]* tests\? failed out of \([0-9]*\)$/\1/p' "$log/native.log")
ctest_failed=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\? failed out of [0-9]*$/\1/p' "$log/native.log")
ctest_skipped=$(grep -c '(Skipped)$' "$log/native.log" || true)
passed=$(( ${passed:-0} + e2e_passed + fuzz_passed + ${ctest_total:-0} - ${ctest_failed:-0} - ctest_skipped ))
failed=$(( ${failed:-0} + e2e_failed + fuzz_failed + ${ctest_failed:-0} ))
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
exit $status
