#!/usr/bin/env bash
# The setup dialog of a run without administrator rights, under Wine and Xvfb.
# Wine's token is always an administrator's, so shield_host.exe opens the
# dialog over the real services with a played offer to go on as an
# administrator (the prompt was declined); driver.exe plays the user: Install
# carries the shield, clicking it asks how to install (as an administrator,
# for the current user alone, or without the rights), and going on as an
# administrator hands the choices to the played elevated copy, whose exit
# code ends the dialog.
#
#   tests/e2e/shield.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# A screenshot of the dialog with the shield goes to
# EDITION-BUILD-FOLDER/screenshots/setup-shield-EDITION.png (and into docs/
# with ZV_SCREENSHOTS_TO_DOCS=1), one of the box to setup-rights-box-EDITION.png.
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
box_shot() {
  local x y w h
  read -r x y w h < <(on_dialog wait-box 10 "$box_caption" -- sleep 500 -- rect | tr -d "\r") || return 1
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/setup-rights-box-$edition.png" 2>/dev/null
}
printed() { tr -d '\r' <"$out" | grep -qxF "$1" || { echo "$out: no line \"$1\"" >&2; return 1; }; }

zv_wine "$build" "$build/shield_host.exe" 7 >"$out" 2>>"$trace" &
host_pid=$!
check "declined: the dialog opens with Install enabled" on_dialog expect 1022 visible enabled
check "declined: screenshot of the dialog with the shield" shot
# offers_three_ways: the box names its ways in its text and on its buttons,
# going on as an administrator first and the default.
offers_three_ways() {
  local listed
  listed=$(on_dialog click 1022 -- wait-box 10 "$box_caption" -- list | tr -d '\r') || return 1
  grep -qxF '0 Static visible enabled "向AutoCAD注册需要管理员权限。' <<<"$listed" &&
    grep -qF '“仅为我安装”：无需管理员权限' <<<"$listed" &&
    [ "$(grep -E '^10[0-2] Button' <<<"$listed" | sed 's/ visible enabled unchecked//')" = \
      "$(printf '100 Button "以管理员身份安装"\n101 Button "仅为我安装"\n102 Button "不用管理员权限继续"')" ] ||
    { echo "the box: $listed" >&2; return 1; }
}
check "declined: Install asks how to install: as an administrator, for me only, or without" offers_three_ways
check "declined: screenshot of the box" box_shot
check "declined: as an administrator hands over and the dialog ends" \
  on_dialog wait-box 10 "$box_caption" -- click 100 -- wait-gone 20
zv_end_within "$host_pid" 20 || fail "declined: shield_host did not end"
check "declined: the elevated copy got the folder, and no warning was shown" printed 'asked C:\Zorvel 0'
check "declined: the dialog ended with the copy's exit code" printed "elevated 7"
check "declined: nothing installed here" absent "$ZV_DRIVE_C/Zorvel"

zv_sim_clear
rm -rf "$ZV_DRIVE_C/Zorvel"
e2e_end
