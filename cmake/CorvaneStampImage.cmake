# Makes one image for corvane_add_image(), when the build runs it as
#   cmake -DCORVANE=... -DCORVANE_VERIFY=... -DKIND=... -DFILE_NAME=... -DINPUT=... -DVERSION=...
#         -DDEVICE_ID=... -DSIZE=... -DOUTPUT=... -DWORK=... -DHEADER_DISTANCE=... -DSIZE_UNIT=...
#         -P CorvaneStampImage.cmake
# corvane works in place on a file of a fixed name in its current directory, so the input is
# copied into a folder of this image's own under that name, stamped there, checked there with the
# same words, and only then put at OUTPUT: written beside it and renamed, so that OUTPUT is never
# half made, and does not exist after a failure.
cmake_minimum_required(VERSION 3.20)
file(REMOVE ${OUTPUT})
file(SIZE ${INPUT} length)
if(SIZE STREQUAL "")
  math(EXPR SIZE "(${length} + ${HEADER_DISTANCE} + ${SIZE_UNIT} - 1) / ${SIZE_UNIT} * ${SIZE_UNIT} / 1024")
endif()
math(EXPR room "${SIZE} * 1024 - ${HEADER_DISTANCE}")
if(length GREATER room)
  message(FATAL_ERROR "${INPUT} is ${length} bytes long; a ${SIZE} KB image holds ${room} bytes "
                      "before its header, and nothing is stamped over")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
configure_file(${INPUT} ${WORK}/${FILE_NAME} COPYONLY)
set(words -t ${KIND} -s ${SIZE} -v ${VERSION} -i ${DEVICE_ID})
foreach(command IN ITEMS "${CORVANE};${words}" "${CORVANE_VERIFY};${words};${FILE_NAME}")
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                  OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(NOT status EQUAL 0)
    string(JOIN " " words ${command})
    message(NOTICE "${said}")
    message(FATAL_ERROR "${words} (in ${WORK}) ended with status ${status}")
  endif()
endforeach()

get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
configure_file(${WORK}/${FILE_NAME} ${OUTPUT}.part COPYONLY)
file(RENAME ${OUTPUT}.part ${OUTPUT})
