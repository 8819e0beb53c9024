#!/usr/bin/env bash
# An install for the current user alone, under Wine: `SetUp.exe /S
# /CURRENTUSER` writes the loader keys below HKEY_CURRENT_USER, the Fonts
# folder on every profile's support file search path, the fonts into the
# install folder and the Programs and Features entry under HKEY_CURRENT_USER;
# nothing below HKEY_LOCAL_MACHINE and nothing into AutoCAD's folders (Wine
# would let it: it runs everything as an administrator). Then
# `SetUp.exe /UNINSTALL /S` leaves the registry and the files as they were.
#
#   tests/e2e/current_user.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a failure.
set -uo pipefail

e2e_name=current_user
source "$(dirname "$0")/lib.bash" "$1"

e2e_distribution zvcurrentuser
source "$(dirname "$0")/machine.bash"

# Releases whose every product key the edition registers: 2010 (two
# products) in the 64-bit view, 2007 in the 32-bit one.
if [ "$bits" = 32 ]; then
  releases=2007
  products=('R17.0\ACAD-5001:804')
else
  releases=2010,2020
  products=('R18.0\ACAD-8001:804' 'R18.0\ACAD-8001:409' 'R23.1\ACAD-3001:804')
fi
year_of() { case $1 in R17.0*) echo 2007 ;; R18.0*) echo 2010 ;; *) echo 2020 ;; esac; }
profiles=("$ZV_SIM_PROFILE_MISSING" "$ZV_SIM_PROFILE_SHORT" "$ZV_SIM_PROFILE_HOLDING" "$ZV_SIM_PROFILE_LONG")

loaders_for_the_user() {
  local product key
  for product in "${products[@]}"; do
    key="SOFTWARE\\Autodesk\\AutoCAD\\$product\\Applications\\ZV_BatchPlot$(year_of "$product")"
    regtool has-key HKCU "$key" || { echo "HKCU\\$key missing" >&2; return 1; }
  done
}
# support_path_ends PROFILE-VARIABLES-KEY TEXT: that profile's "ACAD" ends in TEXT.
support_path_ends() {
  local got
  got=$(regtool get HKCU "${1%\\Variables}\\General" ACAD | tr -d '\r' | tr -d '\0') || return 1
  [[ "$got" == *"$2" ]] || { echo "${1%\\Variables}\\General ACAD: $got" >&2; return 1; }
}
entry_names() {  # entry_names FOLDER: the user's entry, whose texts keep their terminator
  local got
  got=$(regtool get HKCU "$entry" InstallLocation | tr -d '\r') || return 1
  [ "${got#* * }" = "$1\\0" ] || { echo "HKCU\\$entry InstallLocation: $got" >&2; return 1; }
}
no_fonts_in_acad() {
  local found
  found=$(find "$ZV_DRIVE_C/Program Files" "$ZV_DRIVE_C/Program Files (x86)" -name 'Zorvel*' 2>/dev/null)
  [ -z "$found" ] || { echo "in AutoCAD's folders: $found" >&2; return 1; }
}

fresh_machine
# AutoCAD fills each profile's support path at its first start.
for profile in "${profiles[@]}"; do zv_sim_regtool set-sz HKCU "${profile%\\Variables}\\General" ACAD 'C:\support;'; done
snapshot "$build/e2e-before.txt"
run_exe "$dist/SetUp.exe" /S /CURRENTUSER "/RELEASES=$releases"
check "installed for the current user alone: exit code 0" code_is 0
check "the loader keys below HKEY_CURRENT_USER" loaders_for_the_user
check "no loader key below HKEY_LOCAL_MACHINE" no_loader_anywhere
check "the Programs and Features entry below HKEY_CURRENT_USER" entry_names "$dir"
check "none below HKEY_LOCAL_MACHINE" not regtool has-key HKLM "$entry_view"
for profile in "${profiles[@]}"; do
  check "the Fonts folder on the support path of ${profile%\\Variables}" \
    support_path_ends "$profile" "C:\\support;$dir\\Fonts"
done
check "the fonts in the install folder" test -f "$dir_unix/Fonts/Zorvel_HZ.shx"
check "nothing in AutoCAD's folders" no_fonts_in_acad
[ "$bits" = 64 ] && check "AutoCAD 2008's own plot driver untouched" cmp -s "$original" "$driver"
check "the log says for whom" logged "$temp_log" "For the current user alone"

run_exe "$dist/SetUp.exe" /UNINSTALL /S
check "uninstalled: exit code 0" code_is 0
check "the folder goes once the uninstaller has ended" gone_within 30 "$ZV_DRIVE_C/Zorvel"
snapshot "$build/e2e-after.txt"
check "the machine is as it was before the install" same_as "$build/e2e-before.txt" "$build/e2e-after.txt"

zv_sim_clear
rm -rf "$dist" "$ZV_DRIVE_C/Zorvel" "$temp_log" "$appdata/Zorvel"
e2e_end
