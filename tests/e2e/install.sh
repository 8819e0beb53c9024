#!/usr/bin/env bash
# Whole installations end to end: SetUp.exe of one edition runs from a
# distribution folder (SetUp.exe beside Data) under Wine against simulated
# AutoCAD installations and profiles; driver.exe plays the user (ticks and
# unticks, Browse with a typed folder, Install, the message boxes), and the
# results are checked from outside the program: the files on the Wine drive
# and, while the same wineserver still runs, the registry through regtool.exe.
#
#   tests/e2e/install.sh EDITION-BUILD-FOLDER     (…/win64 or …/win32)
#
# Scenarios: a distribution without its Data folder; AutoCAD running at the
# first click; the full installation; a ticked installation without a Fonts
# folder. Prints "e2e ok <what>" / "e2e FAIL <what>", exits non-zero on a
# failure. Screenshots of the selection, completion and warning views go to
# EDITION-BUILD-FOLDER/screenshots/ (and into docs/ with ZV_SCREENSHOTS_TO_DOCS=1).
set -uo pipefail

e2e_name=install
source "$(dirname "$0")/lib.bash" "$1"
picker="请选择安装目录："
on_dialog() { drive window "$caption" -- "$@"; }

# --- the distribution and the simulated machine ------------------------------------
dist=$ZV_DRIVE_C/zvdist
nodata=$ZV_DRIVE_C/zvnodata
zv_sim_distribution "$build/SetUp.exe" "$dist"
rm -rf "$nodata" && mkdir -p "$nodata" && cp "$build/SetUp.exe" "$nodata/"
appdata=$(zv_sim_appdata)

# start_setup NAME FOLDER: SetUp.exe from FOLDER in a Wine desktop of its own.
start_setup() {
  desktop=zvinst-$edition-$1
  zv_wine "$build" explorer "/desktop=$desktop,460x640" "$2/SetUp.exe" >/dev/null 2>&1 &
  setup_pid=$!
  check "$1: the dialog opens" zv_wine "$build" "$build/driver.exe" desktop "$desktop" 60 -- wait-window "$caption" 60
}

# stop_setup: the desktop ends once SetUp.exe has; never leave it behind.
stop_setup() { zv_end_within "$setup_pid" 10 || fail "the Wine desktop did not end"; }

# wait_view ID SECONDS: until control ID of the dialog is visible.
wait_view() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    on_dialog expect "$1" visible 2>/dev/null && return 0
    sleep 0.3
  done
  return 1
}

shots=$build/screenshots
mkdir -p "$shots"
# shot NAME [WHOLE]: the dialog's window, or with WHOLE the whole desktop
# (a message box stands beside the dialog).
shot() {
  local file=$shots/$1-$edition.png geometry
  if [ "${2:-}" = whole ]; then
    geometry=460x640+0+0
  else
    local x y w h
    read -r x y w h < <(on_dialog rect | tr -d '\r') || return 1
    geometry=${w}x${h}+${x}+${y}
  fi
  import -window root -crop "$geometry" +repage "$file" 2>/dev/null || return 1
  [ "${ZV_SCREENSHOTS_TO_DOCS:-0}" = 1 ] && cp "$file" "$ZV_ROOT/docs/"
  return 0
}

# ZV_INSTALL_SCENARIOS picks some of: nodata running install nofonts.
scenarios=" ${ZV_INSTALL_SCENARIOS:-nodata running install nofonts} "
want() { [[ "$scenarios" == *" $1 "* ]]; }
fresh_machine() {
  zv_sim_machine
  rm -rf "$ZV_DRIVE_C/Zorvel" "$ZV_DRIVE_C/ZV Test" "$appdata/Zorvel"
}

# --- 1. no Data folder: a message, the dialog ends, nothing is written ----------------
if want nodata; then
fresh_machine
start_setup nodata "$nodata"
printf '未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !' >"$build/e2e-nodata.txt"
check "no Data: Install shows the missing Data folder's message; OK ends the program" \
  on_dialog click 1022 -- wait-box 10 -- expect-text 65535 "@$build/e2e-nodata.txt" -- click 1 -- wait-exit 20
stop_setup
check "no Data: no loader registered" no_loader_anywhere
check "no Data: no trusted path changed" value_is HKCU "$ZV_SIM_PROFILE_SHORT" TRUSTEDPATHS 1 "ab"
check "no Data: no font placed" absent "$ZV_SIM_ACAD_UNIX/Program Files/Autodesk/AutoCAD 2010/Fonts/Zorvel_EN.shx"

fi

# --- 2. AutoCAD running: the warning first, the install on the second click ------------
if want running; then
fresh_machine
acad_start
start_setup running "$dist"
check "running: Install shows the warning to close AutoCAD first" \
  on_dialog click 1022 -- wait-box 10 -- expect-text 65535 "请关闭AutoCAD后再进行安装 !" -- click 1
check "running: the selection view stays, nothing made" \
  on_dialog expect 1000 visible -- expect 1015 visible -- expect 1014 hidden
check "running: no folder made" absent "$ZV_DRIVE_C/Zorvel"
check "running: the second click installs while AutoCAD still runs" on_dialog click 1022
check "running: the completion view comes" wait_view 1023 120
check "running: into C:\\Zorvel\\Zorvel批打印软件" file_is "$ZV_DRIVE_C/Zorvel/Zorvel批打印软件/readme.txt" readme.txt
check "running: Finish ends the program" on_dialog click 1 -- wait-exit 20
stop_setup
acad_stop

fi

# --- 3. the whole installation ---------------------------------------------------------
if want install; then
fresh_machine
typed='C:\ZV Test\插件'
typed_unix="$ZV_DRIVE_C/ZV Test/插件"
folder="$typed\\Zorvel批打印软件"
folder_unix="$typed_unix/Zorvel批打印软件"
mkdir -p "$ZV_DRIVE_C/ZV Test"
start_setup install "$dist"
check "install: selection view screenshot" shot setup-selection
for year in "${ZV_SIM_UNTICK[@]}"; do
  check "install: untick AutoCAD $year" on_dialog click "$(zv_sim_box "$year")" -- expect "$(zv_sim_box "$year")" unchecked
done
retick=${ZV_SIM_TICKED[0]}
check "install: untick and tick AutoCAD $retick again" \
  on_dialog click "$(zv_sim_box "$retick")" -- click "$(zv_sim_box "$retick")" -- expect "$(zv_sim_box "$retick")" checked
check "install: Browse opens the picker" on_dialog click 1015 -- wait-window "$picker" 20
check "install: a typed folder that does not exist is created on Yes" \
  drive wait-window "$picker" 5 -- set-text 14148 "$typed" -- click 1 -- answer-box yes 10
check "install: the folder box shows the chosen folder" on_dialog expect-text 1000 "$typed"
read -r _ _ _ height_before < <(on_dialog rect | tr -d '\r')
read -r _ finish_y _ finish_h < <(on_dialog rect 1 | tr -d '\r')
read -r _ cancel_y _ cancel_h < <(on_dialog rect 2 | tr -d '\r')
check "install: Install" on_dialog click 1022
check "install: the completion view comes" wait_view 1023 120
check "install: no warning when everything was written" not on_dialog wait-box 1
for id in 1023 1021 1; do check "install: control $id shown" on_dialog expect "$id" visible; done
check "install: Finish enabled" on_dialog expect 1 enabled
for id in 1016 1014 1017 1000 1015 1022 2 1018 1019 1020 1026 1027 1036 1040; do
  check "install: control $id hidden" on_dialog expect "$id" hidden
done
read -r _ _ _ height_after < <(on_dialog rect | tr -d '\r')
shrink=$(((cancel_y + cancel_h) - (finish_y + finish_h)))
check "install: the window lost $shrink pixels at its bottom" test "$height_after" -eq $((height_before - shrink))
check "install: completion view screenshot" shot setup-completion

expected_files=$(printf '%s\n' "${ZV_SIM_INSTALLED_FILES[@]}" | sort)
check "install: the install folder holds the payload with the library names" \
  test "$(ls -1 "$folder_unix" | sort)" = "$expected_files"
check "install: a renamed library keeps its content" file_is "$folder_unix/PdfSharp.dll" Zorvel.prt9
check "install: Zorvel.Ini goes to APPDATA\\Zorvel" file_is "$appdata/Zorvel/Zorvel.Ini" Zorvel.Ini
for year in "${ZV_SIM_FOUND[@]}"; do
  ticked=no
  [[ " ${ZV_SIM_TICKED[*]} " == *" $year "* ]] && ticked=yes
  while read -r location; do
    dir="$ZV_SIM_ACAD_UNIX/$location"
    if [ $ticked = yes ]; then
      check "install: fonts in $location" file_is "$dir/Fonts/Zorvel_HZ.shx" Zorvel_HZ.shx
      if [ "$year" = 2008 ]; then
        check "install: pdfplot9.hdi in $location" file_is "$dir/Drv/pdfplot9.hdi" Zorvel.prt5
      else
        check "install: no plot driver in $location" absent "$dir/Drv/pdfplot9.hdi"
      fi
    else
      check "install: nothing in unticked $location" absent "$dir/Fonts/Zorvel_EN.shx"
    fi
  done < <(zv_sim_locations "$year")
done
for entry in "${ZV_SIM_REGISTRATIONS[@]}"; do
  read -r year generation key <<<"$entry"
  app="$key\\Applications\\ZV_BatchPlot$year"
  check "install: LOADCTRLS 2 for $year under $key" value_is HKLM "$app" LOADCTRLS 4 2
  check "install: LOADER of $year names ZV_BatchPlot$generation.ARX, stored without terminator" \
    value_is HKLM "$app" LOADER 1 "$folder\\ZV_BatchPlot$generation.ARX"
done
for key in "${ZV_SIM_UNREGISTERED[@]}"; do
  check "install: nothing registered under unticked $key" not regtool has-key HKLM "$key\\Applications"
done
upper_folder=${folder^^}
check "install: TRUSTEDPATHS missing becomes the folder" value_is HKCU "$ZV_SIM_PROFILE_MISSING" TRUSTEDPATHS 1 "$folder"
check "install: a short TRUSTEDPATHS is replaced by the folder" value_is HKCU "$ZV_SIM_PROFILE_SHORT" TRUSTEDPATHS 1 "$folder"
check "install: a list holding the folder in another case gains nothing" \
  value_is HKCU "$ZV_SIM_PROFILE_HOLDING" TRUSTEDPATHS 1 "D:\\LISP;${upper_folder};E:\\BLOCKS"
long=$(zv_sim_long_paths)
check "install: a long list (${#long} characters) is kept whole and gains the folder" \
  value_is HKCU "$ZV_SIM_PROFILE_LONG" TRUSTEDPATHS 1 "${long^^};$upper_folder"
check "install: Finish ends the program" on_dialog click 1 -- wait-exit 20
stop_setup

fi

# --- 4. a ticked installation without Fonts: the warning, then the completion view ------
if want nofonts; then
fresh_machine
rm -rf "$ZV_SIM_ACAD_UNIX/$ZV_SIM_NO_FONTS/Fonts"
start_setup nofonts "$dist"
printf '文件已安装，但有%d个支持文件未能复制到AutoCAD文件夹，\n\nAutoCAD可能无法加载Zorvel批打印软件。\n\n原因：\n\nAutoCAD的安装文件夹中缺少所需的子文件夹（Fonts或Drv），请检查AutoCAD是否完整安装 !' "$ZV_SIM_NO_FONTS_FAILED" >"$build/e2e-warning.txt"
check "no Fonts: Install" on_dialog click 1022
check "no Fonts: one warning names the $ZV_SIM_NO_FONTS_FAILED files and the missing folder as the cause" \
  on_dialog wait-box 120 -- expect-text 65535 "@$build/e2e-warning.txt"
check "no Fonts: the warning comes before the completion view" on_dialog expect 1023 hidden
check "no Fonts: warning screenshot" shot setup-warning whole
check "no Fonts: OK" on_dialog wait-box 5 -- click 1
check "no Fonts: then the completion view" wait_view 1023 20
if [ "$bits" = 64 ]; then
  check "no Fonts: the other installations got their fonts" \
    file_is "$ZV_SIM_ACAD_UNIX/$(zv_sim_locations 2010 | head -n 1)/Fonts/Zorvel_EN.shx" Zorvel_EN.shx
fi
check "no Fonts: the close box ends the program" on_dialog close -- wait-exit 20
stop_setup

fi

zv_sim_clear
rm -rf "$dist" "$nodata" "$ZV_DRIVE_C/Zorvel" "$ZV_DRIVE_C/ZV Test" "$appdata/Zorvel"
e2e_end
