#!/usr/bin/env bash
# The setup dialog of a run without administrator rights, under Wine and Xvfb.
# Wine's token is always an administrator's, so shield_host.exe opens the
# dialog over the real services with a played offer to go on as an
# administrator (the prompt was declined); driver.exe plays the user: Install
# carries the shield, clicking it asks whether to go on as an administrator,
# and Yes hands the choices to the played elevated copy, whose exit code
# ends the dialog.
#
#   tests/e2e/shield.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# A screenshot of the dialog with the shield goes to
# EDITION-BUILD-FOLDER/screenshots/setup-shield-EDITION.png (and into docs/
# with ZV_SCREENSHOTS_TO_DOCS=1).
set -uo pipefail

e2e_name=shield
source "$(dirname "$0")/lib.bash" "$1"
zv_sim_machine
out=$build/e2e-shield.out
shots=$build/screenshots
mkdir -p "$shots"
on_dialog() { zv_wine "$build" "$build/driver.exe" wait-window "$caption" 30 -- "$@"; }
shot() {
  local file=$shots/setup-shield-$edition.png x y w h
  # Once the dialog has painted itself whole.
  read -r x y w h < <(on_dialog sleep 1000 -- rect | tr -d "\r") || return 1
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file" 2>/dev/null || return 1
  [ "${ZV_SCREENSHOTS_TO_DOCS:-0}" = 1 ] && cp "$file" "$ZV_ROOT/docs/"
  return 0
}
printed() { tr -d '\r' <"$out" | grep -qxF "$1" || { echo "$out: no line \"$1\"" >&2; return 1; }; }

zv_wine "$build" "$build/shield_host.exe" 7 >"$out" 2>>"$trace" &
host_pid=$!
check "declined: the dialog opens with Install enabled" on_dialog expect 1022 visible enabled
check "declined: screenshot of the dialog with the shield" shot
printf '向AutoCAD注册需要管理员权限。\n\n是否以管理员身份继续安装？' >"$build/e2e-shield-question.txt"
check "declined: Install asks, in a Yes/No box of ours, to go on as an administrator" \
  on_dialog click 1022 -- wait-box 10 -- expect-text 0 "$box_caption" \
  -- expect-text 65535 "@$build/e2e-shield-question.txt" -- expect 6 visible -- expect 7 visible
check "declined: Yes hands over and the dialog ends" on_dialog answer-box yes 5 -- wait-gone 20
zv_end_within "$host_pid" 20 || fail "declined: shield_host did not end"
check "declined: the elevated copy got the folder, and no warning was shown" printed 'asked C:\Zorvel 0'
check "declined: the dialog ended with the copy's exit code" printed "elevated 7"
check "declined: nothing installed here" absent "$ZV_DRIVE_C/Zorvel"

zv_sim_clear
rm -rf "$ZV_DRIVE_C/Zorvel"
e2e_end
