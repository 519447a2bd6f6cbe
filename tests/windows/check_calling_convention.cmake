# Proves that every function the host calls through a pointer says __cdecl
# itself instead of relying on the compiler's default: the sources are compiled
# with -mrtd, which makes __stdcall the default, so a function without the
# convention no longer fits the record's pointer types and GCC complains.
# (-fpermissive turns the complaints into warnings so every one is listed.)
# Run as: cmake -D CXX=... -D SOURCES="a.cpp;b.cpp" -D INCLUDES="dir;dir" -P ...
cmake_minimum_required(VERSION 3.25)
set(flags -std=c++20 -mrtd -fpermissive -fsyntax-only)
foreach(dir IN LISTS INCLUDES)
  list(APPEND flags -I${dir})
endforeach()

set(complaints "")
foreach(source IN LISTS SOURCES)
  execute_process(COMMAND ${CXX} ${flags} ${source} OUTPUT_VARIABLE out ERROR_VARIABLE out)
  # The C++ library's own headers are not -mrtd-clean; only our files count.
  string(REGEX MATCHALL "${PROJECT_DIR}/[^\n]*(error|warning):[^\n]*" ours "${out}")
  list(APPEND complaints ${ours})
endforeach()
if(complaints)
  list(JOIN complaints "\n" text)
  message(FATAL_ERROR "Functions without the host's calling convention:\n${text}")
endif()
list(LENGTH SOURCES count)
message(STATUS "${count} sources declare the calling convention wherever the host calls")
