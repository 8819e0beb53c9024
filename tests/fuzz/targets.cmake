# The libFuzzer targets (the build tree with ZV_FUZZ on; scripts/fuzz.sh runs
# them). zv_fuzz_target(NAME) builds tests/fuzz/NAME.cpp against every
# portable layer and the in-memory services, and lists it for the script,
# which seeds it from tests/fuzz/corpus/NAME/ and, when it exists, gives it
# the dictionary tests/fuzz/NAME.dict. Adding a target is one line below.
#
# ctest (the fuzz preset) replays each target's committed inputs, then runs
# ZV_FUZZ_RUNS inputs from the fixed seed ZV_FUZZ_SEED (0 would be a random
# one): the same inputs on every run, whatever the machine's speed.
set(ZV_FUZZ_RUNS 10000 CACHE STRING "Inputs each fuzz target's test runs")
set(ZV_FUZZ_SEED 1 CACHE STRING "The fixed, non-zero seed of those inputs")
enable_testing()
function(zv_fuzz_target name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  target_link_libraries(${name} PRIVATE zv_run zv_fakes)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${name}\n")
  set(gate ${CMAKE_SOURCE_DIR}/tests/fuzz/gate.sh)
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set(dict ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.dict)
  if(NOT EXISTS ${dict})
    set(dict "")
  endif()
  add_test(NAME fuzz.${name}.corpus COMMAND bash ${gate} replay $<TARGET_FILE:${name}> ${corpus})
  add_test(NAME fuzz.${name}.seeded
           COMMAND bash ${gate} seeded $<TARGET_FILE:${name}> ${corpus} ${CMAKE_BINARY_DIR}/scratch/${name}
                   ${ZV_FUZZ_RUNS} ${ZV_FUZZ_SEED} ${dict})
  set_tests_properties(fuzz.${name}.seeded PROPERTIES DEPENDS fuzz.${name}.corpus)
endfunction()
file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "")

zv_fuzz_target(mbcs_fuzz)
zv_fuzz_target(path_rules_fuzz)
zv_fuzz_target(trusted_paths_fuzz)
zv_fuzz_target(discovery_fuzz)
zv_fuzz_target(command_line_fuzz)
zv_fuzz_target(install_record_fuzz)
