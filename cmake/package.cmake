# What a firmware build uses the tools by: the CMake package (find_package(Corvane), from an
# install under lib/cmake/Corvane/ or from this build tree with -DCorvane_DIR=<build>), the same
# names for a project that adds this source tree with add_subdirectory or FetchContent, the Make
# rules (share/corvane/corvane.mk) and the bash completions. The package's files stand in the
# build tree as they are installed.
include(CMakePackageConfigHelpers)
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Corvane)
set(package_files)
foreach(module CorvaneConfig CorvaneImage CorvaneStampImage)
  configure_file(cmake/${module}.cmake ${PROJECT_BINARY_DIR}/${module}.cmake COPYONLY)
  list(APPEND package_files ${PROJECT_BINARY_DIR}/${module}.cmake)
endforeach()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(TARGETS ${tools} EXPORT CorvaneTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT CorvaneTargets NAMESPACE Corvane:: DESTINATION ${package_dir})
export(EXPORT CorvaneTargets NAMESPACE Corvane:: FILE ${PROJECT_BINARY_DIR}/CorvaneTargets.cmake)
install(FILES ${package_files} ${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
              ${PROJECT_BINARY_DIR}/CorvaneRules.cmake DESTINATION ${package_dir})
install(FILES ${PROJECT_BINARY_DIR}/share/corvane/corvane.mk
        DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
foreach(tool ${tools})
  install(FILES ${PROJECT_BINARY_DIR}/share/bash-completion/completions/${tool}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  add_executable(Corvane::${tool} ALIAS ${tool})
endforeach()
include(${PROJECT_BINARY_DIR}/CorvaneImage.cmake)
