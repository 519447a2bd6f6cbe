# Flags that the results and the binary interface depend on. They live here, on
# the targets, rather than in toolchain files, so that a native build, a
# distribution's own toolchain or an MSYS2 shell gets them as our presets do.

# Results are defined by separately rounded products and sums: a compiler may
# not fuse them into multiply-adds (GCC does by default wherever the target has
# them: ARM, or x86 built with -march=x86-64-v3), or the transforms' paths and
# the reference values of the tests no longer agree bit for bit. Every target
# that computes results, or checks them, links this.
add_library(vorlen_deterministic_math INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(vorlen_deterministic_math INTERFACE -ffp-contract=off)
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND CMAKE_SIZEOF_VOID_P EQUAL 4
   AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86|i[3-6]86|AMD64|amd64|x86_64)$")
  # SSE2 does the floating-point arithmetic, as on x86-64: the x87 unit's
  # 80-bit intermediates round the engine's doubles differently (the
  # smoothing's running sums then miss their bit-exact references), and every
  # x86 processor that runs a current host has SSE2.
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Hosts built by other compilers may enter our code with the stack aligned
  # to 4 bytes (32-bit) or 16 bytes (64-bit) only, while GCC's vector spills
  # assume the vector's own alignment: -mstackrealign realigns where it
  # matters. GCC for Windows still spills 32- and 64-byte vectors with aligned
  # moves, which fault on a 16-byte-aligned stack; the assembler writes every
  # aligned vector move in its unaligned form instead, which costs nothing on
  # aligned data on any processor with AVX.
  add_compile_options(-mstackrealign -Wa,-muse-unaligned-vector-move)
endif()
