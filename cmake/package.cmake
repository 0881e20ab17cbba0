# What a firmware build uses the tools by: the CMake package (find_package(Corvane), from an
# install under lib/cmake/Corvane/ or from this build tree with -DCorvane_DIR=<build>), the same
# names for a project that adds this source tree with add_subdirectory or FetchContent, the Make
# rules (share/corvane/corvane.mk) and the bash completions. The package's files stand in the
# build tree as they are installed; they are installed only where CORVANE_INSTALL says so.
include(cmake/package_files.cmake)
if(NOT corvane_top_level)
  message(STATUS "Corvane ${PROJECT_VERSION}: ${PROJECT_SOURCE_DIR}")
endif()
foreach(tool ${tools})
  add_executable(Corvane::${tool} ALIAS ${tool})
endforeach()
include(${PROJECT_BINARY_DIR}/CorvaneImage.cmake)
export(TARGETS ${tools} NAMESPACE Corvane:: FILE ${PROJECT_BINARY_DIR}/CorvaneTargets.cmake)
if(NOT CORVANE_INSTALL)
  return()
endif()
install(TARGETS ${tools} EXPORT CorvaneTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT CorvaneTargets NAMESPACE Corvane:: DESTINATION ${package_dir})
install(FILES ${package_files} DESTINATION ${package_dir})
install(FILES ${PROJECT_BINARY_DIR}/share/corvane/corvane.mk
        DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
foreach(tool ${tools})
  install(FILES ${PROJECT_BINARY_DIR}/share/bash-completion/completions/${tool}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endforeach()
