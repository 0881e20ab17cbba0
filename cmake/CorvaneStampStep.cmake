# The build step of one image of corvane_add_image(): runs COMMAND (corvane-stamp --json and its
# words), keeps what it printed as the image's RECORD, and assembles the build's MANIFEST again from
# its PLAN, under a lock, so that images made at once all get into it. STEP, a script
# corvane_add_image() writes, sets the four.
#   cmake -DSTEP=<step script> -P CorvaneStampStep.cmake
# A failed run leaves the old image and its record, and fails the step.
cmake_minimum_required(VERSION 3.20)
include("${STEP}")
execute_process(COMMAND ${COMMAND} OUTPUT_FILE "${RECORD}.new" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${RECORD}.new")
  message(FATAL_ERROR "corvane-stamp ended with status ${status}: the image is as it was")
endif()
file(RENAME "${RECORD}.new" "${RECORD}")
include(${CMAKE_CURRENT_LIST_DIR}/CorvaneManifest.cmake)
file(LOCK "${MANIFEST}.lock" GUARD PROCESS)
corvane_assemble_manifest("${PLAN}" "${MANIFEST}")
