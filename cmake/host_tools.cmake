# In a firmware project that is cross-built, the tools are built for the build machine, where the
# build runs them, as SDKs build their host tools: by a build of this source tree of its own (an
# ExternalProject) with the build machine's compiler and libraries, never the target's. The
# product's compiler, flags and toolchain file, in its cache or in the environment (CC, CXX,
# CFLAGS, CXXFLAGS, CPPFLAGS, LDFLAGS, CMAKE_TOOLCHAIN_FILE), reach none of it. The project uses
# the tools by the same names as otherwise (Corvane::corvane-stamp, corvane_add_image()); a tool
# the build machine cannot build is not defined, and the configure says why.
include(ExternalProject)
include(cmake/package_files.cmake)
set(host_tools ${PROJECT_BINARY_DIR}/host)
set(tools corvane corvane-stamp)
# corvane-verify writes its JSON with nlohmann-json, a header-only library of the build machine.
find_path(CORVANE_HOST_NLOHMANN_DIR nlohmann/json.hpp NO_CMAKE_FIND_ROOT_PATH)
if(CORVANE_HOST_NLOHMANN_DIR)
  list(APPEND tools corvane-verify)
else()
  message(STATUS "Corvane: no corvane-verify for the build machine, which lacks nlohmann-json "
                 "(Debian: nlohmann-json3-dev); Corvane::corvane-verify and corvane_add_check() "
                 "are not there")
endif()
list(TRANSFORM tools PREPEND ${host_tools}/bin/ OUTPUT_VARIABLE tool_files)
set(host_generator ${CMAKE_GENERATOR})
if(host_generator STREQUAL "Ninja Multi-Config")
  set(host_generator Ninja)
endif()
# Make's own jobs where the product's build is Make's; Ninja's otherwise.
if(host_generator MATCHES "Makefiles")
  set(host_build $(MAKE) -C <BINARY_DIR>)
else()
  set(host_build ${CMAKE_COMMAND} --build <BINARY_DIR>)
endif()
set(clean_environment)
foreach(variable CC CXX CFLAGS CXXFLAGS CPPFLAGS LDFLAGS CMAKE_TOOLCHAIN_FILE CMAKE_GENERATOR
                 CMAKE_BUILD_TYPE CMAKE_CONFIGURATION_TYPES)
  list(APPEND clean_environment --unset=${variable})
endforeach()
ExternalProject_Add(corvane_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_tools}
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env ${clean_environment}
                    ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -G ${host_generator}
                    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  BUILD_COMMAND ${host_build}
  BUILD_ALWAYS ON # its own build knows when its sources changed
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${tool_files})
message(STATUS "Corvane ${PROJECT_VERSION}: ${PROJECT_SOURCE_DIR}, its tools built for the build machine in ${host_tools}")
foreach(tool ${tools})
  add_executable(Corvane::${tool} IMPORTED GLOBAL)
  set_target_properties(Corvane::${tool} PROPERTIES IMPORTED_LOCATION ${host_tools}/bin/${tool}
                        CORVANE_BUILT_BY corvane_host_tools)
endforeach()
include(${PROJECT_BINARY_DIR}/CorvaneImage.cmake)
