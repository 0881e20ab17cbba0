# corvane_add_image(<target> KIND <kind> INPUT <file> VERSION <a.b.c.dddd> DEVICE_ID <id>
#                   [SIZE <KB>] [OUTPUT <file>])
#
# Adds <target>, built by default, that makes OUTPUT, a stamped and checked image, from INPUT, a
# raw image that another rule of the build may make. SIZE is the image size in KB (default: the
# smallest even number that holds the input and the 72 bytes after it); OUTPUT defaults to
# ${CMAKE_CURRENT_BINARY_DIR}/<target>/<the kind's file name>. A relative INPUT or OUTPUT is taken
# from the current source or binary directory. The words are checked here, when the project is
# configured; the image is made when it is built, only when INPUT or the words changed, and
# OUTPUT exists only once corvane has stamped it and corvane-verify has checked it with the same
# words: a failed build leaves none, so no stale image looks up to date.
include_guard(GLOBAL)

function(corvane_add_image target)
  # The kinds, their files, the accepted ids and the version's form, as the tools have them.
  include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CorvaneRules.cmake)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "KIND;INPUT;VERSION;DEVICE_ID;SIZE;OUTPUT" "")
  set(rule "corvane_add_image(${target})")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${rule}: unknown words ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(word KIND INPUT VERSION DEVICE_ID)
    if(NOT DEFINED arg_${word})
      message(FATAL_ERROR "${rule}: ${word} is missing")
    endif()
  endforeach()
  list(FIND CORVANE_KINDS "${arg_KIND}" kind)
  if(kind EQUAL -1)
    string(JOIN ", " kinds ${CORVANE_KINDS})
    message(FATAL_ERROR "${rule}: KIND '${arg_KIND}' is not a kind (${kinds})")
  endif()
  if(NOT arg_VERSION MATCHES "${CORVANE_VERSION_FORM}")
    message(FATAL_ERROR "${rule}: VERSION '${arg_VERSION}' is not a.b.c.dddd "
                        "(one or two digits three times, then four digits)")
  endif()
  if(NOT arg_DEVICE_ID IN_LIST CORVANE_DEVICE_IDS)
    string(JOIN ", " ids ${CORVANE_DEVICE_IDS})
    message(FATAL_ERROR "${rule}: DEVICE_ID '${arg_DEVICE_ID}' is not one of ${ids}")
  endif()
  # Whole units, up to what the header's 32-bit size field holds; corvane would wrap a larger size.
  math(EXPR unit_kb "${CORVANE_SIZE_UNIT} / 1024")
  if(NOT "${arg_SIZE}" STREQUAL "")
    if(arg_SIZE MATCHES "^[1-9][0-9]*$" AND arg_SIZE LESS_EQUAL CORVANE_SIZE_KB_MOST)
      math(EXPR off_the_unit "${arg_SIZE} % ${unit_kb}")
    endif()
    if(NOT off_the_unit STREQUAL "0")
      message(FATAL_ERROR "${rule}: SIZE '${arg_SIZE}' is not a whole number of ${unit_kb} KB from "
                          "${unit_kb} to ${CORVANE_SIZE_KB_MOST}")
    endif()
  endif()
  if(NOT TARGET Corvane::corvane-verify)
    message(FATAL_ERROR "${rule}: this Corvane was built without corvane-verify (nlohmann-json), "
                        "which checks every image it makes")
  endif()

  list(GET CORVANE_KIND_FILES ${kind} file_name)
  get_filename_component(input "${arg_INPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}/${file_name})
  if(arg_OUTPUT)
    get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(work ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.corvane)
  # The words in a file of their own, rewritten only when they change, so that a change of the
  # words alone makes the image again, whatever the generator.
  file(CONFIGURE OUTPUT ${work}.words CONTENT
       "${arg_KIND} ${arg_SIZE} ${arg_VERSION} ${arg_DEVICE_ID} ${output}\n")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DCORVANE=$<TARGET_FILE:Corvane::corvane>
            -DCORVANE_VERIFY=$<TARGET_FILE:Corvane::corvane-verify> -DKIND=${arg_KIND}
            -DFILE_NAME=${file_name} -DINPUT=${input} -DVERSION=${arg_VERSION}
            -DDEVICE_ID=${arg_DEVICE_ID} -DSIZE=${arg_SIZE} -DOUTPUT=${output} -DWORK=${work}
            -DHEADER_DISTANCE=${CORVANE_HEADER_DISTANCE} -DSIZE_UNIT=${CORVANE_SIZE_UNIT}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CorvaneStampImage.cmake
    DEPENDS ${input} ${work}.words ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CorvaneStampImage.cmake
            Corvane::corvane Corvane::corvane-verify
    COMMENT "Stamping and checking the ${arg_KIND} image ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
