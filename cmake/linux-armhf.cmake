# 32-bit ARM Linux with hardware floating point (Raspberry Pi OS 32-bit), with
# Debian's g++-arm-linux-gnueabihf; tests run under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(VORLEN_CROSS_TRIPLE arm-linux-gnueabihf)
set(VORLEN_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
