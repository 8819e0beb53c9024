#!/usr/bin/env bash
# The setup dialog end to end: SetUp.exe of one edition runs under Wine against
# a registry that holds simulated AutoCAD installations, and driver.exe plays
# the user: it finds the dialog by its caption, checks every release box and
# button, clicks boxes, and closes the dialog in the three ways a user can.
#
#   tests/e2e/dialog.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Prints "e2e ok <what>" / "e2e FAIL <what>" and exits non-zero on a failure.
# A screenshot of the selection view goes to EDITION-BUILD-FOLDER/screenshots/;
# with ZV_SCREENSHOTS_TO_DOCS=1 it is also copied into docs/.
set -uo pipefail

build=$(cd "$1" && pwd)
edition=$(basename "$build")
export ZV_BUILD=${ZV_BUILD:-$(dirname "$build")}
source "$(dirname "$0")/../../scripts/lib.sh"

zv_wine_prefix
# Wine turns command-line arguments into UTF-16 by the locale's character set.
export LC_ALL=C.UTF-8
if [ -z "${DISPLAY:-}" ]; then
  zv_xvfb_start || exit 1
  trap zv_xvfb_stop EXIT
fi

caption="Zorvel批打印软件安装"
failures=0
ok() { echo "e2e ok $edition: $*"; }
fail() { echo "e2e FAIL $edition: $*"; failures=$((failures + 1)); }
# The driver looks into the Wine desktop SetUp.exe runs in (see start_setup).
drive() { zv_wine "$build" "$build/driver.exe" desktop "$desktop" -- "$@"; }
# check WHAT DRIVER-ARGS...: one driver run, one line of output.
check() {
  local what=$1
  shift
  if drive window "$caption" -- "$@"; then ok "$what"; else fail "$what"; fi
}

# --- simulated installations ---------------------------------------------------
# The 64-bit registry view holds 2008, 2010, 2011, 2020 and 2024; the 32-bit
# view (Wow6432Node) holds 2008, 2010 and 2018. A 64-bit program sees the
# plain view and, through the Wow6432Node path, the 2007-2009 products there;
# a 32-bit program sees only the 32-bit view, through both paths.
seed=$build/e2e-dialog-seed.reg
{
  echo "REGEDIT4"
  product() {  # product VIEW-PATH RELEASE-KEY YEAR
    echo
    echo "[HKEY_LOCAL_MACHINE\\$1\\Autodesk\\AutoCAD\\$2]"
    echo "\"AcadLocation\"=\"C:\\\\Program Files\\\\Autodesk\\\\AutoCAD $3\""
    echo "\"ProductName\"=\"AutoCAD $3\""
  }
  product SOFTWARE 'R17.1\ACAD-6001:804' 2008
  product SOFTWARE 'R18.0\ACAD-8001:804' 2010
  product SOFTWARE 'R18.1\ACAD-9001:804' 2011
  product SOFTWARE 'R23.1\ACAD-3001:804' 2020
  product SOFTWARE 'R24.3\ACAD-7101:804' 2024
  product 'SOFTWARE\Wow6432Node' 'R17.1\ACAD-6001:804' 2008
  product 'SOFTWARE\Wow6432Node' 'R18.0\ACAD-8001:804' 2010
  product 'SOFTWARE\Wow6432Node' 'R22.0\ACAD-2001:804' 2018
} >"$seed"

clear_seed() {
  "$ZV_WINE64" reg delete 'HKLM\SOFTWARE\Autodesk\AutoCAD' /f >/dev/null 2>&1
  "$ZV_WINE64" reg delete 'HKLM\SOFTWARE\Wow6432Node\Autodesk\AutoCAD' /f >/dev/null 2>&1
}
clear_seed
if "$ZV_WINE64" regedit /S "$("$ZV_WINE64" winepath -w "$seed" 2>/dev/null)"; then
  ok "simulated AutoCAD installations written"
else
  fail "simulated AutoCAD installations written"
fi

if [ "$edition" = win32 ]; then
  bits=32
  found=(2008 2010 2018)
else
  bits=64
  found=(2008 2010 2011 2020 2024)
fi
date=$(sed -n 's/^ZV_BUILD_DATE:STRING=//p' "$build/CMakeCache.txt")
version="Zorvel批打印软件 V${date:0:4}.$((10#${date:4:2})).$((10#${date:6:2})) (${bits}位版本)"

box_of() {  # the check-box id of a release year (2010 and 2011 are crossed)
  case $1 in
    2010) echo 1027 ;;
    2011) echo 1026 ;;
    *) if [ "$1" -lt 2010 ]; then echo $(($1 - 2007 + 1018)); else echo $(($1 - 2012 + 1028)); fi ;;
  esac
}
is_found() { [[ " ${found[*]} " == *" $1 "* ]]; }

# start_setup NAME: SetUp.exe in a Wine desktop of its own (so the window has
# a title bar), waiting for the dialog.
start_setup() {
  desktop=zorvel-$edition-$1
  zv_wine "$build" explorer "/desktop=$desktop,460x640" "$build/SetUp.exe" >/dev/null 2>&1 &
  setup_pid=$!
  if zv_wine "$build" "$build/driver.exe" desktop "$desktop" 60 -- wait-window "$caption" 60; then
    ok "$1: the dialog opens"
  else
    fail "$1: the dialog opens"
  fi
}

# stop_setup NAME: the desktop ends once SetUp.exe has; never leave it behind.
stop_setup() { zv_end_within "$setup_pid" 10 || fail "$1: the Wine desktop did not end"; }

# --- the selection view ---------------------------------------------------------
start_setup selection
check "the version caption reads $version" expect-text 1013 "$version"
check "the install folder box shows C:\\Zorvel" expect-text 1000 'C:\Zorvel'
for year in $(seq 2007 2024); do
  id=$(box_of "$year")
  if [ "$bits" = 32 ] && [ "$year" -ge 2017 ]; then
    visible=hidden
  else
    visible=visible
  fi
  if is_found "$year"; then
    enabled=enabled
    [ "$visible" = visible ] && ticked=checked || ticked=unchecked
  else
    enabled=disabled
    ticked=unchecked
  fi
  check "box $id (AutoCAD $year) is $visible, $enabled, $ticked" expect "$id" "$visible" "$enabled" "$ticked"
done
check "Finish is hidden and enabled while a release is ticked" expect 1 hidden enabled
for id in 2 1015 1022 1000; do check "control $id is visible and enabled" expect "$id" visible enabled; done
for id in 1014 1021 1023; do check "control $id is hidden" expect "$id" hidden; done

shots=$build/screenshots
mkdir -p "$shots"
shot=$shots/dialog-selection-$edition.png
read -r x y w h < <(drive window "$caption" -- rect)
if import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot" 2>/dev/null; then
  ok "screenshot $shot"
  if [ "${ZV_SCREENSHOTS_TO_DOCS:-0}" = 1 ]; then cp "$shot" "$ZV_ROOT/docs/"; fi
else
  fail "screenshot $shot"
fi

# --- clicks ---------------------------------------------------------------------
offered=()
for year in "${found[@]}"; do
  if [ "$bits" = 64 ] || [ "$year" -lt 2017 ]; then offered+=("$year"); fi
done
if drive window "$caption" -- click "$(box_of 2009)" 2>/dev/null; then
  fail "a box without an installation cannot be clicked"
else
  ok "a box without an installation cannot be clicked"
fi
check "the box labelled 2010 is id 1027" expect-text 1027 "For AutoCAD2010"
last=${offered[${#offered[@]} - 1]}
for year in "${offered[@]}"; do
  id=$(box_of "$year")
  if [ "$year" = "$last" ]; then finish=disabled; else finish=enabled; fi
  check "unticking AutoCAD $year leaves Finish $finish" click "$id" -- expect "$id" unchecked -- expect 1 "$finish"
done
check "Install stays enabled with nothing ticked" expect 1022 enabled
check "ticking AutoCAD 2010 (id 1027) again enables Finish" \
  click 1027 -- expect 1027 checked -- expect 1026 unchecked -- expect 1 enabled
check "Cancel ends the program" click 2 -- wait-exit 20
stop_setup selection

# --- the other ways out -----------------------------------------------------------
start_setup closebox
check "the close box ends the program" close -- wait-exit 20
stop_setup closebox
start_setup escape
check "Escape ends the program" key escape -- wait-exit 20
stop_setup escape

clear_seed
echo "e2e dialog $edition: $failures failed"
[ "$failures" -eq 0 ]
