# Cross build for Linux on another processor with Debian's cross compiler (g++-TRIPLE), included by
# the toolchain file of each processor, which sets CMAKE_SYSTEM_PROCESSOR. Libraries and headers
# are the target's only, never the build machine's: those of the cross compiler (/usr/TRIPLE), and
# those of the target's Debian packages unpacked (apt-get download, dpkg-deb -x) into
# CORVANE_TARGET_ROOT, by default build-TRIPLE-root/ in the source tree; that is where ISA-L's
# packages for the target go, since they cannot be installed beside the build machine's. The
# executables find such libraries there when they run under qemu-PROCESSOR -L /usr/TRIPLE.
set(CMAKE_SYSTEM_NAME Linux)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CORVANE_TARGET_ROOT ${CMAKE_CURRENT_LIST_DIR}/../build-${triple}-root
    CACHE PATH "The target's Debian packages, unpacked")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CORVANE_TARGET_ROOT)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${CORVANE_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_LIBRARY_ARCHITECTURE ${triple})
set(ENV{PKG_CONFIG_LIBDIR} ${CORVANE_TARGET_ROOT}/usr/lib/${triple}/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CORVANE_TARGET_ROOT})
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR} -L /usr/${triple})
