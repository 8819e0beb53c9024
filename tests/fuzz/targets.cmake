# The libFuzzer targets (the build tree with ZV_FUZZ on; scripts/fuzz.sh runs
# them). zv_fuzz_target(NAME) builds tests/fuzz/NAME.cpp against every
# portable layer and the in-memory services, and lists it for the script,
# which seeds it from tests/fuzz/corpus/NAME/ and, when it exists, gives it
# the dictionary tests/fuzz/NAME.dict. Adding a target is one line below.
function(zv_fuzz_target name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  target_link_libraries(${name} PRIVATE zv_run zv_fakes)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${name}\n")
endfunction()
file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "")

zv_fuzz_target(mbcs_fuzz)
zv_fuzz_target(path_rules_fuzz)
zv_fuzz_target(trusted_paths_fuzz)
zv_fuzz_target(discovery_fuzz)
zv_fuzz_target(command_line_fuzz)
zv_fuzz_target(install_record_fuzz)
