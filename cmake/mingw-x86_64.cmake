# 64-bit Windows DLL with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VORLEN_MINGW_TRIPLE x86_64-w64-mingw32)
set(VORLEN_MINGW_WINE wine64)

# The effect picks an AVX path at run time. 64-bit Windows keeps the stack
# aligned to 16 bytes only, and GCC on this target still spills 32-byte AVX
# vectors with aligned moves, which fault on such a stack. The assembler writes
# every aligned vector move in its unaligned form instead, which costs nothing
# on aligned data on any processor with AVX.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
