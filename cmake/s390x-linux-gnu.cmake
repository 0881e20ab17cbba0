# Cross build for Linux on IBM Z with Debian's g++-s390x-linux-gnu (see debian-cross.cmake): a
# big-endian target, where the image must come out byte for byte as on any other.
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
