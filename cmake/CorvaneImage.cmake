# corvane_add_image(<target> KIND <kind> INPUT <file> VERSION <a.b.c.dddd> DEVICE_ID <id>
#                   [SIZE <KB>] [OUTPUT <file>] [DEPENDS <files or targets>...])
#
# Adds <target>, built by default, that makes OUTPUT, a stamped image, from INPUT, a raw image that
# another rule of the build may make, with one run of corvane-stamp: straight from INPUT to OUTPUT,
# which is made beside itself and renamed, so that it is never half made. SIZE is the image size in
# KB (default: the smallest that holds the input and the 72 bytes after it); OUTPUT defaults to
# ${CMAKE_CURRENT_BINARY_DIR}/<target>/<the kind's file name>; DEPENDS names what must be made
# first. A relative INPUT or OUTPUT is taken from the current source or binary directory. The
# words are checked here, when the project is configured; the image is made when it is built, only
# when INPUT, the words or a DEPENDS changed. The target's CORVANE_IMAGE_FILE property is OUTPUT,
# and each image's words and path go into one manifest of the build, ${CORVANE_IMAGE_MANIFEST},
# which `corvane-verify --check` checks in one run. An OUTPUT that is INPUT (links followed), or
# that another image is made into, is refused.
include_guard(GLOBAL)
set(CORVANE_IMAGE_MANIFEST ${CMAKE_BINARY_DIR}/corvane-images.txt)

# Written once the project is configured, rewritten only when it changes; a SIZE_KB of - is the
# smallest that holds the input.
function(corvane_write_image_manifest)
  get_property(lines GLOBAL PROPERTY corvane_image_manifest)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/corvane-images.txt CONTENT
       "# Written by corvane_add_image(): KIND SIZE_KB VERSION DEVICE_ID PATH\n${lines}")
endfunction()

function(corvane_add_image target)
  # The kinds, their files, the accepted ids and the version's form, as the tools have them.
  include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CorvaneRules.cmake)
  set(CORVANE_IMAGE_MANIFEST ${CMAKE_BINARY_DIR}/corvane-images.txt PARENT_SCOPE)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "KIND;INPUT;VERSION;DEVICE_ID;SIZE;OUTPUT" "DEPENDS")
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
  # Whole units, up to what the header's 32-bit size field holds.
  math(EXPR unit_kb "${CORVANE_SIZE_UNIT} / 1024")
  set(size_words)
  if(NOT "${arg_SIZE}" STREQUAL "")
    if(arg_SIZE MATCHES "^[1-9][0-9]*$" AND arg_SIZE LESS_EQUAL CORVANE_SIZE_KB_MOST)
      math(EXPR off_the_unit "${arg_SIZE} % ${unit_kb}")
    endif()
    if(NOT off_the_unit STREQUAL "0")
      message(FATAL_ERROR "${rule}: SIZE '${arg_SIZE}' is not a whole number of ${unit_kb} KB from "
                          "${unit_kb} to ${CORVANE_SIZE_KB_MOST}")
    endif()
    set(size_words -s ${arg_SIZE})
  endif()

  list(GET CORVANE_KIND_FILES ${kind} file_name)
  get_filename_component(input "${arg_INPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}/${file_name})
  if(arg_OUTPUT)
    get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  # An OUTPUT that is INPUT, links followed, would replace the input with its image, which the next
  # build would stamp again; and two images cannot be made into one file.
  file(REAL_PATH ${input} real_input)
  file(REAL_PATH ${output} real_output)
  if(real_output STREQUAL real_input)
    message(FATAL_ERROR "${rule}: OUTPUT ${output} is INPUT ${input}, which the image would replace")
  endif()
  get_property(made_by GLOBAL PROPERTY corvane_image_made_by_${real_output})
  if(made_by)
    message(FATAL_ERROR "${rule}: OUTPUT ${output} is made by corvane_add_image(${made_by}) already")
  endif()
  set_property(GLOBAL PROPERTY corvane_image_made_by_${real_output} ${target})
  get_filename_component(folder ${output} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  # The words in a file of their own, rewritten only when they change, so that a change of the
  # words alone makes the image again, whatever the generator.
  set(words ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.corvane-words)
  file(CONFIGURE OUTPUT ${words} CONTENT
       "${arg_KIND} ${arg_SIZE} ${arg_VERSION} ${arg_DEVICE_ID} ${input} ${output}\n")
  # A Corvane built for the build machine by a cross build (see Corvane's CMakeLists.txt) is made
  # by a target of its own first.
  get_target_property(tool_target Corvane::corvane-stamp CORVANE_BUILT_BY)
  if(NOT tool_target)
    set(tool_target Corvane::corvane-stamp)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND $<TARGET_FILE:Corvane::corvane-stamp> -t ${arg_KIND} ${size_words} -v ${arg_VERSION}
            -i ${arg_DEVICE_ID} ${input} ${output}
    DEPENDS ${input} ${words} ${tool_target} ${arg_DEPENDS}
    COMMENT "Stamping the ${arg_KIND} image ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
  set_target_properties(${target} PROPERTIES CORVANE_IMAGE_FILE ${output})
  foreach(dependency IN LISTS arg_DEPENDS)
    if(TARGET ${dependency})
      add_dependencies(${target} ${dependency})
    endif()
  endforeach()

  file(RELATIVE_PATH path ${CMAKE_BINARY_DIR} ${output})
  if("${arg_SIZE}" STREQUAL "")
    set(arg_SIZE -)
  endif()
  get_property(manifest_started GLOBAL PROPERTY corvane_image_manifest SET)
  set_property(GLOBAL APPEND_STRING PROPERTY corvane_image_manifest
               "${arg_KIND} ${arg_SIZE} ${arg_VERSION} ${arg_DEVICE_ID} ${path}\n")
  if(NOT manifest_started)
    cmake_language(DEFER DIRECTORY ${CMAKE_BINARY_DIR} CALL corvane_write_image_manifest)
  endif()
endfunction()
