# The sample Data folder: what the run command, the end-to-end tests, the
# benchmarks and a release without a payload of its own put beside SetUp.exe.
# Source it; it sets only ZV_* names.
#
#   zv_sample_data FOLDER   makes FOLDER (afresh) with the sample payload

# A file for every name the deployment treats apart, the eight loader modules,
# two ordinary files and a sub-folder (which is not copied).
ZV_SIM_PAYLOAD=(
  ZV_BatchPlot2008.ARX ZV_BatchPlot2010.ARX ZV_BatchPlot2013.ARX ZV_BatchPlot2015.ARX
  ZV_BatchPlot2017.ARX ZV_BatchPlot2018.ARX ZV_BatchPlot2019.ARX ZV_BatchPlot2021.ARX
  Zorvel.prt7 Zorvel.prt8 Zorvel.prt9 Zorvel.Ini Zorvel_EN.shx Zorvel_HZ.shx Zorvel.prt5 SetUp.EXE
  readme.txt 使用说明.txt
)

zv_sample_data() {  # zv_sample_data FOLDER
  local name
  rm -rf "$1"
  mkdir -p "$1/samples"
  for name in "${ZV_SIM_PAYLOAD[@]}"; do printf '%s' "$name" >"$1/$name"; done
  printf 'sample' >"$1/samples/sample.dwg"
}
