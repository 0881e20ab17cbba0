# Each folder uses only itself and the folders listed after it, so that the tools sit on top and
# the image format, which knows no file and no console, at the bottom. A test of the suite, which
# fails on an include that points up:
#   cmake -DSOURCE=<the source tree> -P cmake/layers.cmake
cmake_minimum_required(VERSION 3.20)
set(corvane_layers
  "tools/corvane: tools/corvane stamp report io image"
  "tools/corvane-stamp: tools/corvane-stamp stamp report io image"
  "tools/corvane-verify: tools/corvane-verify verify report io image"
  "stamp: stamp report io image"
  "report: report verify io image"
  "verify: verify io image"
  "io: io image"
  "image: image")
foreach(layer ${corvane_layers})
  string(REGEX MATCH "^[^:]+" folder "${layer}")
  string(REGEX REPLACE "^[^:]+: " "" allowed "${layer}")
  separate_arguments(allowed)
  file(GLOB sources ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include \"")
    foreach(include ${includes})
      string(REGEX REPLACE "^#include \"([^\"]+)/[^/\"]+\".*" "\\1" used "${include}")
      if(NOT used IN_LIST allowed AND NOT include MATCHES "\"tools/version.h\"")
        message(FATAL_ERROR "${source}: ${folder}/ may not use ${include}")
      endif()
    endforeach()
  endforeach()
endforeach()
