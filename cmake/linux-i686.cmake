# 32-bit x86 Linux, built on a 64-bit Debian machine with g++-multilib.
#
# SSE2 does the floating-point arithmetic, as on x86-64: the x87 unit's 80-bit
# intermediates round the engine's doubles differently from the 64-bit build
# (the smoothing's running sums then miss their bit-exact references), and
# every x86 CPU that runs a current host has SSE2.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-m32")
endforeach()

# pkg-config must answer with the 32-bit libraries, never the 64-bit ones.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
