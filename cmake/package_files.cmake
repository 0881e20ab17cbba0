# The CMake package's files, in the build tree as they are installed: CorvaneConfig.cmake, its
# version file, CorvaneImage.cmake and the rules it reads (CorvaneRules.cmake, cmake/rules.cmake).
include(CMakePackageConfigHelpers)
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Corvane)
set(package_files ${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
                  ${PROJECT_BINARY_DIR}/CorvaneRules.cmake)
foreach(module CorvaneConfig CorvaneImage)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${module}.cmake ${PROJECT_BINARY_DIR}/${module}.cmake
                 COPYONLY)
  list(APPEND package_files ${PROJECT_BINARY_DIR}/${module}.cmake)
endforeach()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion
                                 ARCH_INDEPENDENT)
