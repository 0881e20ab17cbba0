# In a firmware project that is cross-built, the tools are built for the build machine, where the
# build runs them, as SDKs build their host tools: by a build of this source tree of its own, with
# the build machine's compiler and libraries, never the target's. The
# product's compiler, flags and toolchain file, in its cache or in the environment (CC, CXX,
# CFLAGS, CXXFLAGS, CPPFLAGS, LDFLAGS, CMAKE_TOOLCHAIN_FILE), reach none of it. The project uses
# the tools by the same names as otherwise (Corvane::corvane-stamp, corvane_add_image()); a tool
# the build machine cannot build is not defined, and the configure says why.
include(cmake/package_files.cmake)
set(host_tools ${PROJECT_BINARY_DIR}/host)
set(host_generator ${CMAKE_GENERATOR})
if(host_generator STREQUAL "Ninja Multi-Config")
  set(host_generator Ninja)
endif()
set(clean_environment)
# Also pkg-config's search of the target's libraries, which a toolchain file may set for this
# CMake run and so for what it runs.
foreach(variable CC CXX CFLAGS CXXFLAGS CPPFLAGS LDFLAGS CMAKE_TOOLCHAIN_FILE CMAKE_GENERATOR
                 CMAKE_BUILD_TYPE CMAKE_CONFIGURATION_TYPES PKG_CONFIG_LIBDIR PKG_CONFIG_SYSROOT_DIR)
  list(APPEND clean_environment --unset=${variable})
endforeach()
# Configured now, by the build machine's own CMake run, which finds its compiler and libraries
# where it has them, whatever the target's toolchain file makes of the search paths (a bare-metal
# one, CMAKE_SYSTEM_NAME Generic, has none of the build machine's).
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${clean_environment}
                        ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${host_tools}
                        -G ${host_generator} -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
                RESULT_VARIABLE configured OUTPUT_VARIABLE host_output ERROR_VARIABLE host_output)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "Corvane: its tools cannot be configured for the build machine "
                      "(in ${host_tools}):\n${host_output}")
endif()
set(tools corvane corvane-stamp)
# corvane-verify writes its JSON with nlohmann-json, a header-only library of the build machine.
load_cache(${host_tools} READ_WITH_PREFIX host_ nlohmann_json_DIR)
if(host_nlohmann_json_DIR)
  list(APPEND tools corvane-verify)
else()
  message(STATUS "Corvane: no corvane-verify for the build machine, which lacks nlohmann-json "
                 "(Debian: nlohmann-json3-dev); Corvane::corvane-verify and corvane_add_check() "
                 "are not there")
endif()
list(TRANSFORM tools PREPEND ${host_tools}/bin/ OUTPUT_VARIABLE tool_files)
# Built again only when a source of theirs changed, so that a build with nothing to do does
# nothing (a source added to Corvane comes with a change of its CMakeLists.txt, which is one);
# with Make's own jobs where the product's build is Make's.
file(GLOB_RECURSE host_sources
     ${PROJECT_SOURCE_DIR}/cmake/* ${PROJECT_SOURCE_DIR}/image/* ${PROJECT_SOURCE_DIR}/io/*
     ${PROJECT_SOURCE_DIR}/stamp/* ${PROJECT_SOURCE_DIR}/verify/* ${PROJECT_SOURCE_DIR}/report/*
     ${PROJECT_SOURCE_DIR}/tools/* ${PROJECT_SOURCE_DIR}/man/* ${PROJECT_SOURCE_DIR}/packaging/*)
# Of the CMakeLists.txt, only the top one is named: a build folder may stand in the tree.
list(APPEND host_sources ${PROJECT_SOURCE_DIR}/CMakeLists.txt)
set(built ${host_tools}/corvane-host-tools.built)
if(host_generator MATCHES "Makefiles")
  add_custom_command(OUTPUT ${built} BYPRODUCTS ${tool_files}
    COMMAND ${CMAKE_COMMAND} -E env ${clean_environment} $(MAKE) -C ${host_tools}
    COMMAND ${CMAKE_COMMAND} -E touch ${built}
    DEPENDS ${host_sources}
    COMMENT "Building Corvane's tools for the build machine")
else()
  add_custom_command(OUTPUT ${built} BYPRODUCTS ${tool_files}
    COMMAND ${CMAKE_COMMAND} -E env ${clean_environment} ${CMAKE_COMMAND} --build ${host_tools}
    COMMAND ${CMAKE_COMMAND} -E touch ${built}
    DEPENDS ${host_sources}
    COMMENT "Building Corvane's tools for the build machine"
    VERBATIM)
endif()
add_custom_target(corvane_host_tools DEPENDS ${built})
message(STATUS "Corvane ${PROJECT_VERSION}: ${PROJECT_SOURCE_DIR}, its tools built for the build machine in ${host_tools}")
foreach(tool ${tools})
  add_executable(Corvane::${tool} IMPORTED GLOBAL)
  set_target_properties(Corvane::${tool} PROPERTIES IMPORTED_LOCATION ${host_tools}/bin/${tool}
                        CORVANE_BUILT_BY corvane_host_tools)
endforeach()
include(${PROJECT_BINARY_DIR}/CorvaneImage.cmake)
