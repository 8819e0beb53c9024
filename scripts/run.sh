#!/usr/bin/env bash
# Runs SetUp.exe the way a user meets it, on a simulated Windows machine:
# builds what is missing, lays out a distribution folder (SetUp.exe beside a
# Data folder with a sample payload) and a Wine prefix of its own with
# simulated AutoCAD 2007-2024 installations and profiles, and opens the setup
# dialog on your display.
#
# Without a display (no DISPLAY) it runs the same under Xvfb, clicks through a
# whole installation itself, and leaves screenshots of every view it passed
# and a report of what the installation wrote.
#
#   bash scripts/run.sh            (ZV_EDITION=win32 picks the 32-bit edition
#                                   where this kernel can run it)
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bash "$ZV_ROOT/scripts/setup.sh" || exit 1

edition=${ZV_EDITION:-win64}
if [ "$edition" = win32 ] && ! zv_can_run_32bit; then
  echo "run: this kernel cannot execute 32-bit programs; running the 64-bit edition instead"
  edition=win64
fi
for tree in win64 "$edition"; do
  for exe in SetUp driver regtool cjk_fonts fake_process; do
    [ -f "$ZV_BUILD/$tree/$exe.exe" ] || { zv_build "$tree" || exit 1; break; }
  done
done
build=$ZV_BUILD/$edition

demo=$ZV_BUILD/demo
shots=$demo/screenshots
report=$demo/report.txt
mkdir -p "$demo" "$shots"
zv_wine_prefix "$demo/prefix"
export LC_ALL=C.UTF-8
ZV_SIM_REGTOOL=$ZV_BUILD/win64/regtool.exe
source "$ZV_ROOT/scripts/demo-machine.sh"

dist=$ZV_DRIVE_C/Zorvel-Setup
zv_sim_distribution "$build/SetUp.exe" "$dist"
zv_sim_machine
rm -rf "$ZV_DRIVE_C/Zorvel"
appdata=$(zv_sim_appdata)
rm -rf "$appdata/Zorvel"
echo "run: distribution folder $dist"
echo "run: simulated AutoCAD installations:"
for entry in "${ZV_SIM_INSTALLS[@]}"; do
  IFS='|' read -r year view key folder <<<"$entry"
  echo "       $year  C:\\$folder  ($view registry view)"
done

caption="Zorvel批打印软件安装"
desktop=ZorvelSetup
size=520x700
trap 'zv_wine_stop; zv_xvfb_stop' EXIT

# write_report: what the installation left in the files and the registry.
write_report() {
  local entry year view key folder view_key app dir
  {
    echo "What SetUp.exe wrote ($(date -u '+%Y-%m-%d %H:%M UTC'), $edition edition)"
    echo "Wine prefix: $WINEPREFIX"
    echo
    echo "Files:"
    (cd "$ZV_DRIVE_C" && find Zorvel "Program Files/Autodesk" "Program Files (x86)/Autodesk" -type f 2>/dev/null |
      sort | sed 's|^|  C:/|')
    (cd "$appdata" && find Zorvel -type f 2>/dev/null | sort | sed 's|^|  %APPDATA%/|')
    echo
    echo "Registry values below: type (1 REG_SZ, 4 REG_DWORD), size in bytes as the W"
    echo "functions report it (two a character, no terminator stored), text."
    echo
    echo "HKEY_LOCAL_MACHINE:"
    for entry in "${ZV_SIM_INSTALLS[@]}"; do
      IFS='|' read -r year view key folder <<<"$entry"
      [ "$view" = wow ] && view_key=$ZV_SIM_VIEWWOW || view_key=$ZV_SIM_VIEW64
      app="$view_key\\$key\\Applications\\ZV_BatchPlot$year"
      if zv_sim_regtool has-key HKLM "$app"; then
        echo "  $app"
        echo "    LOADCTRLS $(zv_sim_regtool get HKLM "$app" LOADCTRLS | tr -d '\r')"
        echo "    LOADER    $(zv_sim_regtool get HKLM "$app" LOADER | tr -d '\r')"
      else
        echo "  $view_key\\$key: nothing (release $year not ticked or not offered)"
      fi
    done
    echo
    echo "HKEY_CURRENT_USER, TRUSTEDPATHS of each profile (long lists cut here for reading):"
    for key in "$ZV_SIM_PROFILE_MISSING" "$ZV_SIM_PROFILE_SHORT" "$ZV_SIM_PROFILE_HOLDING" "$ZV_SIM_PROFILE_LONG"; do
      echo "  $key"
      echo "    $(zv_sim_regtool get HKCU "$key" TRUSTEDPATHS 2>&1 | tr -d '\r' | cut -c1-160)"
    done
  } >"$report"
}

if [ -n "${DISPLAY:-}" ]; then
  echo "run: opening the setup dialog on $DISPLAY (close it to finish)"
  zv_wine "$build" explorer "/desktop=$desktop,$size" "$dist/SetUp.exe" >/dev/null 2>&1
  write_report
  echo "run: report of what was written: $report"
  exit 0
fi

# --- headless: under Xvfb, a whole installation clicked through -----------------------
zv_xvfb_start || exit 1
echo "run: no display; running under Xvfb ($DISPLAY) and clicking through an installation"
drive() { zv_wine "$build" "$build/driver.exe" desktop "$desktop" 30 -- "$@"; }
on_dialog() { drive window "$caption" -- "$@"; }
shot() {  # shot NAME: the whole virtual desktop
  import -window root -crop "$size+0+0" +repage "$shots/$1.png" 2>/dev/null && echo "run: screenshot $shots/$1.png"
}

zv_wine "$build" explorer "/desktop=$desktop,$size" "$dist/SetUp.exe" >/dev/null 2>&1 &
setup_pid=$!
drive wait-window "$caption" 60 || { echo "run: the dialog did not open" >&2; exit 1; }
sleep 1
shot 1-selection
echo "run: unticking AutoCAD 2009, choosing C:\\Zorvel through Browse"
on_dialog click "$(zv_sim_box 2009)" >/dev/null
on_dialog click 1015 >/dev/null
drive wait-window "请选择安装目录：" 20 -- set-text 14148 'C:\Zorvel' >/dev/null && sleep 0.5 && shot 2-folder-picker
drive wait-window "请选择安装目录：" 5 -- click 1 -- answer-box yes 3 >/dev/null 2>&1
sleep 0.5
shot 3-selection-ready

# AutoCAD "running" at the first click: the one-time warning.
acad_dir=$ZV_DRIVE_C/zvdemo-acad
mkdir -p "$acad_dir" && cp "$ZV_BUILD/win64/fake_process.exe" "$acad_dir/acad.exe"
"$ZV_WINE64" "$acad_dir/acad.exe" 120 >/dev/null 2>&1 &
sleep 1
echo "run: Install while a program named acad.exe runs"
on_dialog click 1022 >/dev/null
if on_dialog wait-box 10 >/dev/null 2>&1; then
  shot 4-autocad-running
  on_dialog wait-box 1 -- click 1 >/dev/null
fi
"$ZV_WINE64" taskkill /f /im acad.exe >/dev/null 2>&1
rm -rf "$acad_dir"

echo "run: Install again"
on_dialog click 1022 >/dev/null
for _ in $(seq 200); do
  on_dialog expect 1023 visible >/dev/null 2>&1 && break
  if on_dialog wait-box 1 >/dev/null 2>&1; then  # the warning about settings or files not written
    shot 5-incomplete-warning
    on_dialog wait-box 1 -- click 1 >/dev/null
  fi
  sleep 0.3
done
sleep 1
shot 6-completion
write_report
on_dialog click 1 -- wait-exit 20 >/dev/null 2>&1
wait "$setup_pid" 2>/dev/null
echo "run: report of what was written: $report"
head -n 40 "$report"
