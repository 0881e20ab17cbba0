# Cross build for macOS with zig, which carries the macOS SDK's C headers and libc++ and links
# Mach-O executables:
#   cmake -S . -B build-macos -DCMAKE_TOOLCHAIN_FILE=cmake/zig-macos.cmake -DZIG=/path/to/zig \
#         -DCORVANE_MACOS_ARCH=aarch64 -DBUILD_TESTING=OFF
# CORVANE_MACOS_ARCH is aarch64 (Apple silicon, the default) or x86_64. The executables link
# only: nothing here can run them. zig keeps what it builds (libc++ once per architecture) in
# ZIG_GLOBAL_CACHE_DIR, or in its own cache folder where that is not set.
set(CMAKE_SYSTEM_NAME Darwin)
set(CORVANE_MACOS_ARCH aarch64 CACHE STRING "The macOS architecture: aarch64 or x86_64")
set(CMAKE_SYSTEM_PROCESSOR ${CORVANE_MACOS_ARCH})
set(ZIG "" CACHE FILEPATH "The zig executable")
if(NOT ZIG)
  message(FATAL_ERROR "zig-macos.cmake needs -DZIG=<the zig executable> (zig 0.11)")
endif()
# try_compile projects see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZIG CORVANE_MACOS_ARCH)

# zig's compiler and archiver are subcommands: CMake is given small scripts that call them.
set(wrappers ${CMAKE_BINARY_DIR}/zig-${CORVANE_MACOS_ARCH})
foreach(tool cc c++ ar ranlib)
  set(target_words "")
  if(tool MATCHES "^c")
    set(target_words "-target ${CORVANE_MACOS_ARCH}-macos")
  endif()
  file(CONFIGURE OUTPUT ${wrappers}/${tool} CONTENT "#!/bin/sh\nexec \"${ZIG}\" ${tool} ${target_words} \"$@\"\n")
  file(CHMOD ${wrappers}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${wrappers}/cc)
set(CMAKE_CXX_COMPILER ${wrappers}/c++)
set(CMAKE_AR ${wrappers}/ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${wrappers}/ranlib CACHE FILEPATH "")

# Nothing of the build machine's: no library, no header (nlohmann-json, header-only, is taken from
# it after the target's own; see CMakeLists.txt).
set(CMAKE_FIND_ROOT_PATH ${wrappers})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} ${wrappers}/no-pkgconfig)
