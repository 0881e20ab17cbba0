# find_package(Corvane): the tools as the imported executables Corvane::corvane and
# Corvane::corvane-verify, and corvane_add_image() (CorvaneImage.cmake), which stamps and checks
# an image in a build.
include(${CMAKE_CURRENT_LIST_DIR}/CorvaneTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/CorvaneImage.cmake)
