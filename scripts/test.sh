#!/usr/bin/env bash
# Runs every test through ctest, one preset after the other: the native unit
# tests (fakes, sanitizers, one test per case; the build checks the layering
# first), the fuzz targets (each one's committed inputs, then a fixed number
# of inputs from a fixed seed: the same on every run), then each Windows
# edition's test program under Wine against the real registry and file
# system, one test per case, and the end-to-end scripts under Wine and Xvfb
# (ctest's fixtures start the display and the prefix). The totals are
# ctest's, from its JUnit files.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bash "$ZV_ROOT/scripts/setup.sh" || exit 1
cd "$ZV_ROOT" || exit 1

log=$ZV_BUILD/test-logs
mkdir -p "$log"
rm -f "$log"/*.log "$log"/*.xml
status=0

suite() {  # suite PRESET: runs one test preset, keeps its output and its JUnit file
  echo "=== $1"
  ctest --preset "$1" --output-junit "$log/$1.xml" 2>&1 | tee "$log/$1.log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || { echo "=== $1 FAILED (exit $rc)"; status=1; }
}

zv_build native || exit 1
suite native
{ [ -f "$ZV_BUILD/fuzz/build.ninja" ] || cmake --preset fuzz >/dev/null; } && cmake --build --preset fuzz || exit 1
suite fuzz

zv_build win32 || exit 1
zv_build win64 || exit 1
# Should ctest be cut short, its fixtures' clean-up does not run.
trap 'bash "$ZV_ROOT/scripts/wine-fixture.sh" prefix-stop; bash "$ZV_ROOT/scripts/wine-fixture.sh" display-stop' EXIT
suite win64
if zv_can_run_32bit; then
  suite win32
else
  echo "=== win32 NOT RUN: this kernel cannot execute 32-bit (i386) programs, so Wine"
  echo "    cannot start the 32-bit edition here. It is built, and its 32-bit behaviour is"
  echo "    covered by the native suite; its Wine runs need a kernel with IA-32 support."
fi

# <testsuite ... tests="N" failures="N" disabled="N" skipped="N" ...> of each file.
count() {
  cat "$log"/*.xml 2>/dev/null | tr '\n\t' '  ' | grep -o '<testsuite [^>]*>' |
    sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" | awk '{s+=$1} END {print s+0}'
}
tests=$(count tests) failed=$(count failures) disabled=$(count disabled) skipped=$(count skipped)
passed=$((tests - failed - disabled - skipped))
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
exit $status
