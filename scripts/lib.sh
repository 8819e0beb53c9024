# Shared by the build, run and test scripts: build folders, the private Wine
# prefix and the virtual display. Source it; it sets nothing global but ZV_*.

ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZV_BUILD=${ZV_BUILD:-$ZV_ROOT/build}

# zv_tree_args native|win32|win64 [SOURCE]: the configure arguments of one
# kind of tree (of this checkout, or of the source tree SOURCE); sets
# ZV_TREE_ARGS.
zv_tree_args() {
  local source=${2:-$ZV_ROOT}
  ZV_TREE_ARGS=(-G Ninja)
  case $1 in
    native) ZV_TREE_ARGS+=(-DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON) ;;
    win32) ZV_TREE_ARGS+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake") ;;
    win64) ZV_TREE_ARGS+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-x86_64.cmake") ;;
    *) echo "zv_build: unknown tree $1" >&2; return 2 ;;
  esac
}

# zv_build native|win32|win64 [TARGET...]: configures (once) and builds one
# tree, or only those targets of it.
zv_build() {
  local dir=$ZV_BUILD/$1 targets=()
  zv_tree_args "$1" || return 2
  shift
  [ $# -gt 0 ] && targets=(--target "$@")
  [ -f "$dir/build.ninja" ] || cmake -S "$ZV_ROOT" -B "$dir" "${ZV_TREE_ARGS[@]}" >/dev/null
  cmake --build "$dir" "${targets[@]}" -- -j"$(nproc)"
}

# zv_wine_env [prefix]: exports the Wine variables for a private prefix under
# the build folder. Never ~/.wine. Wine's debugger is switched off: a program
# that crashes then ends at once with its exception code, where winedbg
# would otherwise wait on its crash dialog (under Xvfb, until the suite's
# time-out).
zv_wine_env() {
  export WINEPREFIX=${1:-$ZV_BUILD/wine/prefix}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEARCH=win64
}

# Wine's loaders, called directly: Debian's `wine` wrapper always prefers the
# 32-bit loader once wine32 is installed.
ZV_WINE64=/usr/lib/wine/wine64
ZV_WINE32=/usr/lib/wine/wine

# zv_wine EDITION-BUILD-DIR ARGS...: runs a Windows program with the loader
# that fits the edition (win32 or win64 in the folder name).
zv_wine() {
  case $1 in
    *win32*) shift; "$ZV_WINE32" "$@" ;;
    *) shift; "$ZV_WINE64" "$@" ;;
  esac
}

# zv_can_run_32bit: whether this kernel runs the 32-bit Wine loader at all.
# Some sandboxed kernels cannot execute i386 programs, and then no 32-bit
# Windows program can run under Wine either.
zv_can_run_32bit() {
  "$ZV_WINE32" --version >/dev/null 2>&1
}

# zv_wine_prefix: creates the prefix on first use (after wine32 is installed,
# so it runs both editions).
zv_wine_prefix() {
  zv_wine_env "$@"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$ZV_WINE64" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  zv_wine_dialog_settings
}

# zv_wine_dialog_settings: what windows need in the prefix under Xvfb. No
# window manager runs there, so Wine is told to manage top-level windows
# itself (a window handed to a manager waits 2 s for one whenever it is
# hidden). And "宋体" (SimSun) is replaced by the installed CJK font so that
# Chinese texts show as glyphs; the Chinese value name is written through the
# W registry functions by cjk_fonts.exe, once it is built.
zv_wine_dialog_settings() {
  "$ZV_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  if [ -f "$ZV_BUILD/win64/cjk_fonts.exe" ]; then
    "$ZV_WINE64" "$ZV_BUILD/win64/cjk_fonts.exe"
  fi
}

# zv_end_within PID SECONDS: waits for a process to end; kills it and fails
# when it has not.
zv_end_within() {
  local _
  for _ in $(seq $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  kill "$1" 2>/dev/null
  return 1
}

zv_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}

# zv_xvfb_start: a private virtual display for the dialog tests (1024x768, or
# ZV_XVFB_SCREEN); sets DISPLAY.
zv_xvfb_start() {
  local n
  for n in $(seq 91 140); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 "${ZV_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    ZV_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$ZV_XVFB_PID" 2>/dev/null
  done
  echo "zv_xvfb_start: no display could be started" >&2
  return 1
}

# zv_test_display: the display of the tests' fixture (scripts/wine-fixture.sh)
# when the caller has none.
zv_test_display() {
  if [ -z "${DISPLAY:-}" ] && [ -f "$ZV_BUILD/wine/display" ]; then
    DISPLAY=$(cat "$ZV_BUILD/wine/display")
    export DISPLAY
  fi
}

zv_xvfb_stop() {
  [ -n "${ZV_XVFB_PID:-}" ] && kill "$ZV_XVFB_PID" 2>/dev/null || true
}
