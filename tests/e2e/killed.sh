#!/usr/bin/env bash
# A silent install killed at moments spread over its run, under Wine: with a
# payload of some 1,500 files, SetUp.exe /S is killed (SIGKILL: no handler of
# ours runs, as with Task Manager's End task) once the install folder holds a
# few files, about half of them, nearly all, and once its record names the
# loader keys; then `SetUp.exe /UNINSTALL /S` takes back what the record
# names, and the registry and the files are compared with a snapshot taken
# before the install. Once more, killed half-way, then installed again: the
# install first takes back what the unfinished one did, and its uninstall
# leaves the machine as before too.
#
#   tests/e2e/killed.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=killed
source "$(dirname "$0")/lib.bash" "$1"

e2e_distribution zvkilled
parts=1500
for i in $(seq "$parts"); do printf 'part %d\r\n' "$i" >"$dist/Data/part$i.dat"; done
record=$dir_unix/Uninstall.ini
source "$(dirname "$0")/machine.bash"

files_in() { find "$1" -maxdepth 1 -type f 2>/dev/null | wc -l; }

# kill_when WHAT TEST...: starts a silent install and kills it as soon as
# TEST holds (or lets it end, which the check after it then tells).
kill_when() {
  local what=$1 pid wine
  shift
  # The loader itself, not a shell around it, so that the kill reaches the
  # process that runs SetUp.exe.
  if [ "$bits" = 32 ]; then wine=$ZV_WINE32; else wine=$ZV_WINE64; fi
  "$wine" "$dist/SetUp.exe" /S >>"$trace" 2>&1 &
  pid=$!
  for _ in $(seq 3000); do
    "$@" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  if kill -9 "$pid" 2>/dev/null; then
    wait "$pid" 2>/dev/null
    echo "$what: killed with $(files_in "$dir_unix") files in the install folder" >>"$trace"
    return 0
  fi
  wait "$pid" 2>/dev/null
  echo "$what: the install ended before it could be killed" >&2
  return 1
}
holds_files() { [ "$(files_in "$dir_unix")" -ge "$1" ]; }
records() { grep -q "^$1=" "$record" 2>/dev/null; }

uninstalled() {  # uninstalled WHAT: the uninstall over what the kill left
  run_exe "$dist/SetUp.exe" /UNINSTALL /S
  check "$1: the uninstall exit code 0" code_is 0
  check "$1: the folder goes once the uninstaller has ended" gone_within 30 "$ZV_DRIVE_C/Zorvel"
  snapshot "$build/e2e-after.txt"
  check "$1: the machine is as it was before the install" same_as "$build/e2e-before.txt" "$build/e2e-after.txt"
}

moments=("a few files:holds_files 5" "half the files:holds_files $((parts / 2))"
  "nearly all files:holds_files $((parts - 20))" "the loader keys recorded:records Loader")
for moment in "${moments[@]}"; do
  what=${moment%%:*}
  fresh_machine
  snapshot "$build/e2e-before.txt"
  # shellcheck disable=SC2086 # the test and its argument
  check "killed at $what" kill_when "$what" ${moment#*:}
  check "killed at $what: the record says the install did not finish" not grep -q '^\[End\]' "$record"
  uninstalled "killed at $what"
  check "killed at $what: the log says the install had not finished" logged "$temp_log" "not finish"
done

fresh_machine
snapshot "$build/e2e-before.txt"
check "killed, then installed again" kill_when "half the files" holds_files $((parts / 2))
run_exe "$dist/SetUp.exe" /S
check "installed again: exit code 0" code_is 0
check "installed again: the log says what the unfinished install did was taken back first" \
  logged "$temp_log" "did not finish"
check "installed again: the record is finished" grep -q '^\[End\]' "$record"
uninstalled "installed again"

zv_sim_clear
rm -rf "$dist" "$ZV_DRIVE_C/Zorvel" "$temp_log" "$appdata/Zorvel"
e2e_end
