#!/usr/bin/env bash
# Prints the program's size, start-up, install and scale figures, measured side
# by side in one run, each beside its target:
#
#   1. the size of SetUp.exe of each edition as built (stripped), beside the
#      logic-free dialog built from the same resources, and the DLLs it loads;
#   2. the time from process start to the setup dialog on screen under Wine,
#      against the logic-free dialog;
#   3. one whole installation of 100 files of 1 MiB by the install engine,
#      against Wine's xcopy of the same Data folder;
#   3b. with a baseline, this build's install against the baseline's, on the
#      RAM drive and the disk, for 100 files of 1 MiB and 2,000 small files;
#   4. discovery, loader registration and trusted paths against 500 and 1000
#      product keys, 250 and 500 profiles and a 512 KiB and 1 MiB list.
#
#   bash scripts/bench.sh       (ZV_BENCH_RUNS=N: runs per start-up figure, 21;
#                               ZV_BENCH_INSTALL_RUNS=N: runs per install figure, 15;
#                               ZV_BENCH_BASELINE=FOLDER: FOLDER/win64/SetUp.exe and
#                               FOLDER/win32/SetUp.exe, another build, measured beside
#                               this one in sizes 1 and times 2; with its
#                               install_bench.exe, in installs 3b)
#
# A benchmark, not a test: it always exits 0 once it could measure, and
# scripts/test.sh never runs it. Wine runs in a prefix of its own
# (build/wine/bench) with the simulated AutoCAD machine of the run command.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bash "$ZV_ROOT/scripts/setup.sh" || exit 1

runs=${ZV_BENCH_RUNS:-21}
install_runs=${ZV_BENCH_INSTALL_RUNS:-15}
size_target=327680
caption="Zorvel批打印软件安装"

# Other work on the machine only ever adds time; at a raised priority it
# disturbs the figures less.
if [ "$(id -u)" -eq 0 ] && renice -n -10 $$ >/dev/null 2>&1; then
  priority="raised priority (nice -10)"
else
  priority="normal priority"
fi

# Only what is measured: the test programs take far longer to build.
for tree in win64 win32; do
  zv_build "$tree" SetUp plain_dialog stopwatch install_bench scale_bench regtool cjk_fonts \
    >"$ZV_BUILD/bench-build-$tree.log" 2>&1 || { cat "$ZV_BUILD/bench-build-$tree.log"; exit 1; }
done
editions=(win64 win32)
zv_can_run_32bit || editions=(win64)

# --- 1. size ------------------------------------------------------------------------
imports() {  # the DLLs a program loads, by its import table
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p' | tr '\n' ' '
}
echo "== Size in bytes, stripped as built (target: SetUp.exe at most $size_target, no DLL beside it)"
baseline=${ZV_BENCH_BASELINE:-}
printf '%-8s %10s %18s %10s %10s   %s\n' edition SetUp.exe "logic-free dialog" headroom baseline \
  "DLLs it loads (all Windows' own)"
for tree in win64 win32; do
  setup=$(stat -c %s "$ZV_BUILD/$tree/SetUp.exe")
  plain=$(stat -c %s "$ZV_BUILD/$tree/plain_dialog.exe")
  before=-
  [ -n "$baseline" ] && before=$(stat -c %s "$baseline/$tree/SetUp.exe")
  printf '%-8s %10d %18d %10d %10s   %s\n' "$tree" "$setup" "$plain" $((size_target - setup)) "$before" \
    "$(imports "$ZV_BUILD/$tree/SetUp.exe")"
done
echo

# --- the prefix, the display, the simulated machine ---------------------------------------
zv_xvfb_start || exit 1
zv_wine_prefix "$ZV_BUILD/wine/bench"
trap 'zv_wine_stop; zv_xvfb_stop' EXIT
export LC_ALL=C.UTF-8
ZV_SIM_REGTOOL=$ZV_BUILD/win64/regtool.exe
source "$ZV_ROOT/scripts/demo-machine.sh"
zv_sim_machine

# stopwatch EDITION ARGS...: the edition's stopwatch under Wine.
stopwatch() {
  local edition=$1
  shift
  zv_wine "$edition" "$ZV_BUILD/$edition/stopwatch.exe" "$@"
}
# fastest LABEL: the fastest run of LABEL in the stopwatch's output. Other
# work on the machine only ever adds time: the fastest of many runs is the one
# it disturbed least, and the ratios below are taken between fastest runs.
fastest() { awk -v label="$1" '$1 == label { print $3 }'; }
# ratio A B [C D]: A/B, or (A-B)/(C-D) with four numbers.
ratio() {
  if [ $# -eq 2 ]; then set -- "$1" 0 "$2" 0; fi
  awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN { if (c - d > 0) printf "%.2f", (a - b) / (c - d) }'
}

# --- 2. time to dialog --------------------------------------------------------------------
echo "== Time from process start to the dialog on screen under Wine, ms, fastest of $runs runs"
echo "   (target: at most 1.2x the logic-free dialog)"
# Against a baseline, also the median of the rounds' ratios (the stopwatch's
# last column, against its first program): load from other work disturbs it
# less than the fastest runs.
printf '%-8s %18s %10s %7s %10s %16s %13s\n' edition "logic-free dialog" SetUp.exe ratio baseline \
  "against baseline" "median ratio"
for edition in "${editions[@]}"; do
  dist=$ZV_DRIVE_C/zvbench-$edition
  zv_sim_distribution "$ZV_BUILD/$edition/SetUp.exe" "$dist"
  cp "$ZV_BUILD/$edition/plain_dialog.exe" "$dist/"
  win=C:\\zvbench-$edition
  first=()
  if [ -n "$baseline" ]; then
    cp "$baseline/$edition/SetUp.exe" "$dist/SetUp-baseline.exe"
    first=(-- baseline "$win\\SetUp-baseline.exe")
  fi
  out=$(stopwatch "$edition" -n "$runs" --window "$caption" "${first[@]}" -- plain "$win\\plain_dialog.exe" \
    -- setup "$win\\SetUp.exe")
  plain=$(fastest plain <<<"$out") setup=$(fastest setup <<<"$out") before=$(fastest baseline <<<"$out")
  median=$([ -n "$before" ] && awk '$1 == "setup" { print $5 }' <<<"$out")
  printf '%-8s %18s %10s %7s %10s %16s %13s\n' "$edition" "$plain" "$setup" "$(ratio "$setup" "$plain")" \
    "${before:--}" "$([ -n "$before" ] && ratio "$setup" "$before")" "${median:--}"
done
echo

# --- 3. install against xcopy ---------------------------------------------------------------
# Both are timed as whole processes, and each also with no work (its usage
# text, its help), so that what each costs to start can be taken off: the
# install runs inside SetUp.exe, long started, and a program that loads the
# window system starts slower than xcopy. The files lie on a RAM drive (T:),
# so that the disk traffic of other programs does not decide the comparison.
# First on a machine without AutoCAD, where the install copies exactly what
# xcopy copies; then, for information, on the simulated machine, where it
# also registers nine installations and copies their fonts.
ram=$(mktemp -d /dev/shm/zvbench.XXXXXX 2>/dev/null || mktemp -d "$ZV_BUILD/zvbench.XXXXXX")
trap 'zv_wine_stop; zv_xvfb_stop; rm -rf "$ram" "$WINEPREFIX/dosdevices/t:"' EXIT
ln -sfn "$ram" "$WINEPREFIX/dosdevices/t:"
mkdir -p "$ram/Data"
for i in $(seq -w 1 100); do head -c 1048576 /dev/urandom >"$ram/Data/payload$i.bin"; done
for name in Zorvel_EN.shx Zorvel_HZ.shx Zorvel.prt5; do printf '%s' "$name" >"$ram/Data/$name"; done

echo "== One installation of 100 files of 1 MiB against xcopy of the same Data folder, ms,"
echo "   fastest of $install_runs runs, each program less its own start (target: at most 1.1x xcopy"
echo "   without AutoCAD; with it, the install also writes the registry and places 19 fonts)"
printf '%-8s %-28s %10s %10s %10s %10s %7s\n' edition machine xcopy "its start" install "its start" ratio
for machine in "no AutoCAD" "9 AutoCAD installations"; do
  if [ "$machine" = "no AutoCAD" ]; then zv_sim_clear; else zv_sim_machine; fi
  for edition in "${editions[@]}"; do
    cp "$ZV_BUILD/$edition/install_bench.exe" "$ram/install_$edition.exe"
    out=$(stopwatch "$edition" -n "$install_runs" -- xcopy xcopy.exe 'T:\Data' "T:\\xcopy-$edition" /I /Y /Q \
      -- xcopy-start xcopy.exe /? -- install "T:\\install_$edition.exe" "T:\\install-$edition" \
      -- install-start "T:\\install_$edition.exe")
    xcopy=$(fastest xcopy <<<"$out") xcopy_start=$(fastest xcopy-start <<<"$out")
    install=$(fastest install <<<"$out") install_start=$(fastest install-start <<<"$out")
    printf '%-8s %-28s %10s %10s %10s %10s %7s\n' "$edition" "$machine" "$xcopy" "$xcopy_start" "$install" \
      "$install_start" "$(ratio "$install" "$install_start" "$xcopy" "$xcopy_start")"
  done
done
echo

# --- 3b. against the baseline's install ----------------------------------------------------
# What recording each change ahead costs: this build's install beside the
# baseline's (ZV_BENCH_BASELINE, its install_bench.exe), taking turns in one
# run, on the RAM drive (where a flush to the disk costs nothing) and on the
# machine's disk, for the 100 files of 1 MiB and for 2,000 small files, on the
# simulated machine. Each run installs over the one before, as an update does.
if [ -n "$baseline" ] && [ -f "$baseline/win64/install_bench.exe" ]; then
  disk=$(mktemp -d "$ZV_BUILD/zvbench-disk.XXXXXX")
  trap 'zv_wine_stop; zv_xvfb_stop; rm -rf "$ram" "$disk" "$WINEPREFIX/dosdevices/t:" "$WINEPREFIX/dosdevices/u:"' EXIT
  ln -sfn "$disk" "$WINEPREFIX/dosdevices/u:"
  for root in "$ram" "$disk"; do
    mkdir -p "$root/big" "$root/small/Data"
    if [ "$root" = "$ram" ]; then mv "$ram/Data" "$ram/big/"; else cp -r "$ram/big/Data" "$root/big/"; fi
    for i in $(seq -w 1 2000); do printf 'small file %s\r\n' "$i" >"$root/small/Data/part$i.dat"; done
    for name in Zorvel_EN.shx Zorvel_HZ.shx Zorvel.prt5; do printf '%s' "$name" >"$root/small/Data/$name"; done
  done
  echo "== This build's install against the baseline's ($baseline), ms, median of $install_runs runs"
  echo "   taking turns, and the median of the rounds' ratios (target: at most 1.10)"
  printf '%-8s %-10s %-22s %10s %10s %7s\n' edition drive payload baseline install ratio
  zv_sim_machine
  for edition in "${editions[@]}"; do
    for drive in T U; do
      [ "$drive" = T ] && root=$ram drive_name="RAM drive" || { root=$disk; drive_name="disk"; }
      for payload in big small; do
        cp "$baseline/$edition/install_bench.exe" "$root/$payload/install_base_$edition.exe"
        cp "$ZV_BUILD/$edition/install_bench.exe" "$root/$payload/install_new_$edition.exe"
        out=$(stopwatch "$edition" -n "$install_runs" \
          -- baseline "$drive:\\$payload\\install_base_$edition.exe" "$drive:\\base-$payload-$edition" \
          -- install "$drive:\\$payload\\install_new_$edition.exe" "$drive:\\new-$payload-$edition")
        [ "$payload" = big ] && what="100 x 1 MiB" || what="2,000 small files"
        printf '%-8s %-10s %-22s %10s %10s %7s\n' "$edition" "$drive_name" "$what" \
          "$(awk '$1 == "baseline" { print $2 }' <<<"$out")" "$(awk '$1 == "install" { print $2 }' <<<"$out")" \
          "$(awk '$1 == "install" { print $5 }' <<<"$out")"
      done
    done
  done
  echo
fi

# --- 4. scale -----------------------------------------------------------------------------
echo "== Scale: discovery, loader registration, trusted paths (64-bit edition, the real"
echo "   registry under Wine; target: growth about 1.0, linear)"
zv_wine win64 "$ZV_BUILD/win64/scale_bench.exe"
zv_sim_clear
echo
echo "(measured at $priority, load average $(cut -d' ' -f1-3 /proc/loadavg))"
