# Checks what a Windows host sees of vorlen.dll before it calls anything: the
# export table holds VSTPluginMain and main and nothing else, and every
# imported DLL ships with Windows, so no MinGW runtime has to be found; and no
# aligned move of a 32-byte AVX or 64-byte AVX-512 vector touches memory,
# which faults on the 16-byte-aligned stacks of 64-bit Windows (see
# cmake/mingw-x86_64.cmake).
# Run as: cmake -D OBJDUMP=... -D DLL=... -P check_dll.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${result}")
endif()

# Export names are listed under "[Ordinal/Name Pointer] Table" as "[   0] name".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([ \t]+\\[ *[0-9]+\\] [^\n]+\n)*)" table "${dump}")
string(REGEX MATCHALL "\\] [^\n]+" exports "${CMAKE_MATCH_1}")
list(TRANSFORM exports REPLACE "\\] " "")
list(SORT exports)
if(NOT exports STREQUAL "VSTPluginMain;main")
  message(FATAL_ERROR "exports are '${exports}', expected exactly VSTPluginMain and main")
endif()

# Windows' own DLLs; msvcrt.dll is the C runtime MinGW-w64 builds against.
set(system_dlls kernel32.dll msvcrt.dll user32.dll advapi32.dll ntdll.dll ucrtbase.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
if(NOT imports)
  message(FATAL_ERROR "no import table found in ${DLL}")
endif()
foreach(import IN LISTS imports)
  string(TOLOWER "${import}" name)
  if(NOT name IN_LIST system_dlls AND NOT name MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${DLL} imports ${import}, which Windows does not ship")
  endif()
endforeach()
message(STATUS "exports: ${exports}; imports: ${imports}")

execute_process(COMMAND ${OBJDUMP} -d ${DLL} OUTPUT_VARIABLE code RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -d ${DLL} failed: ${result}")
endif()
string(REGEX MATCHALL "\tvmov(aps|apd|dqa|dqa32|dqa64) +[^\n]*" moves "${code}")
set(faulting "")
foreach(move IN LISTS moves)
  if(move MATCHES "%[yz]mm" AND move MATCHES "\\(")
    list(APPEND faulting "${move}")
  endif()
endforeach()
if(faulting)
  list(JOIN faulting "\n" text)
  message(FATAL_ERROR "aligned 32- or 64-byte vector moves to or from memory:\n${text}")
endif()
