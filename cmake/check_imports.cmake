# The import check: the loader resolves the DLLs a program imports before its
# first line runs, looking in the program's own folder first, so a DLL planted
# beside SetUp.exe (in Downloads, in the temp folder) would run inside it,
# elevated. Only the KnownDLLs are always taken from System32. Reads the
# program's import table and fails naming every other DLL it imports; such a
# DLL's functions are to be taken at run time (platform/win32/system_library.h).
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<SetUp.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.20)

# KnownDLLs of every Windows from 7 on (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs), and ntdll, which every process has loaded first.
set(known advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ntdll ole32
    oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Cannot read the import table of ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
set(imported "")
set(unknown "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: *([^ \t]+).*$" "\\1" dll "${line}")
  list(APPEND imported "${dll}")
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  if(NOT name IN_LIST known)
    list(APPEND unknown "${dll}")
  endif()
endforeach()
if(NOT imported)
  message(FATAL_ERROR "No import table found in ${PROGRAM}")
endif()
if(unknown)
  list(JOIN unknown ", " text)
  message(FATAL_ERROR "Not KnownDLLs: ${text}\n"
                      "${PROGRAM} imports them, and Windows would look for them beside the program first. "
                      "Take their functions from System32 when first needed (platform/win32/system_library.h).")
endif()
list(JOIN imported ", " text)
message(STATUS "Imports only KnownDLLs: ${text}")
