# What the two MinGW-w64 toolchain files share. They set VORLEN_MINGW_TRIPLE
# (the Debian tool prefix) and VORLEN_MINGW_WINE (the program that runs the
# result here) before including this file.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX thread model: GCC 12's win32 model has no std::mutex or std::thread,
# which GoogleTest and the concurrency tests need. Its winpthread is linked
# statically below.
set(CMAKE_C_COMPILER ${VORLEN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLEN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLEN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A host loads vorlen.dll into its own process and ships no MinGW runtime:
# libgcc, libstdc++ and winpthread go into our binaries, so that they import
# system DLLs only. The same holds for the test programs run under Wine.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()

# Test programs are Windows executables; CTest and GoogleTest's discovery run
# them through Wine. WINEDEBUG is set by the caller (scripts/test.d/70-windows).
find_program(VORLEN_WINE_PROGRAM NAMES ${VORLEN_MINGW_WINE} wine PATHS /usr/lib/wine)
if(VORLEN_WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLEN_WINE_PROGRAM})
endif()
