# The exception-runtime check (cmake/check_runtime.cmake) against linker maps
# written for the purpose: it must fail on a map whose included members hold
# the personality routine, naming every link from the program's own code to
# it, whether the linker put a member and its reason on one line or on two;
# and pass a map where the routine is not among the included members.
#   cmake -DCHECK=<check_runtime.cmake> -DWORK=<scratch folder> -P check_runtime_test.cmake
cmake_minimum_required(VERSION 3.20)

set(head "Archive member included to satisfy reference by file (symbol)\n\n")
set(ours "libzv_app.a(wizard_app.cpp.obj)\n                              main.cpp.obj (CWizardApp::InitInstance())\n")
string(CONCAT pulled
  "/lib/libstdc++.a(functional.o)\n"
  "                              libzv_app.a(wizard_app.cpp.obj) (std::__throw_bad_function_call())\n"
  "/lib/libstdc++.a(eh_alloc.o)  /lib/libstdc++.a(functional.o) (__cxa_allocate_exception)\n"
  "/lib/libstdc++.a(eh_personality.o)\n"
  "                              /lib/libstdc++.a(eh_alloc.o) (__gxx_personality_seh0)\n")
set(end "\nMemory Configuration\n")
set(discarded "\nDiscarded input sections\n\n libstdc++.a(eh_personality.o)\n")

# Each case: its map, whether the check must fail, and what the failure must name.
set(map_clean "${head}${ours}${end}")
set(fails_clean FALSE)
set(map_pulled "${head}${ours}${pulled}${discarded}${end}")
set(fails_pulled TRUE)
set(names_pulled
  "eh_personality.o), for /lib/libstdc++.a(eh_alloc.o) (__gxx_personality_seh0)"
  "eh_alloc.o), for /lib/libstdc++.a(functional.o) (__cxa_allocate_exception)"
  "functional.o), for libzv_app.a(wizard_app.cpp.obj) (std::__throw_bad_function_call())")
set(map_discarded_only "${head}${ours}${discarded}${end}")
set(fails_discarded_only FALSE)

foreach(case clean pulled discarded_only)
  file(WRITE ${WORK}/${case}.map "${map_${case}}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DMAP=${WORK}/${case}.map -P ${CHECK}
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  string(REGEX REPLACE "[ \t\n]+" " " err "${err}")
  if(rc EQUAL 0 AND fails_${case})
    message(SEND_ERROR "${case}: passed, but the map links the exception runtime")
  elseif(NOT rc EQUAL 0 AND NOT fails_${case})
    message(SEND_ERROR "${case}: failed: ${err}")
  endif()
  foreach(name IN LISTS names_${case})
    string(FIND "${err}" "${name}" at)
    if(at LESS 0)
      message(SEND_ERROR "${case}: the failure does not name \"${name}\": ${err}")
    endif()
  endforeach()
endforeach()
