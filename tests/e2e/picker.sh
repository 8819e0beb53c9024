#!/usr/bin/env bash
# The folder picker end to end, under Wine and Xvfb: the shell's browser with
# our caption, hidden status line and path box; preselection; OK enabled
# while the box holds text; the tree's selection copied into the box; OK
# checked by the path rules (invalid, declined, created); Cancel and the close
# box. Drives picker_host.exe with driver.exe and leaves a screenshot of the
# picker in the build folder (picker.png).
#
#   tests/e2e/picker.sh EDITION-BUILD-FOLDER
set -uo pipefail
build=$(cd "${1:?usage: picker.sh EDITION-BUILD-FOLDER}" && pwd)
source "$(dirname "$0")/../../scripts/lib.sh"

# The display first: a Wine session started without one cannot make windows
# for as long as it lasts.
if [ -z "${DISPLAY:-}" ]; then
  zv_xvfb_start || exit 1
  trap zv_xvfb_stop EXIT
fi
zv_wine_prefix "$(dirname "$build")/wine/prefix"
# Wine turns command-line arguments into UTF-16 by the locale's character set.
export LC_ALL=C.UTF-8

caption="请选择安装目录："
work_unix=$WINEPREFIX/drive_c/zvpick
work='C:\zvpick'
texts=$(mktemp -d)
failures=0

rm -rf "$work_unix"
mkdir -p "$work_unix/exists/inner"
# Wine's browser matches a preselected folder against the tree by the item's
# recorded file times. Listing a new folder for the first time moves its
# access time (relatime), so the shell's first look at it would disagree
# with its second and the preselection would fail once. Look first.
ls -R "$work_unix" >/dev/null
# The messages' caption is the program's file name: run the host as SetUp.exe.
cp "$build/picker_host.exe" "$work_unix/SetUp.exe"

drive() { zv_wine "$build" "$build/driver.exe" "$@" 2>>"$texts/driver.log"; }

check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@"; then
    echo "e2e ok $what"
  else
    echo "e2e FAIL $what"
    tail -n 3 "$texts/driver.log" 2>/dev/null | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

picker_pid=""
start_picker() {  # start_picker ARGS...: runs the picker in the background
  rm -f "$texts/picker.out"
  zv_wine "$build" "$work_unix/SetUp.exe" "$@" >"$texts/picker.out" 2>/dev/null &
  picker_pid=$!
  drive wait-window "$caption" 30
}

picker_ended() {  # picker_ended RESULT [PATH]: the picker ended and printed this
  local expected="result $1" i
  [ $# -gt 1 ] && expected+=$'\n'"path $2"
  for i in $(seq 100); do
    kill -0 "$picker_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$picker_pid" 2>/dev/null; then
    drive window "$caption" -- close
    return 1
  fi
  [ "$(tr -d '\r' <"$texts/picker.out")" = "$expected" ] || { echo "    picker printed: $(cat "$texts/picker.out")"; return 1; }
}

message() {  # message FILE PATH TAIL: a picker message as the user reads it
  printf 'The folder:\n\n%s\n\n%s' "$2" "$3" >"$texts/$1"
}

box_says() {  # box_says FILE ID: the next message box is titled SetUp, says FILE; press button ID
  drive wait-box 10 SetUp -- expect-text 65535 "@$texts/$1" -- click "$2"
}

no_box() { ! drive window "$caption" -- wait-box 1; }

geometry_fits() {  # the path box: as wide as the tree, 23 pixels high, 4 above it
  local box tree
  box=($(drive window "$caption" -- rect 14148 | tr -d '\r')) || return 1
  tree=($(drive window "$caption" -- rect 14145 | tr -d '\r')) || return 1
  [ "${box[0]}" = "${tree[0]}" ] && [ "${box[2]}" = "${tree[2]}" ] && [ "${box[3]}" = 23 ] &&
    [ $((box[1] + box[3] + 4)) = "${tree[1]}" ] || { echo "    box ${box[*]}, tree ${tree[*]}"; return 1; }
}

# 1. Preselection, the path box and OK, the tree, invalid, declined, created.
check "picker opens with its caption" start_picker -caption "$caption" -title "$caption" -initial "$work\\exists"
check "status line hidden, path box shown, title kept" \
  drive window "$caption" -- expect 14147 hidden -- expect 14148 visible enabled -- expect-text 14146 "$caption"
check "initial folder selected and shown in the path box, OK enabled" \
  drive window "$caption" -- expect-text 14148 "$work\\exists" -- expect 1 enabled
check "path box above the tree, as wide, 23 pixels high" geometry_fits
check "selecting a folder copies its path into the box" \
  drive window "$caption" -- set-text 14148 "typed over" -- tree-select 14145 parent -- expect-text 14148 "$work" \
  -- tree-select 14145 parent -- expect-text 14148 'C:\' -- expect 1 enabled
check "selecting an item without a drive-letter path empties the box and disables OK" \
  drive window "$caption" -- tree-select 14145 parent -- expect-text 14148 "" -- expect 1 disabled
check "typing enables OK, emptying the box disables it" \
  drive window "$caption" -- set-text 14148 "$work\\typed" -- expect 1 enabled -- set-text 14148 "" \
  -- expect 1 disabled -- set-text 14148 x -- expect 1 enabled

message invalid.txt "$work\\bad\\" "is invalid. Please reenter."
check "OK on an invalid path shows the invalid message" \
  drive window "$caption" -- set-text 14148 "$work\\bad\\" -- click 1
check "... with the caption SetUp" box_says invalid.txt 1
check "... and keeps the browser open, focus and text in the path box" \
  drive window "$caption" -- expect 14148 focused -- expect-text 14148 "$work\\bad\\"
check "... creating nothing" test ! -e "$work_unix/bad"

message ask.txt "$work\\new\\deeper" "does not exist. Do you want the folder to be created?"
check "OK on a missing folder asks" drive window "$caption" -- set-text 14148 "$work\\new\\deeper" -- click 1
check "... answered No" box_says ask.txt 7
check "... creating nothing" test ! -e "$work_unix/new"
check "... and saying nothing more" no_box
check "... keeps the browser open, focus in the path box; OK again" drive window "$caption" -- expect 14148 focused -- click 1
check "... answered Yes" box_says ask.txt 6
check "... RunModal returned 1 with the typed text" picker_ended 1 "$work\\new\\deeper"
check "... both levels exist" test -d "$work_unix/new/deeper"

# 2. Cancel after typing, and the close box: -1.
check "picker opens again" start_picker -caption "$caption" -title "$caption" -initial "$work\\exists"
check "Cancel after typing" drive window "$caption" -- set-text 14148 "$work\\other" -- click 2
check "... returns -1" picker_ended -1
check "picker opens again" start_picker -caption "$caption" -title "$caption" -initial "$work\\exists"
check "close box" drive window "$caption" -- tree-select 14145 parent -- close
check "... returns -1" picker_ended -1

# 3. No initial path: the current directory. The typed path, not the tree's,
#    is the result; an existing folder closes the browser at once.
check "picker without an initial path opens" start_picker -caption "$caption" -title "$caption" -cd "$work\\exists\\inner"
check "current directory preselected" drive window "$caption" -- expect-text 14148 "$work\\exists\\inner"
check "OK on another existing folder typed over the selection" \
  drive window "$caption" -- set-text 14148 "$work\\exists" -- click 1
check "... closes at once with 1 and the typed text" picker_ended 1 "$work\\exists"

# 4. A screenshot, in a virtual desktop so the caption bar is drawn, with a
#    CJK font linked behind the browser's font for the Chinese texts.
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
"$ZV_WINE64" reg add "$link" /v Tahoma /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null 2>&1
rm -f "$texts/picker.out" "$build/picker.png"
zv_wine "$build" explorer /desktop=zvpicker,480x420 "$work_unix/SetUp.exe" -caption "$caption" -title "$caption" \
  -initial "$work\\exists" >"$texts/picker.out" 2>/dev/null &
picker_pid=$!
check "picker opens in a desktop of its own" drive desktop zvpicker 30 -- wait-window "$caption" 30 \
  -- expect-text 14148 "$work\\exists" -- sleep 500
import -window root -crop 480x420+0+0 "$build/picker.png" 2>/dev/null
check "screenshot taken ($build/picker.png)" test -s "$build/picker.png"
check "... picker cancelled" drive desktop zvpicker 5 -- window "$caption" -- click 2
check "... returns -1" picker_ended -1
"$ZV_WINE64" reg delete "$link" /v Tahoma /f >/dev/null 2>&1

rm -rf "$texts" "$work_unix"
[ "$failures" -eq 0 ]
