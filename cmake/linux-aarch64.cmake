# 64-bit ARM Linux (Raspberry Pi 4 and 5 under a 64-bit system, ARM servers
# and laptops), with Debian's g++-aarch64-linux-gnu; tests run under
# qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VORLEN_CROSS_TRIPLE aarch64-linux-gnu)
set(VORLEN_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
