# Cross-builds Korvane for 64-bit ARM (a Raspberry Pi on Debian 12) on a
# Debian 12 amd64 machine with the arm64 multiarch packages
# (scripts/install-deps-arm64.sh).  Programs built here run on this machine
# under qemu-aarch64-static, which is how CTest and the test discovery run
# them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Multiarch keeps arm64 libraries in /usr/lib/aarch64-linux-gnu beside the
# amd64 ones, so the root is / and the library architecture picks the side.
# Build tools (moc, pkg-config, cpack's helpers) are the host's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# Debian 12 has no aarch64-linux-gnu-pkg-config: point the host's at the
# arm64 .pc files instead.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig")

# Qt's moc, uic and rcc run on the host, from the amd64 Qt of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# libc6:arm64 puts the arm64 loader at /lib/ld-linux-aarch64.so.1, where qemu
# finds it: no binfmt_misc and no QEMU_LD_PREFIX needed.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
