#!/usr/bin/env bash
# Names outside GBK end to end: a user whose account has a Korean name
# (APPDATA under C:\users\김철수), a Data file named in Hangul, AutoCAD
# profiles named Søren and 김 with entries of their own, and an install folder
# with Hangul in it. SetUp.exe of one edition installs silently under Wine
# with exit code 0, every name arrives whole on the drive, in the registry and
# in the UTF-8 log; Uninstall.exe takes it back.
#
#   tests/e2e/names.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=names
source "$(dirname "$0")/lib.bash" "$1"

dist=$ZV_DRIVE_C/zvnames
zv_sim_distribution "$build/SetUp.exe" "$dist"
printf '한글' >"$dist/Data/한글.txt"
appdata='C:\users\김철수\AppData\Roaming'
appdata_unix=$ZV_DRIVE_C/users/김철수/AppData/Roaming
typed='C:\Zorvel 한\'
folder='C:\Zorvel 한\Zorvel批打印软件'
folder_unix="$ZV_DRIVE_C/Zorvel 한/Zorvel批打印软件"
log='C:\zvnames\names.log'
log_unix=$dist/names.log

# Profiles of the first release ticked, where the install trusts its folder.
for entry in "${ZV_SIM_INSTALLS[@]}"; do
  IFS='|' read -r year _ release _ <<<"$entry"
  [ "$year" = "${ZV_SIM_TICKED[0]}" ] && break
done
profiles="$ZV_SIM_PROFILES_KEY\\$release\\Profiles"
soren="$profiles\\Søren\\Variables"
kim="$profiles\\김\\Variables"

# setup ARGS...: SetUp.exe with no window, APPDATA that of the Korean user:
# Wine gives a program started from Unix the APPDATA of the prefix's
# Volatile Environment key, which holds the Korean path for this run only.
# Sets $code.
setup() {
  local before
  before=$(zv_sim_regtool get HKCU 'Volatile Environment' APPDATA | tr -d '\r' | cut -d' ' -f3-)
  before=${before%\\0}  # its terminator, as regtool shows it
  zv_sim_regtool set-sz HKCU 'Volatile Environment' APPDATA "$appdata"
  run_exe "$dist/SetUp.exe" "$@"
  zv_sim_regtool set-sz HKCU 'Volatile Environment' APPDATA "$before"
}

# The profiles' lists and every file and folder on drive C: below the
# folders the install may touch, one sorted line each.
snapshot() {
  {
    regtool get HKCU "$soren" TRUSTEDPATHS
    regtool get HKCU "$kim" TRUSTEDPATHS
    ls -R "$ZV_DRIVE_C"/Zorvel* "$appdata_unix" 2>/dev/null
  } | tr -d '\r' >"$1"
}

zv_sim_machine
rm -rf "$ZV_DRIVE_C"/Zorvel* "$ZV_DRIVE_C/users/김철수" "$log_unix"
mkdir -p "$appdata_unix"
zv_sim_regtool set-sz HKCU "$soren" TRUSTEDPATHS 'd:\lisp;c:\블록'
zv_sim_regtool set-sz HKCU "$kim" TRUSTEDPATHS 'e:\김 블록'
snapshot "$build/e2e-names-before.txt"

# --- the install ---------------------------------------------------------------------
setup /S "/DIR=$typed" "/LOG=$log"
check "install: exit code 0" code_is 0
check "install: the settings file in the Korean user's APPDATA" file_is "$appdata_unix/Zorvel/Zorvel.Ini" Zorvel.Ini
check "install: 한글.txt copied under its name" file_is "$folder_unix/한글.txt" 한글
check "install: the rest of the payload too" file_is "$folder_unix/readme.txt" readme.txt
check "install: Søren's TRUSTEDPATHS gains the folder and keeps its entries" \
  value_is HKCU "$soren" TRUSTEDPATHS 1 "D:\\LISP;C:\\블록;${folder^^}"
check "install: 김's TRUSTEDPATHS gains the folder and keeps its entry" \
  value_is HKCU "$kim" TRUSTEDPATHS 1 "E:\\김 블록;${folder^^}"
read -r year generation key <<<"${ZV_SIM_REGISTRATIONS[0]}"
check "install: the loader names the folder" \
  value_is HKLM "$key\\Applications\\ZV_BatchPlot$year" LOADER 1 "$folder\\ZV_BatchPlot$generation.ARX"
check "install: the log shows the settings file's real path" \
  logged "$log_unix" "-> $appdata\\Zorvel\\Zorvel.Ini" ": copied"
check "install: the log shows the Hangul file name" logged "$log_unix" "-> $folder\\한글.txt" ": copied"
check "install: the log shows the profiles' lists" logged "$log_unix" "Søren" "TRUSTEDPATHS before: d:\\lisp;c:\\블록"
check "install: the log ends with exit code 0" logged "$log_unix" "Exit code 0: installed completely"

# --- the uninstall -------------------------------------------------------------------
run_exe "$folder_unix/Uninstall.exe" /S "/LOG=$log"
check "uninstall: exit code 0" code_is 0
# The uninstaller's copy in the temp folder removes the folder once it has ended.
check "uninstall: the install folder goes once the uninstaller has ended" gone_within 30 "$ZV_DRIVE_C/Zorvel 한"
check "uninstall: the log names the Hangul file removed" logged "$log_unix" "$folder\\한글.txt" "removed"
# Nothing else changed in them: each list is back as it was, case included.
check "uninstall: Søren's list is back as it was" value_is HKCU "$soren" TRUSTEDPATHS 1 'd:\lisp;c:\블록'
check "uninstall: 김's list is back as it was" value_is HKCU "$kim" TRUSTEDPATHS 1 'e:\김 블록'
check "uninstall: no loader left" no_loader_anywhere
# The settings file stays, as every uninstall keeps the user's settings.
rm -rf "$appdata_unix/Zorvel"
snapshot "$build/e2e-names-after.txt"
check "uninstall: the lists and files are as before, but for the upper case" \
  diff <(tr '[:lower:]' '[:upper:]' <"$build/e2e-names-before.txt") <(tr '[:lower:]' '[:upper:]' <"$build/e2e-names-after.txt")

e2e_end
