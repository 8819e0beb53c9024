# The exception-runtime check: SetUp.exe is built without C++ exceptions and
# defines the few runtime hooks that would throw (README, Builds), so nothing
# in it may need the library's exception machinery, which would make it more
# than half as large again. Reads the linker's map of SetUp.exe and fails when the
# exception personality routine was linked, naming the chain of library parts
# that led to it from the program's own code.
#   cmake -DMAP=<SetUp.map> -P check_runtime.cmake
cmake_minimum_required(VERSION 3.20)
file(STRINGS ${MAP} lines)

# The map opens with "member  <- requester (symbol)" pairs, one or two lines
# each, for every archive member the linker took.
set(members "")
set(reasons "")
set(member "")
foreach(line IN LISTS lines)
  if(line MATCHES "^(Discarded input sections|Memory Configuration)")
    break()
  endif()
  if(line MATCHES "^([^ \t]+\\([^)]+\\))([ \t]+(.*))?$")
    set(member "${CMAKE_MATCH_1}")
    set(rest "${CMAKE_MATCH_3}")
  elseif(line MATCHES "^[ \t]+(.*)$")
    set(rest "${CMAKE_MATCH_1}")
  else()
    continue()
  endif()
  if(NOT member STREQUAL "" AND NOT rest STREQUAL "")
    list(APPEND members "${member}")
    list(APPEND reasons "${rest}")
    set(member "")
  endif()
endforeach()

set(chain "")
set(wanted "")
foreach(candidate IN LISTS members)
  if(candidate MATCHES "\\(eh_personality\\.o\\)$")
    set(wanted "${candidate}")
  endif()
endforeach()
while(NOT wanted STREQUAL "")
  list(FIND members "${wanted}" at)
  if(at LESS 0)
    break()
  endif()
  list(GET reasons ${at} reason)
  get_filename_component(name "${wanted}" NAME)
  list(APPEND chain "${name}, for ${reason}")
  string(REGEX REPLACE " \\(.*$" "" wanted "${reason}")  # the requester, itself a member or not
  list(LENGTH chain depth)
  if(depth GREATER 20)
    break()
  endif()
endwhile()

if(chain)
  list(JOIN chain "\n  " text)
  message(FATAL_ERROR "SetUp.exe links the C++ exception runtime, which the program is built without:\n  ${text}\n"
                      "Something in the program uses a part of the standard library compiled with exceptions; "
                      "see README.md, Builds.")
endif()
