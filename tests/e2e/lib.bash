# Sourced by the end-to-end scripts that run SetUp.exe of one edition under
# Wine against the simulated machine of scripts/demo-machine.sh: the display,
# the private prefix, the checks and their trace, and the probes that look at
# the machine from outside the program (files on the Wine drive, the registry
# through regtool.exe, the log). The script passes its edition's build folder
# as $1 and sets `e2e_name` first; `trace` is then its trace file.
build=$(cd "$1" && pwd)
edition=$(basename "$build")
export ZV_BUILD=${ZV_BUILD:-$(dirname "$build")}
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

# The display first: a Wine session started without one keeps none.
if [ -z "${DISPLAY:-}" ]; then
  zv_xvfb_start || exit 1
  trap zv_xvfb_stop EXIT
fi
zv_wine_prefix
ZV_SIM_REGTOOL=$ZV_BUILD/win64/regtool.exe
source "$ZV_ROOT/scripts/demo-machine.sh"
# Wine turns command-line arguments into UTF-16 by the locale's character set.
export LC_ALL=C.UTF-8

if [ "$edition" = win32 ]; then bits=32; else bits=64; fi
zv_sim_expectations "$bits"

caption="Zorvel批打印软件安装"
box_caption="Zorvel软件安装"
failures=0
trace=$build/e2e-$e2e_name.log
: >"$trace"

ok() { echo "e2e ok $edition: $*"; }
fail() {
  echo "e2e FAIL $edition: $*"
  tail -n 3 "$trace" | cut -c1-400 | sed 's/^/    /'
  failures=$((failures + 1))
}
check() {  # check WHAT COMMAND...: the command's complaints go to the trace
  local what=$1
  shift
  if "$@" 2>>"$trace"; then ok "$what"; else fail "$what"; fi
}

# gone_within SECONDS PATH: the uninstaller's last step, after the process
# that was started has ended, removes the install folder.
gone_within() {
  local _
  for _ in $(seq $(($1 * 10))); do
    [ -e "$2" ] || return 0
    sleep 0.1
  done
  echo "$2 still there" >&2
  return 1
}
# The last line of a script: how many checks failed, and its exit status.
e2e_end() {
  echo "e2e $e2e_name $edition: $failures failed"
  [ "$failures" -eq 0 ]
}

not() { ! "$@"; }
absent() { [ ! -e "$1" ] || { echo "$1 exists" >&2; return 1; }; }
file_is() {  # file_is PATH CONTENT
  [ -f "$1" ] && [ "$(cat "$1")" = "$2" ] || { echo "$1: missing or other content" >&2; return 1; }
}

regtool() { zv_wine "$build" "$build/regtool.exe" "$@"; }
drive() { zv_wine "$build" "$build/driver.exe" desktop "$desktop" -- "$@"; }
# The same, waiting up to a minute for the desktop the program is starting in.
drive_new() { zv_wine "$build" "$build/driver.exe" desktop "$desktop" 60 -- "$@"; }

# run_exe PROGRAM ARGS...: runs a program of the edition with no window and
# waits for it; sets $code. Once in a long while (seen once in the whole
# suite's runs) Wine ends a silent SetUp.exe with exit code 1 and no output,
# which no silent run of ours returns: that run is tried once more, and the
# trace says so.
run_exe() {
  zv_wine "$build" "$@" >>"$trace" 2>&1
  code=$?
  if [ "$code" = 1 ] && [[ " $* " == *" /S "* ]]; then
    echo "$* -> 1 (no silent run of ours ends so: Wine did not start it; once more)" >>"$trace"
    zv_wine "$build" "$@" >>"$trace" 2>&1
    code=$?
  fi
  echo "$* -> $code" >>"$trace"
}
code_is() { [ "$code" = "$1" ] || { echo "exit code $code, not $1" >&2; return 1; }; }

# logged LOG TEXT...: some line of the log (CRLF stripped) holds every TEXT.
logged() {
  local log=$1 line text all
  shift
  [ -f "$log" ] || { echo "no log $log" >&2; return 1; }
  while IFS= read -r line; do
    all=yes
    for text in "$@"; do [[ "$line" == *"$text"* ]] || all=no; done
    [ $all = yes ] && return 0
  done < <(tr -d '\r' <"$log")
  echo "$log: no line with: $*" >&2
  return 1
}

# value_is HIVE KEY NAME TYPE TEXT: the stored type, the size in bytes of
# exactly TEXT in UTF-16 (no terminator) and the text.
value_is() {
  local got size
  got=$(regtool get "$1" "$2" "$3" | tr -d '\r') || return 1
  if [ "$4" = 1 ]; then size=$((${#5} * 2)); else size=4; fi
  [ "$got" = "$4 $size $5" ] || { echo "$2\\$3: $got" | cut -c1-400 >&2; return 1; }
}
# no_loader_anywhere [YEAR]: no product key has an Applications key, or with
# YEAR, a loader key of that release.
no_loader_anywhere() {
  local key below=Applications
  [ $# -gt 0 ] && below="Applications\\ZV_BatchPlot$1"
  for key in "${ZV_SIM_PRODUCT_KEYS[@]}"; do
    regtool has-key HKLM "$key\\$below" && { echo "$key\\$below exists" >&2; return 1; }
  done
  return 0
}

# acad_start: a stand-in acad.exe runs (five minutes at the most) until
# acad_stop ends the Windows process itself.
acad_start() {
  acad_dir=$ZV_DRIVE_C/zv-acad-$e2e_name
  mkdir -p "$acad_dir" && cp "$build/fake_process.exe" "$acad_dir/acad.exe"
  zv_wine "$build" "$acad_dir/acad.exe" 300 >/dev/null 2>&1 &
  acad_pid=$!
  sleep 1
}
acad_stop() {
  "$ZV_WINE64" taskkill /f /im acad.exe >/dev/null 2>&1
  wait "$acad_pid" 2>/dev/null
  rm -rf "$acad_dir"
}

# e2e_distribution NAME: the edition's SetUp.exe with its Data folder in
# C:\NAME (`dist`), and the names of what an install from it writes: the log
# of a run given no /LOG= (`temp_log`), the user's APPDATA (`appdata`) and
# the default install folder (`dir`, `dir_unix`).
e2e_distribution() {
  dist=$ZV_DRIVE_C/$1
  zv_sim_distribution "$build/SetUp.exe" "$dist"
  temp_log=$("$ZV_WINE64" winepath -u "$("$ZV_WINE64" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)/ZorvelSetup.log
  appdata=$(zv_sim_appdata)
  dir='C:\Zorvel\Zorvel批打印软件'
  dir_unix=$ZV_DRIVE_C/Zorvel/Zorvel批打印软件
}
