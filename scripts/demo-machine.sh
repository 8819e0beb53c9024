# A simulated Windows machine with AutoCAD on it, inside a Wine prefix, for the
# run command and the end-to-end install test. Source it after scripts/lib.sh
# and zv_wine_prefix; it sets only ZV_* names.
#
#   zv_sim_distribution SETUP-EXE FOLDER   SetUp.exe beside a Data folder with a
#                                          sample payload
#   zv_sim_machine                         AutoCAD installations (registry keys,
#                                          folders with Fonts and Drv) and the
#                                          current user's profiles, afresh
#   zv_sim_clear                           removes them again
#   zv_sim_expectations 32|64              what an edition finds and, once the
#                                          user has unticked ZV_SIM_UNTICK,
#                                          registers (ZV_SIM_* arrays)

ZV_DRIVE_C=$WINEPREFIX/drive_c
ZV_SIM_ACAD_UNIX=$ZV_DRIVE_C
ZV_SIM_VIEW64='SOFTWARE\Autodesk\AutoCAD'
ZV_SIM_VIEWWOW='SOFTWARE\Wow6432Node\Autodesk\AutoCAD'

# year|view (64 or wow)|release\product|folder below C:\
ZV_SIM_INSTALLS=(
  '2007|wow|R17.0\ACAD-5001:804|Program Files (x86)\Autodesk\AutoCAD 2007'
  '2008|64|R17.1\ACAD-6001:804|Program Files\Autodesk\AutoCAD 2008'
  '2009|wow|R17.2\ACAD-7001:804|Program Files (x86)\Autodesk\AutoCAD 2009'
  '2010|64|R18.0\ACAD-8001:804|Program Files\Autodesk\AutoCAD 2010'
  '2010|64|R18.0\ACAD-8001:409|Program Files\Autodesk\AutoCAD 2010 English'
  '2014|64|R19.1\ACAD-D001:804|Program Files\Autodesk\AutoCAD 2014'
  '2018|wow|R22.0\ACAD-1001:804|Program Files (x86)\Autodesk\AutoCAD 2018'
  '2020|64|R23.1\ACAD-3001:804|Program Files\Autodesk\AutoCAD 2020'
  '2024|64|R24.3\ACAD-7101:804|Program Files\Autodesk\AutoCAD 2024'
)

# The current user's profiles, one per TRUSTEDPATHS case.
ZV_SIM_PROFILES_KEY='SOFTWARE\Autodesk\AutoCAD'
ZV_SIM_PROFILE_MISSING="$ZV_SIM_PROFILES_KEY\\R18.0\\ACAD-8001:804\\Profiles\\<<未命名配置>>\\Variables"
ZV_SIM_PROFILE_SHORT="$ZV_SIM_PROFILES_KEY\\R18.0\\ACAD-8001:409\\Profiles\\Default\\Variables"
ZV_SIM_PROFILE_HOLDING="$ZV_SIM_PROFILES_KEY\\R23.1\\ACAD-3001:804\\Profiles\\Custom\\Variables"
ZV_SIM_PROFILE_LONG="$ZV_SIM_PROFILES_KEY\\R24.3\\ACAD-7101:804\\Profiles\\Default\\Variables"

# The payload (ZV_SIM_PAYLOAD) and the sample Data folder.
source "$(dirname "${BASH_SOURCE[0]}")/sample-data.sh"

zv_sim_box() {  # the check-box id of a release year (2010 and 2011 are crossed)
  case $1 in
    2010) echo 1027 ;;
    2011) echo 1026 ;;
    *) if [ "$1" -lt 2010 ]; then echo $(($1 - 2007 + 1018)); else echo $(($1 - 2012 + 1028)); fi ;;
  esac
}

# The module generation a release year loads.
zv_sim_generation() {
  case $1 in
    2007 | 2008 | 2009) echo 2008 ;;
    2010 | 2011 | 2012) echo 2010 ;;
    2013 | 2014) echo 2013 ;;
    2015 | 2016) echo 2015 ;;
    2017 | 2018) echo "$1" ;;
    2019 | 2020) echo 2019 ;;
    *) echo 2021 ;;
  esac
}

zv_sim_unix() { printf '%s/%s' "$ZV_DRIVE_C" "${1//\\//}"; }

# The folders (below C:\) of a year's installations, one a line.
zv_sim_locations() {
  local entry year view key folder
  for entry in "${ZV_SIM_INSTALLS[@]}"; do
    IFS='|' read -r year view key folder <<<"$entry"
    [ "$year" = "$1" ] && echo "${folder//\\//}"
  done
  return 0
}

zv_sim_long_paths() {  # a TRUSTEDPATHS list longer than 13000 characters
  local i out=""
  for i in $(seq 1 520); do out+="d:\\library folder $i\\lisp;"; done
  printf '%s' "${out%;}"
}

zv_sim_appdata() {  # the user's APPDATA folder, as a Unix path
  local win
  win=$("$ZV_WINE64" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
  "$ZV_WINE64" winepath -u "$win" 2>/dev/null
}

zv_sim_distribution() {  # zv_sim_distribution SETUP-EXE FOLDER
  rm -rf "$2"
  zv_sample_data "$2/Data"
  cp "$1" "$2/SetUp.exe"
}

zv_sim_regtool() { "$ZV_WINE64" "$ZV_SIM_REGTOOL" "$@"; }

zv_sim_clear() {
  "$ZV_WINE64" reg delete "HKLM\\$ZV_SIM_VIEW64" /f >/dev/null 2>&1
  "$ZV_WINE64" reg delete "HKLM\\$ZV_SIM_VIEWWOW" /f >/dev/null 2>&1
  "$ZV_WINE64" reg delete "HKCU\\$ZV_SIM_PROFILES_KEY" /f >/dev/null 2>&1
  rm -rf "$ZV_DRIVE_C/Program Files/Autodesk" "$ZV_DRIVE_C/Program Files (x86)/Autodesk"
}

zv_sim_machine() {
  local seed=$ZV_BUILD/demo-machine.reg entry year view key folder view_key
  zv_sim_clear
  {
    echo "REGEDIT4"
    for entry in "${ZV_SIM_INSTALLS[@]}"; do
      IFS='|' read -r year view key folder <<<"$entry"
      [ "$view" = wow ] && view_key=$ZV_SIM_VIEWWOW || view_key=$ZV_SIM_VIEW64
      echo
      echo "[HKEY_LOCAL_MACHINE\\$view_key\\$key]"
      echo "\"AcadLocation\"=\"C:\\\\${folder//\\/\\\\}\""
      echo "\"ProductName\"=\"AutoCAD $year\""
      mkdir -p "$(zv_sim_unix "$folder")/Fonts" "$(zv_sim_unix "$folder")/Drv"
    done
  } >"$seed"
  "$ZV_WINE64" regedit /S "$("$ZV_WINE64" winepath -w "$seed" 2>/dev/null)"
  # Profile texts carry Chinese: written through the W functions.
  zv_sim_regtool set-sz HKCU "$ZV_SIM_PROFILE_MISSING" ACADPREFIX 'C:\support'
  zv_sim_regtool set-sz HKCU "$ZV_SIM_PROFILE_SHORT" TRUSTEDPATHS 'ab'
  zv_sim_regtool set-sz HKCU "$ZV_SIM_PROFILE_HOLDING" TRUSTEDPATHS 'd:\lisp;c:\zv test\插件\zorvel批打印软件;e:\blocks'
  zv_sim_regtool set-sz HKCU "$ZV_SIM_PROFILE_LONG" TRUSTEDPATHS "$(zv_sim_long_paths)"
}

zv_sim_expectations() {  # zv_sim_expectations 32|64
  local entry year view key folder view_key seen
  ZV_SIM_FOUND=() ZV_SIM_TICKED=() ZV_SIM_REGISTRATIONS=() ZV_SIM_UNREGISTERED=() ZV_SIM_PRODUCT_KEYS=()
  if [ "$1" = 32 ]; then
    # Only the 32-bit registry view, where 2018 is found but not offered.
    ZV_SIM_UNTICK=(2009)
    ZV_SIM_NO_FONTS='Program Files (x86)/Autodesk/AutoCAD 2007'
    # Discovery reaches that view through both key paths.
    ZV_SIM_NO_FONTS_FAILED=4
  else
    ZV_SIM_UNTICK=(2009 2014)
    ZV_SIM_NO_FONTS='Program Files/Autodesk/AutoCAD 2010 English'
    ZV_SIM_NO_FONTS_FAILED=2
  fi
  for entry in "${ZV_SIM_INSTALLS[@]}"; do
    IFS='|' read -r year view key folder <<<"$entry"
    [ "$view" = wow ] && view_key=$ZV_SIM_VIEWWOW || view_key=$ZV_SIM_VIEW64
    ZV_SIM_PRODUCT_KEYS+=("$view_key\\$key")
    seen=yes
    if [ "$1" = 32 ]; then
      [ "$view" = wow ] || seen=no
      [ "$year" -ge 2017 ] && seen=hidden
    else
      [ "$view" = wow ] && [ "$year" -gt 2009 ] && seen=no
    fi
    if [ $seen = no ]; then
      ZV_SIM_UNREGISTERED+=("$view_key\\$key")
      continue
    fi
    [[ " ${ZV_SIM_FOUND[*]} " == *" $year "* ]] || ZV_SIM_FOUND+=("$year")
    if [ $seen = yes ] && [[ " ${ZV_SIM_UNTICK[*]} " != *" $year "* ]]; then
      [[ " ${ZV_SIM_TICKED[*]} " == *" $year "* ]] || ZV_SIM_TICKED+=("$year")
      ZV_SIM_REGISTRATIONS+=("$year $(zv_sim_generation "$year") $view_key\\$key")
    else
      ZV_SIM_UNREGISTERED+=("$view_key\\$key")
    fi
  done
  ZV_SIM_INSTALLED_FILES=(
    ZV_BatchPlot2008.ARX ZV_BatchPlot2010.ARX ZV_BatchPlot2013.ARX ZV_BatchPlot2015.ARX
    ZV_BatchPlot2017.ARX ZV_BatchPlot2018.ARX ZV_BatchPlot2019.ARX ZV_BatchPlot2021.ARX
    itextsharp.dll PdfSharp.Charting.dll PdfSharp.dll readme.txt 使用说明.txt
    Uninstall.exe Uninstall.ini
  )
}
