# The simulated machine of the scripts that compare it before an install with
# after its removal: the Programs and Features entry in both views, AutoCAD
# 2008's own plot driver, a snapshot of the registry and the files, and a
# fresh machine. Sourced after lib.bash, with $dist and $appdata set.

entry='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZorvelBatchPlot'
if [ "$bits" = 32 ]; then entry_view='SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\ZorvelBatchPlot'; else entry_view=$entry; fi
# AutoCAD 2008 (found by the 64-bit edition only) has a plot driver of its own.
driver=$(zv_sim_unix 'Program Files\Autodesk\AutoCAD 2008\Drv\pdfplot9.hdi')
original=$build/e2e-pdfplot9.hdi
head -c 3000 /dev/urandom >"$original"

# snapshot FILE: the registry (through the 64-bit regtool, which reaches both
# views) and the files, one sorted line each; TRUSTEDPATHS compared without
# case, fonts left out (kept on purpose).
snapshot() {
  {
    local root
    for root in 'SOFTWARE\Autodesk' 'SOFTWARE\Wow6432Node\Autodesk' "$entry" \
      'SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\ZorvelBatchPlot'; do
      zv_sim_regtool dump HKLM "$root"
    done
    zv_sim_regtool dump HKCU 'SOFTWARE\Autodesk'
    zv_sim_regtool dump HKCU "$entry"
  } | tr -d '\r' | awk -F'\t' 'BEGIN { OFS = "\t" } $2 == "TRUSTEDPATHS" { $4 = toupper($4) } { print }' | sort >"$1"
  (cd "$ZV_DRIVE_C" && find . \( -path ./windows -o -path ./users -o -path "./${dist##*/}" \) -prune -o -print |
    grep -v '/Fonts/Zorvel_' | sort | while IFS= read -r path; do
      if [ -f "$path" ]; then echo "$path $(md5sum <"$path" | cut -c1-32)"; else echo "$path/"; fi
    done) >>"$1"
}
same_as() {  # same_as BEFORE AFTER
  diff "$1" "$2" >&2 && return 0
  echo "the machine differs from the snapshot before the install (< before, > after)" >&2
  return 1
}

fresh_machine() {
  zv_sim_machine
  rm -rf "$ZV_DRIVE_C/Zorvel" "$appdata/Zorvel" "$temp_log"
  zv_sim_regtool delete-tree HKLM "$entry"
  zv_sim_regtool delete-tree HKLM 'SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\ZorvelBatchPlot'
  zv_sim_regtool delete-tree HKCU "$entry"
  [ "$bits" = 64 ] && cp "$original" "$driver"
}
