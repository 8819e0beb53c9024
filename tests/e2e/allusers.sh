#!/usr/bin/env bash
# An installation for every user end to end, under Wine: a second user of the
# machine is made the way Wine can (a key with an AutoCAD profile and its
# TRUSTEDPATHS, and the user's APPDATA, saved by RegSaveKeyW as a hive file,
# the user listed in ProfileList), then `SetUp.exe /S /ALLUSERS` serves every
# user: the second user's list gains the install folder, that user gets the
# settings file and a record of the user part in its own hive, and the Active
# Setup key and the Run entry name the logon step. The logon step, run as the
# current user the way Windows runs its StubPath, serves that user again once
# its part was taken away, and once served does nothing. `Uninstall.exe /S`
# takes every user's part back, and the logon steps with it.
#
# Wine's server drops a hive loaded from a file at its unload without writing
# it back (Windows writes it back), so a change made while the program holds
# the hive under its own name would be lost before it could be checked. The
# second user is therefore loaded under its SID, as Windows loads a user who
# is logged on, and kept loaded until the end; the loading and unloading of a
# hive file by the program is shown by the Windows test program
# (tests/win32/user_hives_win32_test.cpp) and, with the write-back, on the
# in-memory services natively.
#
#   tests/e2e/allusers.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=allusers
source "$(dirname "$0")/lib.bash" "$1"

e2e_distribution zvallusers
log=$ZV_DRIVE_C/zvallusers.log
command="\"$dir\\Uninstall.exe\" /USERPART"

# The second user: an account of the machine that is not the prefix's own.
sid=S-1-5-21-0-0-0-1001
profile='C:\users\zvsecond'
profile_unix=$ZV_DRIVE_C/users/zvsecond
profile_list="SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\$sid"
scratch='Software\ZorvelE2EHive'
# A release this edition offers, and each user's profile of it: a user
# counts as served once it has a profile of every release installed for.
if [ "$bits" = 32 ]; then year=2009 release='R17.2\ACAD-7001:804'; else year=2020 release='R23.1\ACAD-3001:804'; fi
variables="Software\\Autodesk\\AutoCAD\\$release\\Profiles\\<<Unnamed Profile>>\\Variables"
own_variables="Software\\Autodesk\\AutoCAD\\$release\\Profiles\\E2E\\Variables"
own_list='d:\own lisp'
seconds_list='e:\second user\lisp'
record='Software\Zorvel\BatchPlot'
# The logon steps, in the edition's registry view (the 64-bit regtool reads
# both).
if [ "$bits" = 32 ]; then view='SOFTWARE\Wow6432Node'; else view='SOFTWARE'; fi
active_setup="$view\\Microsoft\\Active Setup\\Installed Components\\ZorvelBatchPlot"
run_key="$view\\Microsoft\\Windows\\CurrentVersion\\Run"

hkr() { zv_sim_regtool "$@"; }
# text_is HIVE KEY NAME TEXT: a text stored with its terminator, as the
# program stores the values other programs read.
text_is() {
  local got
  got=$(hkr get "$1" "$2" "$3" | tr -d '\r') || return 1
  [ "${got#* * }" = "$4\\0" ] || { echo "$2\\$3: $got" >&2; return 1; }
}
list_is() {  # list_is HIVE KEY TEXT: TRUSTEDPATHS stored as TEXT, no terminator
  local got
  got=$(hkr get "$1" "$2" TRUSTEDPATHS | tr -d '\r') || return 1
  [ "$got" = "1 $((${#3} * 2)) $3" ] || { echo "$2: $got" >&2; return 1; }
}
dword_is() {  # dword_is HIVE KEY NAME NUMBER
  local got
  got=$(hkr get "$1" "$2" "$3" | tr -d '\r') || return 1
  [ "$got" = "4 4 $4" ] || { echo "$2\\$3: $got" >&2; return 1; }
}
# holds_folder HIVE KEY: the profile's TRUSTEDPATHS lists the install folder
# (the install writes its entry in capitals).
holds_folder() {
  local got
  got=$(hkr get "$1" "$2" TRUSTEDPATHS | tr -d '\r') || return 1
  [[ "${got,,}" == *"${dir,,}"* ]] || { echo "$2: $got" >&2; return 1; }
}
version_is_new() {
  local got
  got=$(hkr get HKLM "$active_setup" Version | tr -d '\r') || return 1
  [[ "${got#* * }" =~ ^[0-9]{4},[0-9]{1,2},[0-9]{1,2},[1-9][0-9]*\\0$ ]] || { echo "Version: $got" >&2; return 1; }
}
# The uninstaller's copies in the temp folders (the logon step makes none).
copies() { ls -d "$ZV_DRIVE_C"/windows/temp/ZorvelUninstall-* "$(dirname "$temp_log")"/ZorvelUninstall-* 2>/dev/null | wc -l; }
# What a run of this script may have left, and the users of an earlier one.
clear_all_users() {
  hkr unload-hive HKU "$sid" 2>/dev/null
  hkr delete-tree HKLM "$profile_list"
  hkr delete-tree HKCU "$scratch"
  hkr delete-tree HKCU "$record"
  hkr delete-tree HKCU 'Software\Microsoft\Active Setup\Installed Components\ZorvelBatchPlot'
  for key in 'SOFTWARE' 'SOFTWARE\Wow6432Node'; do
    hkr delete-tree HKLM "$key\\Microsoft\\Active Setup\\Installed Components\\ZorvelBatchPlot"
    "$ZV_WINE64" reg delete "HKLM\\$key\\Microsoft\\Windows\\CurrentVersion\\Run" /v ZorvelBatchPlot /f >/dev/null 2>&1
  done
  rm -rf "$profile_unix" "$ZV_DRIVE_C/Zorvel" "$appdata/Zorvel" "$temp_log" "$log"
}

# --- the second user, made, listed and logged on -----------------------------------------
zv_sim_machine
clear_all_users
mkdir -p "$profile_unix/AppData/Roaming"
hkr set-sz HKCU "$own_variables" TRUSTEDPATHS "$own_list"
hkr set-sz HKCU "$scratch\\$variables" TRUSTEDPATHS "$seconds_list"
hkr set-sz HKCU "$scratch\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders" AppData \
  "$profile\\AppData\\Roaming"
check "a second user: its hive saved to a file by RegSaveKeyW" hkr save-hive HKCU "$scratch" "$profile\\NTUSER.DAT"
hkr delete-tree HKCU "$scratch"
hkr set-sz HKLM "$profile_list" ProfileImagePath "$profile"
check "a second user: logged on (its hive file loaded under its SID)" hkr load-hive HKU "$sid" "$profile\\NTUSER.DAT"
check "a second user: its profile's list is there" list_is HKU "$sid\\$variables" "$seconds_list"

# --- SetUp.exe /S /ALLUSERS ---------------------------------------------------------------
run_exe "$dist/SetUp.exe" /S /ALLUSERS "/RELEASES=$year" '/LOG=C:\zvallusers.log'
check "install for every user: exit code 0" code_is 0
check "install for every user: the log says so" logged "$log" "Installing for every user of the machine (/ALLUSERS)"
hkr has-key HKLM "$active_setup" ||
  echo "e2e note $edition: no Active Setup key after the install: this build does not serve every user yet" \
    "(the every-user loop and the engine's logon steps); the checks below that need them fail"
check "install for every user: the second user's list gains the folder" holds_folder HKU "$sid\\$variables"
check "install for every user: the second user's record, served" dword_is HKU "$sid\\$record" Served 1
check "install for every user: the second user's settings file" test -f "$profile_unix/AppData/Roaming/Zorvel/Zorvel.Ini"
check "install for every user: the log names the second user" logged "$log" "$sid"
check "install for every user: the current user is served too" dword_is HKCU "$record" Served 1
check "install for every user: the current user's list gains the folder" holds_folder HKCU "$own_variables"
check "install for every user: the current user's settings file" test -f "$appdata/Zorvel/Zorvel.Ini"
check "Active Setup: the product's name" text_is HKLM "$active_setup" "" "Zorvel批打印软件"
check "Active Setup: StubPath runs the logon step" text_is HKLM "$active_setup" StubPath "$command"
check "Active Setup: Version of this install" version_is_new
check "Active Setup: IsInstalled" dword_is HKLM "$active_setup" IsInstalled 1
check "the Run entry runs the logon step" text_is HKLM "$run_key" ZorvelBatchPlot "$command"
check "the record says for every user" grep -q '^AllUsers=1' "$dir_unix/Uninstall.ini"

# --- the logon step, as Active Setup runs its StubPath for the current user ----------------
stub=$(hkr get HKLM "$active_setup" StubPath | tr -d '\r')
stub=${stub#* * }
stub=${stub%\\0}
hkr delete-tree HKCU "$record"
hkr set-sz HKCU "$own_variables" TRUSTEDPATHS "$own_list"
rm -f "$temp_log"
copies_before=$(copies)
if [ "$stub" = "$command" ]; then
  run_exe "$dir_unix/Uninstall.exe" /USERPART
else
  echo "StubPath is not $command: $stub" >>"$trace"
  code=none
fi
check "the logon step: exit code 0" code_is 0
check "the logon step: the user's record again" dword_is HKCU "$record" Served 1
check "the logon step: the user's list gains the folder again" holds_folder HKCU "$own_variables"
check "the logon step: logged" logged "$temp_log" "Exit code 0: the user's part written"
check "the logon step: no copy of the uninstaller in a temp folder" test "$(copies)" = "$copies_before"
lines=$(wc -l <"$temp_log" 2>/dev/null)
run_exe "$dir_unix/Uninstall.exe" /USERPART
check "the logon step, once served: exit code 0" code_is 0
check "the logon step, once served: not a line more in the log" test "$(wc -l <"$temp_log" 2>/dev/null)" = "$lines"

# --- Uninstall.exe /S takes every user's part back -----------------------------------------
run_exe "$dir_unix/Uninstall.exe" /S '/LOG=C:\zvallusers.log'
check "uninstall for every user: exit code 0" code_is 0
hkr has-key HKLM "$active_setup" &&
  echo "e2e note $edition: the Active Setup key is still there after the uninstall: this build's uninstall does not" \
    "take every user's part back yet (the uninstall for every user); the checks below that need it fail"
check "uninstall for every user: the second user's list as it was" list_is HKU "$sid\\$variables" "$seconds_list"
check "uninstall for every user: the second user's record goes" not hkr has-key HKU "$sid\\$record"
check "uninstall for every user: the current user's record goes" not hkr has-key HKCU "$record"
check "uninstall for every user: the current user's list as it was" list_is HKCU "$own_variables" "$own_list"
check "uninstall for every user: the Active Setup key goes" not hkr has-key HKLM "$active_setup"
check "uninstall for every user: the Run entry goes" not hkr get HKLM "$run_key" ZorvelBatchPlot
check "uninstall for every user: the install folder goes" gone_within 30 "$ZV_DRIVE_C/Zorvel"

clear_all_users
zv_sim_clear
rm -rf "$dist"
e2e_end
