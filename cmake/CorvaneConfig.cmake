# find_package(Corvane): the tools as the imported executables Corvane::corvane,
# Corvane::corvane-stamp and Corvane::corvane-verify, and corvane_add_image() (CorvaneImage.cmake),
# which stamps an image in a build with corvane-stamp. The tools run on the build machine: a cross
# build finds the build machine's Corvane with find_package(Corvane 1 NO_CMAKE_FIND_ROOT_PATH).
include(${CMAKE_CURRENT_LIST_DIR}/CorvaneTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/CorvaneImage.cmake)
# Which Corvane the project uses, and where it was found.
if(NOT Corvane_FIND_QUIETLY)
  message(STATUS "Corvane ${Corvane_VERSION}: ${CMAKE_CURRENT_LIST_DIR}")
endif()
