#!/usr/bin/env bash
# Uninstalls end to end: SetUp.exe of one edition installs under Wine into the
# simulated machine, then Uninstall.exe (or SetUp.exe /UNINSTALL) takes the
# install back, silently and interactively through `start /wait`, and the
# machine is compared with a snapshot taken before the install: the AutoCAD
# keys of both registry views, every profile's TRUSTEDPATHS, the Programs and
# Features entry, and every file and folder on drive C: outside Windows and
# the user profiles. Only what is kept on purpose may differ: the fonts in
# AutoCAD's Fonts folders, the settings file in APPDATA (outside the
# snapshot), and the upper-casing of TRUSTEDPATHS entries by the install.
# Then: what the user changed in between is not lost; AutoCAD running; no
# record; a later version's record; what cannot be removed is left for a second run.
#
#   tests/e2e/uninstall.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=uninstall
source "$(dirname "$0")/lib.bash" "$1"

e2e_distribution zvuninstall
source "$(dirname "$0")/machine.bash"

install() {
  run_exe "$dist/SetUp.exe" /S
  check "$1: installed" code_is 0
}
entry_value_is() {  # entry_value_is NAME TEXT: a text stored with its terminator
  local got
  got=$(regtool get HKLM "$entry" "$1" | tr -d '\r') || return 1
  [ "${got#* * }" = "$2\\0" ] || { echo "$1: $got" >&2; return 1; }
}

# --- silent: Uninstall.exe /S, as QuietUninstallString says --------------------------------
fresh_machine
snapshot "$build/e2e-before.txt"
install silent
check "silent: Uninstall.exe is the SetUp.exe that installed" cmp -s "$dist/SetUp.exe" "$dir_unix/Uninstall.exe"
check "silent: the record is in the install folder" test -s "$dir_unix/Uninstall.ini"
check "silent: Programs and Features shows the add-on" entry_value_is DisplayName "Zorvel批打印软件"
check "silent: and where it is" entry_value_is InstallLocation "$dir"
check "silent: and runs the uninstaller" entry_value_is UninstallString "\"$dir\\Uninstall.exe\""
check "silent: or runs it with no window" entry_value_is QuietUninstallString "\"$dir\\Uninstall.exe\" /S"
check "silent: with no Modify and no Repair button" value_is HKLM "$entry" NoModify 4 1
if [ "$bits" = 64 ]; then
  check "silent: AutoCAD 2008's own plot driver is kept in Backup" cmp -s "$original" "$dir_unix/Backup/pdfplot9.hdi"
  check "silent: and the add-on's is in its place" file_is "$driver" Zorvel.prt5
fi
run_exe "$dir_unix/Uninstall.exe" /S
check "silent: exit code 0" code_is 0
check "silent: the folder goes once the uninstaller has ended" gone_within 30 "$ZV_DRIVE_C/Zorvel"
snapshot "$build/e2e-after.txt"
check "silent: the machine is as it was before the install" same_as "$build/e2e-before.txt" "$build/e2e-after.txt"
[ "$bits" = 64 ] && check "silent: AutoCAD 2008's plot driver is back, byte for byte" cmp -s "$original" "$driver"
fonts_placed() { [ -n "$(find "$ZV_DRIVE_C/Program Files" "$ZV_DRIVE_C/Program Files (x86)" -path '*/Fonts/Zorvel_HZ.shx')" ]; }
check "silent: the fonts stay" fonts_placed
check "silent: the settings file stays" file_is "$appdata/Zorvel/Zorvel.Ini" Zorvel.Ini
check "silent: the log names each loader key removed" logged "$temp_log" "INFO " "Loader key HKLM\\" ": removed"
check "silent: the log says what is kept" logged "$temp_log" "Font " ": kept"
check "silent: the log ends the removal with exit code 0" logged "$temp_log" "Exit code 0: uninstalled completely"
check "silent: the last step is logged too" logged "$temp_log" "Uninstaller and install record removed from $dir"
# Wine's token has full rights: the copy ran from a folder of its own, not the user's temp folder.
check "silent: the copy ran from a folder only administrators can change, which goes at the next restart" \
  logged "$temp_log" "The uninstaller's copy and its folder C:\\windows\\Temp\\ZorvelUninstall-" "go when Windows next starts"

# --- interactive, started as Programs and Features does, awaited by start /wait ------------
fresh_machine
snapshot "$build/e2e-before.txt"
install interactive
printf '@echo off\r\nstart "" /wait %%1\r\necho %%errorlevel%%> %%2\r\n' >"$dist/wait.bat"
rm -f "$dist/code.txt"
desktop=zvuninstall-$edition
zv_wine "$build" explorer "/desktop=$desktop,640x480" cmd /c 'C:\zvuninstall\wait.bat' "\"$dir\\Uninstall.exe\"" \
  'C:\zvuninstall\code.txt' >/dev/null 2>&1 &
desktop_pid=$!
question=$(drive_new wait-box 60 "$box_caption" -- get-text 65535 | tr -d '\r')
check "interactive: a Yes/No question first" test "${question%%$'\n'*}" = "确定要卸载Zorvel批打印软件吗？"
check "interactive: Yes" drive wait-box 5 "$box_caption" -- click 6
sleep 1
summary=$(drive wait-box 60 "$box_caption" -- get-text 65535 | tr -d '\r')
echo "summary: $summary" >>"$trace"
check "interactive: then one box says it is removed" test "${summary%%$'\n'*}" = "Zorvel批打印软件已卸载。"
check "interactive: and what is kept" grep -q "以下内容已保留：" <<<"$summary"
check "interactive: OK" drive wait-box 5 "$box_caption" -- click 1
for _ in $(seq 300); do [ -s "$dist/code.txt" ] && break; sleep 0.1; done
check "interactive: start /wait sees exit code 0" test "$(tr -d '\r\n ' <"$dist/code.txt" 2>/dev/null)" = 0
zv_end_within "$desktop_pid" 20 || fail "the Wine desktop did not end"
check "interactive: the folder goes once the uninstaller has ended" gone_within 30 "$ZV_DRIVE_C/Zorvel"
snapshot "$build/e2e-after.txt"
check "interactive: the machine is as it was before the install" same_as "$build/e2e-before.txt" "$build/e2e-after.txt"

# --- what the user changed since the install ------------------------------------------------
fresh_machine
install changes
printf 'mine' >"$dir_unix/我的笔记.txt"
first=${ZV_SIM_REGISTRATIONS[0]}
read -r _ _ repointed <<<"$first"
repointed="$repointed\\Applications\\ZV_BatchPlot${first%% *}"
# The log names a key within its registry view.
[[ "$repointed" == 'SOFTWARE\Wow6432Node\'* ]] && logged_key="SOFTWARE\\${repointed#SOFTWARE\\Wow6432Node\\} (32-bit" \
  || logged_key="$repointed ($bits-bit"
zv_sim_regtool set-sz HKLM "$repointed" LOADER 'D:\Other\ZV_BatchPlot.ARX'
holding=$(zv_sim_regtool get HKCU "$ZV_SIM_PROFILE_HOLDING" TRUSTEDPATHS | tr -d '\r')
holding=${holding#* * }
zv_sim_regtool set-sz HKCU "$ZV_SIM_PROFILE_HOLDING" TRUSTEDPATHS "$holding;e:\\用户添加"
run_exe "$dist/SetUp.exe" /UNINSTALL /S
check "changes: exit code 0" code_is 0
check "changes: the file the user added stays" file_is "$dir_unix/我的笔记.txt" mine
check "changes: and so does the folder, with nothing else in it" test "$(ls -A "$dir_unix")" = 我的笔记.txt
check "changes: the loader key another install re-pointed stays as it is" \
  value_is HKLM "$repointed" LOADER 1 'D:\Other\ZV_BatchPlot.ARX'
check "changes: the log says so" logged "$temp_log" "WARN " "Loader key HKLM\\$logged_key registry view): changed since"
check "changes: the TRUSTEDPATHS entry the user added stays, ours goes" \
  value_is HKCU "$ZV_SIM_PROFILE_HOLDING" TRUSTEDPATHS 1 'D:\LISP;C:\ZV TEST\插件\ZORVEL批打印软件;E:\BLOCKS;e:\用户添加'
check "changes: the other loader keys go" test "$(for e in "${ZV_SIM_REGISTRATIONS[@]:1}"; do
  read -r y _ k <<<"$e"; regtool has-key HKLM "$k\\Applications\\ZV_BatchPlot$y" && echo "$k"; done)" = ""
check "changes: Programs and Features no longer shows it" not regtool has-key HKLM "$entry"
zv_sim_regtool delete-tree HKLM "$repointed"

# --- nothing done: AutoCAD running, no record, a later version's record ------------------------
fresh_machine
install refused
acad_start
run_exe "$dir_unix/Uninstall.exe" /S
check "3: AutoCAD running: exit code 3" code_is 3
check "3: the log says so" logged "$temp_log" "Message: 请关闭AutoCAD后再进行卸载 !"
acad_stop
sleep 2  # the uninstaller's last step has found the record naming everything
check "3: nothing changed" test -f "$dir_unix/Uninstall.exe" -a -f "$dir_unix/Uninstall.ini" -a -f "$dir_unix/readme.txt"
check "3: Programs and Features still shows it" regtool has-key HKLM "$entry"

run_exe "$dist/SetUp.exe" /UNINSTALL /S '/DIR=C:\Nowhere'
check "9: no record in the folder named: exit code 9" code_is 9
check "9: the log names where it looked" logged "$temp_log" 'C:\Nowhere\Zorvel批打印软件'

cp "$dir_unix/Uninstall.ini" "$build/e2e-record.ini"
printf '[ZorvelInstallRecord]\r\nVersion=9\r\n[End]\r\n' >"$dir_unix/Uninstall.ini"
run_exe "$dist/SetUp.exe" /UNINSTALL /S
check "9: a record of a later version: exit code 9" code_is 9
check "9: and nothing removed" test -f "$dir_unix/readme.txt" -a -f "$dir_unix/Uninstall.exe"
cp "$build/e2e-record.ini" "$dir_unix/Uninstall.ini"

# --- 7: a file in use stays, and a second uninstall finishes the job -------------------------
held="$dir\\readme.txt"
watched=$("$ZV_WINE64" winepath -w "$temp_log" 2>/dev/null)
zv_wine "$build" "$build/hold_file.exe" "$held" "$watched" "readme.txt: not removed" 60 >"$build/e2e-hold.out" 2>&1 &
holder_pid=$!
for _ in $(seq 100); do grep -q holding "$build/e2e-hold.out" 2>/dev/null && break; sleep 0.1; done
run_exe "$dist/SetUp.exe" /UNINSTALL /S
check "7: a file in use: exit code 7" code_is 7
check "7: the log names it" logged "$temp_log" "ERROR" "File $held: not removed, error "
check "7: it stays in the record" grep -q "readme.txt" "$dir_unix/Uninstall.ini"
check "7: the way back in stays too" regtool has-key HKLM "$entry"
wait "$holder_pid"
check "7: the file was held until the uninstall had failed on it" test $? = 0
run_exe "$dir_unix/Uninstall.exe" /S
check "7, then 0: a second uninstall finishes the job" code_is 0
check "7, then 0: the folder goes" gone_within 30 "$ZV_DRIVE_C/Zorvel"

run_exe "$dist/SetUp.exe" /UNINSTALL /S
check "9: nothing installed any more: exit code 9" code_is 9
check "9: the log says so" logged "$temp_log" "Message: 本机没有安装Zorvel批打印软件"

zv_sim_clear
rm -rf "$dist" "$ZV_DRIVE_C/Zorvel" "$temp_log" "$appdata/Zorvel"
e2e_end
