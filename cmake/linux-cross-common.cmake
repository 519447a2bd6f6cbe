# What the ARM Linux toolchain files share. They set CMAKE_SYSTEM_PROCESSOR,
# VORLEN_CROSS_TRIPLE (the Debian tool prefix and multiarch name) and
# VORLEN_CROSS_QEMU (the user-mode emulator) before including this file.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${VORLEN_CROSS_TRIPLE})

set(CMAKE_C_COMPILER ${VORLEN_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VORLEN_CROSS_TRIPLE}-g++)

# The cross C library lives in /usr/<triple>; libraries for the target
# (libsndfile) come from Debian's multiarch packages, in /usr/lib/<triple>.
set(CMAKE_FIND_ROOT_PATH /usr/${VORLEN_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${VORLEN_CROSS_TRIPLE}/pkgconfig:/usr/share/pkgconfig")

# Test programs, GoogleTest's discovery, and the tools that tests start as
# programs run under the emulator. Where the target's multiarch C library is
# installed (it comes with libsndfile1-dev:<arch>), the programs must run on
# it: libsndfile was built against it, and the cross toolchain's copy in
# /usr/<triple> may be of another Debian revision, whose dynamic loader then
# does not match libc.so.6 (a forked child spins forever). Without it, the
# cross toolchain's copy is the root.
find_program(VORLEN_QEMU_PROGRAM NAMES ${VORLEN_CROSS_QEMU})
if(VORLEN_QEMU_PROGRAM)
  if(EXISTS /usr/lib/${VORLEN_CROSS_TRIPLE}/libc.so.6)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLEN_QEMU_PROGRAM})
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLEN_QEMU_PROGRAM} -L /usr/${VORLEN_CROSS_TRIPLE})
  endif()
endif()
