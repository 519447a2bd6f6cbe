# 32-bit Windows DLL with Debian's MinGW-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VORLEN_MINGW_TRIPLE i686-w64-mingw32)
set(VORLEN_MINGW_WINE wine)

# SSE2 arithmetic and the stack's realignment come from cmake/target_flags.cmake.

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
