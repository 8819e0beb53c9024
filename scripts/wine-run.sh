#!/usr/bin/env bash
# Runs a Windows program of one edition's tree under Wine, in the private
# prefix, on the display the caller has (ctest's runner for the Windows trees):
#   scripts/wine-run.sh win64|win32 PROGRAM.exe [ARGS...]
set -uo pipefail
source "$(dirname "$0")/lib.sh"
edition=$1
shift
zv_wine_prefix
zv_wine "$edition" "$@"
