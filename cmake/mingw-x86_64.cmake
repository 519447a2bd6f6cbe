# 64-bit Windows DLL with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VORLEN_MINGW_TRIPLE x86_64-w64-mingw32)
set(VORLEN_MINGW_WINE wine64)
# The effect picks an AVX path at run time; how its vector spills survive
# 64-bit Windows' 16-byte stack alignment is in cmake/target_flags.cmake.

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
