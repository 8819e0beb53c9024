#!/usr/bin/env bash
# The fixtures of the Windows trees' tests, set up and cleaned up by ctest:
#   scripts/wine-fixture.sh display-start|display-stop|prefix-start|prefix-stop
# display-start keeps the caller's DISPLAY when it has one and otherwise
# starts a private Xvfb, whose display scripts/wine-run.sh then gives every
# test. prefix-start makes the private prefix (on that display: a Wine
# session started without one keeps none) and keeps its wineserver running
# until prefix-stop, so that no test pays for starting it.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
state=$ZV_BUILD/wine
mkdir -p "$state"
case $1 in
  display-start)
    rm -f "$state/display" "$state/xvfb.pid"
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
      echo "the caller's display $DISPLAY"
      exit 0
    fi
    zv_xvfb_start || exit 1
    echo "$DISPLAY" >"$state/display"
    echo "$ZV_XVFB_PID" >"$state/xvfb.pid"
    echo "Xvfb $DISPLAY (process $ZV_XVFB_PID)"
    ;;
  display-stop)
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/display" "$state/xvfb.pid"
    ;;
  prefix-start)
    zv_test_display
    [ -n "${DISPLAY:-}" ] || { echo "wine-fixture: no display" >&2; exit 1; }
    zv_wine_env
    wineserver -k 2>/dev/null
    wineserver -w
    zv_wine_prefix || exit 1
    wineserver -p </dev/null >/dev/null 2>&1
    echo "prefix $WINEPREFIX on $DISPLAY"
    ;;
  prefix-stop)
    zv_wine_env
    wineserver -k 2>/dev/null
    wineserver -w
    ;;
  *) echo "wine-fixture: unknown step $1" >&2; exit 2 ;;
esac
