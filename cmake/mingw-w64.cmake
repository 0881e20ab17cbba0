# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64 and
# libz-mingw-w64-dev):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DBUILD_TESTING=OFF
# The C++ runtime and zlib are linked statically, so that the executables need no DLL but
# Windows' own. Under wine they run as CMAKE_CROSSCOMPILING_EMULATOR says.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The posix thread model's compilers where the machine has them, whatever Debian's alternative
# points to (the win32 model's, once both are installed): that model's C++ library has no
# std::thread, std::mutex or std::condition_variable, which corvane-stamp's digest needs. A
# compiler the user names (-DCMAKE_<LANG>_COMPILER, CC, CXX) is taken as it is; one without the
# threads stops configure (stamp/CMakeLists.txt).
foreach(driver gcc g++)
  set(language C)
  set(variable CC)
  if(driver STREQUAL g++)
    set(language CXX)
    set(variable CXX)
  endif()
  if(NOT CMAKE_${language}_COMPILER AND NOT DEFINED ENV{${variable}})
    find_program(CORVANE_MINGW_${language} NAMES x86_64-w64-mingw32-${driver}-posix
                 x86_64-w64-mingw32-${driver})
    set(CMAKE_${language}_COMPILER ${CORVANE_MINGW_${language}})
  endif()
endforeach()
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} /usr/x86_64-w64-mingw32/lib/pkgconfig) # not the build machine's libraries
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
