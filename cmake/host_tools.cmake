# In a firmware project that is cross-built, the tools are built for the build machine, where the
# build runs them, as SDKs build their host tools: by a build of this source tree of its own (an
# ExternalProject) with the build machine's compiler and libraries, never the target's. The
# project uses them by the same names as otherwise (Corvane::corvane-stamp, corvane_add_image()).
include(ExternalProject)
include(cmake/package_files.cmake)
set(host_tools ${PROJECT_BINARY_DIR}/host)
set(tools corvane corvane-stamp corvane-verify)
list(TRANSFORM tools PREPEND ${host_tools}/bin/ OUTPUT_VARIABLE tool_files)
ExternalProject_Add(corvane_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_tools}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  BUILD_ALWAYS ON # its own build knows when its sources changed
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${tool_files})
foreach(tool ${tools})
  add_executable(Corvane::${tool} IMPORTED GLOBAL)
  set_target_properties(Corvane::${tool} PROPERTIES IMPORTED_LOCATION ${host_tools}/bin/${tool}
                        CORVANE_BUILT_BY corvane_host_tools)
endforeach()
include(${PROJECT_BINARY_DIR}/CorvaneImage.cmake)
