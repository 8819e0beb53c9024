#!/usr/bin/env bash
# Unattended installs end to end: SetUp.exe of one edition runs from a
# distribution folder under Wine with its switches, against simulated AutoCAD
# installations and profiles, and every exit code but 1 (the dialog's own) is
# checked from outside: the code the process returns, the files on the Wine
# drive, the registry through regtool.exe, and the log (UTF-8 with a
# byte-order mark, CRLF). A few runs with a window: the dialog preset by the
# switches, the usage box of a command line not understood, and a second
# SetUp.exe while the first one's dialog is open.
#
#   tests/e2e/silent.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=silent
source "$(dirname "$0")/lib.bash" "$1"

dist=$ZV_DRIVE_C/zvsilent
nodata=$ZV_DRIVE_C/zvsilent-nodata
zv_sim_distribution "$build/SetUp.exe" "$dist"
rm -rf "$nodata" && mkdir -p "$nodata" && cp "$build/SetUp.exe" "$nodata/"
temp_log=$("$ZV_WINE64" winepath -u "$("$ZV_WINE64" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)/ZorvelSetup.log
default_dir=$ZV_DRIVE_C/Zorvel/Zorvel批打印软件

# setup FOLDER ARGS...: runs SetUp.exe from FOLDER with no window; sets $code.
setup() {
  local folder=$1
  shift
  run_exe "$folder/SetUp.exe" "$@"
}

# A byte-order mark in front, then every line ended by CRLF.
utf8_crlf() {
  [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' \n')" = efbbbf ] || { echo "$1: no byte-order mark" >&2; return 1; }
  [ "$(grep -c $'\r$' "$1")" = "$(wc -l <"$1")" ] || { echo "$1: a line without CR" >&2; return 1; }
  [ "$(grep -c $'\xEF\xBB\xBF' "$1")" = 1 ] || { echo "$1: more than one byte-order mark" >&2; return 1; }
}

# Nothing of the install anywhere: no folder, no loader, no trusted path.
unchanged() {
  absent "$ZV_DRIVE_C/Zorvel" && no_loader_anywhere && value_is HKCU "$ZV_SIM_PROFILE_SHORT" TRUSTEDPATHS 1 "ab"
}

fresh_machine() {
  zv_sim_machine
  rm -rf "$ZV_DRIVE_C/Zorvel" "$ZV_DRIVE_C/ZV Silent" "$ZV_DRIVE_C/日志" "$(zv_sim_appdata)/Zorvel" "$temp_log"
}

join() { local IFS=,; echo "$*"; }

# --- 0: the folder and the log with Chinese characters, releases named and absent ---
fresh_machine
mkdir -p "$ZV_DRIVE_C/日志"
typed='C:\ZV Silent\插件'
folder="$typed\\Zorvel批打印软件"
folder_unix="$ZV_DRIVE_C/ZV Silent/插件/Zorvel批打印软件"
log="$ZV_DRIVE_C/日志/安装 记录.log"
setup "$dist" /S "/DIR=$typed" "/RELEASES=$(join "${ZV_SIM_TICKED[@]}"),2016" '/LOG=C:\日志\安装 记录.log'
check "0: exit code 0" code_is 0
expected_files=$(printf '%s\n' "${ZV_SIM_INSTALLED_FILES[@]}" | sort)
check "0: the payload is in the folder made level by level" test "$(ls -1 "$folder_unix" 2>/dev/null | sort)" = "$expected_files"
for entry in "${ZV_SIM_REGISTRATIONS[@]}"; do
  read -r year generation key <<<"$entry"
  check "0: LOADER of $year under $key" \
    value_is HKLM "$key\\Applications\\ZV_BatchPlot$year" LOADER 1 "$folder\\ZV_BatchPlot$generation.ARX"
done
for key in "${ZV_SIM_UNREGISTERED[@]}"; do
  check "0: nothing registered under $key (not named, or not seen by this edition)" \
    not regtool has-key HKLM "$key\\Applications"
done
check "0: TRUSTEDPATHS gains the folder" value_is HKCU "$ZV_SIM_PROFILE_SHORT" TRUSTEDPATHS 1 "$folder"
check "0: the log is UTF-8 with one byte-order mark and CRLF" utf8_crlf "$log"
check "0: the log's header names the version and edition" logged "$log" "INFO " "SetUp.exe " "$bits-bit edition"
check "0: the log names the command line" logged "$log" "Command line: " "/S" "/DIR=$typed"
check "0: the log names the user and the rights" logged "$log" "User: " ", elevated: "
check "0: the log names Windows" logged "$log" "INFO " "Windows "
first=${ZV_SIM_TICKED[0]}
check "0: the log names each installation found" \
  logged "$log" "Found AutoCAD $first: product key HKLM\\SOFTWARE\\" "registry view, location C:\\Program Files"
check "0: the log says why 2016 was skipped" logged "$log" "WARN " "AutoCAD 2016 skipped: named in /RELEASES, but not installed"
check "0: the log names each payload file with its size" \
  logged "$log" "File C:\\zvsilent\\Data\\Zorvel.prt9 -> $folder\\PdfSharp.dll (11 bytes): copied"
check "0: the log names each value written" logged "$log" "Registry HKLM\\" "LOADER written: $folder\\ZV_BatchPlot"
check "0: the log has TRUSTEDPATHS before and after" \
  logged "$log" "Registry HKCU\\$ZV_SIM_PROFILE_SHORT TRUSTEDPATHS before: ab; written: $folder"
check "0: the log names each support file" logged "$log" "Support file C:\\zvsilent\\Data\\Zorvel_HZ.shx -> " ": copied"
check "0: the log ends with the exit code" logged "$log" "INFO " "Exit code 0: installed completely"
check "0: no log in %TEMP% when /LOG names one" absent "$temp_log"
setup "$dist" /S "/DIR=$typed" '/LOG=C:\日志\安装 记录.log'
check "0: a second run appends to the log, still one byte-order mark" utf8_crlf "$log"
check "0: the second run's header is in it too" test "$(grep -c 'Command line: ' "$log")" = 2

# --- 2: command lines not understood, a log that cannot be opened ---------------------
fresh_machine
for args in "/S /BOGUS" "/S /RELEASES=20l0" "/S /DIR=" "/S /S=1"; do
  rm -f "$temp_log"
  # shellcheck disable=SC2086
  setup "$dist" $args
  check "2: '$args': exit code 2" code_is 2
  check "2: '$args': nothing installed" unchanged
  check "2: '$args': the log in %TEMP% names the argument" logged "$temp_log" "ERROR" "Command line not understood: "
done
setup "$dist" /S '/LOG=C:\no such folder\x.log'
check "2: a log that cannot be opened: exit code 2" code_is 2
check "2: a log that cannot be opened: nothing installed" unchanged

# --- 3: AutoCAD running ------------------------------------------------------------------
fresh_machine
acad_start
setup "$dist" /S
check "3: AutoCAD running: exit code 3" code_is 3
check "3: AutoCAD running: nothing installed" unchanged
check "3: the log says so" logged "$temp_log" "Message: 请关闭AutoCAD后再进行安装 !"
acad_stop

# --- 4: no Data folder ---------------------------------------------------------------------
fresh_machine
setup "$nodata" /S
check "4: no Data folder: exit code 4" code_is 4
check "4: no Data folder: nothing made" unchanged
check "4: the log has the message" logged "$temp_log" "ERROR" "Message: 未找到安装所需的Data文件夹 !"

# --- 5: folders refused ----------------------------------------------------------------------
fresh_machine
for dir in 'C:\bad|name' 'Zorvel' 'Q:\no drive'; do
  rm -f "$temp_log"
  setup "$dist" /S "/DIR=$dir"
  check "5: '$dir': exit code 5" code_is 5
  check "5: '$dir': nothing made" unchanged
  check "5: '$dir': the log says why" logged "$temp_log" "ERROR" "Message: "
done

# --- 6 and 0: a copy that fails for good, and one that succeeds when tried again -------------
fresh_machine
mkdir -p "$default_dir/readme.txt"  # a folder where the file goes: no copy can succeed
setup "$dist" /S
check "6: a copy that never succeeds: exit code 6" code_is 6
check "6: it was tried three more times" test "$(grep -c 'readme.txt again' "$temp_log")" = 3
check "6: the log names the system's reason" logged "$temp_log" "ERROR" "readme.txt (10 bytes): not copied, error "
check "6: nothing registered" no_loader_anywhere
check "6: the files copied before it stay" test -n "$(ls "$default_dir")"

fresh_machine
mkdir -p "$default_dir"
held="C:\\Zorvel\\Zorvel批打印软件\\readme.txt"
watched=$("$ZV_WINE64" winepath -w "$temp_log" 2>/dev/null)
zv_wine "$build" "$build/hold_file.exe" "$held" "$watched" "readme.txt (10 bytes): not copied" 60 >"$build/e2e-hold.out" 2>&1 &
holder_pid=$!
for _ in $(seq 100); do grep -q holding "$build/e2e-hold.out" 2>/dev/null && break; sleep 0.1; done
setup "$dist" /S
wait "$holder_pid"
holder=$?
check "0 after a retry: the file was held until the copy had failed" test "$holder" = 0
check "0 after a retry: exit code 0" code_is 0
check "0 after a retry: the log shows the failure and the retry" logged "$temp_log" "WARN " "readme.txt again"
check "0 after a retry: the file arrived" file_is "$default_dir/readme.txt" readme.txt

# --- 7: support files that cannot be placed --------------------------------------------------
fresh_machine
rm -rf "$ZV_SIM_ACAD_UNIX/$ZV_SIM_NO_FONTS/Fonts"
setup "$dist" /S "/RELEASES=$(join "${ZV_SIM_TICKED[@]}")"
check "7: a Fonts folder missing: exit code 7" code_is 7
check "7: the log names each file not placed" \
  test "$(grep -c 'Fonts\\Zorvel_.*: not copied, error 3' "$temp_log")" = "$ZV_SIM_NO_FONTS_FAILED"
check "7: the payload and the loaders are there" file_is "$default_dir/PdfSharp.dll" Zorvel.prt9

# --- with a window: presets, usage, and 8: a second SetUp.exe ---------------------------------
fresh_machine
desktop=zvsilent-$edition-preset
preset=${ZV_SIM_TICKED[${#ZV_SIM_TICKED[@]} - 1]}
other=${ZV_SIM_UNTICK[0]}
interactive_log="$ZV_DRIVE_C/日志/对话框.log"
mkdir -p "$ZV_DRIVE_C/日志"
zv_wine "$build" explorer "/desktop=$desktop,460x640" "$dist/SetUp.exe" '/DIR=C:\预设' "/RELEASES=$preset" \
  '/LOG=C:\日志\对话框.log' >/dev/null 2>&1 &
setup_pid=$!
check "preset: the dialog opens" drive_new wait-window "$caption" 60
check "preset: the folder box shows /DIR" drive window "$caption" -- expect-text 1000 'C:\预设'
check "preset: AutoCAD $preset ticked, $other unticked but free to tick" \
  drive window "$caption" -- expect "$(zv_sim_box "$preset")" checked -- expect "$(zv_sim_box "$other")" unchecked enabled
setup "$dist" /S
check "8: a second SetUp.exe meanwhile: exit code 8" code_is 8
check "8: the log says another one runs" logged "$temp_log" "ERROR" "Another SetUp.exe is running"
check "8: nothing installed" absent "$ZV_DRIVE_C/Zorvel"
check "preset: Install, then the completion view" drive window "$caption" -- click 1022 -- sleep 500
for _ in $(seq 120); do drive window "$caption" -- expect 1023 visible 2>/dev/null && break; sleep 0.5; done
check "preset: Finish ends the program with exit code 0" drive window "$caption" -- click 1 -- wait-exit 20 0
zv_end_within "$setup_pid" 10 || fail "the Wine desktop did not end"
check "preset: installed into the preset folder" file_is "$ZV_DRIVE_C/预设/Zorvel批打印软件/PdfSharp.dll" Zorvel.prt9
check "preset: AutoCAD $other, not named, is not registered" no_loader_anywhere "$other"
check "preset: the dialog's install is logged" logged "$interactive_log" "Install into \"C:\\预设\" for AutoCAD $preset"
check "preset: and its exit code" logged "$interactive_log" "Exit code 0: installed completely"
rm -rf "$ZV_DRIVE_C/预设"

desktop=zvsilent-$edition-usage
zv_wine "$build" explorer "/desktop=$desktop,640x640" "$dist/SetUp.exe" /BOGUS >/dev/null 2>&1 &
setup_pid=$!
usage_first_line() { drive_new wait-box 60 "Zorvel软件安装" -- get-text 65535 | tr -d '\r' | head -n 1; }
check "2 with a window: the usage box names the argument" \
  test "$(usage_first_line)" = '无法识别的参数：“/BOGUS”'
check "2 with a window: OK ends the program with exit code 2" drive wait-box 5 "Zorvel软件安装" -- click 1 -- wait-exit 20 2
zv_end_within "$setup_pid" 10 || fail "the Wine desktop did not end"

zv_sim_clear
rm -rf "$dist" "$nodata" "$ZV_DRIVE_C/Zorvel" "$ZV_DRIVE_C/ZV Silent" "$ZV_DRIVE_C/日志" "$temp_log" "$(zv_sim_appdata)/Zorvel"
e2e_end
