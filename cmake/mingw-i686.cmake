# 32-bit Windows DLL with Debian's MinGW-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VORLEN_MINGW_TRIPLE i686-w64-mingw32)
set(VORLEN_MINGW_WINE wine)

# SSE2 arithmetic for the same rounding as the 64-bit build. Hosts built by
# other compilers enter our code with the stack aligned to 4 bytes only, while
# GCC's SSE spills assume 16: -mstackrealign realigns where it matters.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
