# corvane_add_image(<target> KIND <kind> {INPUT <file> | TARGET <executable>} VERSION <a.b.c.dddd>
#                   DEVICE_ID <id> [SIZE <KB>] [OUTPUT <file>] [DEPENDS <files or targets>...])
#
# Adds <target>, built by default, that makes OUTPUT, a stamped image, with one run of
# corvane-stamp: straight from INPUT to OUTPUT, which is made beside itself and renamed, so that it
# is never half made. INPUT is a raw image that another rule of the build may make, a POST_BUILD
# step of a DEPENDS target among them; TARGET <executable> makes the raw image from that
# executable with the toolchain's objcopy (CMAKE_OBJCOPY -O binary), a step of its own, whenever it
# relinks. SIZE is the image size in KB (default: the smallest that holds the input and the header
# and tail after it); OUTPUT defaults to ${CMAKE_CURRENT_BINARY_DIR}/<target>/<the kind's file name>,
# under a folder of each configuration's own (<target>/<config>/) with a multi-config generator.
# INPUT and OUTPUT may hold $<CONFIG>. A relative INPUT or OUTPUT is taken from the current source
# or binary directory. DEVICE_ID is the id's hexadecimal digits, 0x allowed, as corvane-stamp
# takes it.
#
# The words are checked here, when the project is configured, by the rules the tools hold them
# to; the image is made when it is built, only when INPUT, the words or a DEPENDS changed. A
# failed run leaves the old image as it was, and the next build makes it again. The target's
# CORVANE_IMAGE_FILE property is OUTPUT. Each run of corvane-stamp also writes the image's record,
# its manifest line; once every image is made, target corvane_images_manifest (built by default)
# has corvane-stamp gather them into one manifest of the build, ${CORVANE_IMAGE_MANIFEST}
# (corvane-images.txt in the top binary directory; with a multi-config generator,
# corvane-images-$<CONFIG>.txt, one a configuration), which names the images from its own folder
# and which `corvane-verify --check` checks in one run: corvane_add_check() adds a target that does
# so. Refused, naming the rule: an OUTPUT that is INPUT, or that another image, the manifest or the
# build's own files are made into (folders and links resolved, for files not made yet too); under
# a multi-config generator, an OUTPUT without $<CONFIG>, which every configuration would make; a
# name with a ';', a control character or a generator expression other than $<CONFIG>.
#
# corvane_add_check(<target> [TEST]) adds <target>, which checks every image of the build against
# its words and bytes with one run of corvane-verify --check, once they are made; with TEST, a
# CTest test of the same name runs the same check.
#
# corvane_version_word(<variable> <version>) sets <variable> to the version word a.b.c.dddd of a
# version of four numbers, such as PROJECT_VERSION 2.1.0.305 (2.1.0.0305), and stops the configure
# where the version has no such word.
include_guard(GLOBAL)
set_property(GLOBAL PROPERTY corvane_package_dir ${CMAKE_CURRENT_LIST_DIR})

# Where the generator has several configurations, each has files of its own: "$<CONFIG>" for
# the one being built; else "-", the build's one configuration. The only place that asks.
function(corvane_configuration_word out)
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    set(${out} "$<CONFIG>" PARENT_SCOPE)
  else()
    set(${out} - PARENT_SCOPE)
  endif()
endfunction()

# FOLDER/NAME, under a folder of each configuration's own (FOLDER/$<CONFIG>/NAME) where there are
# several.
function(corvane_own_file folder name out)
  corvane_configuration_word(config)
  if(config STREQUAL "-")
    set(${out} ${folder}/${name} PARENT_SCOPE)
  else()
    set(${out} ${folder}/${config}/${name} PARENT_SCOPE)
  endif()
endfunction()

# The manifest of the build: one a configuration where the generator has several.
function(corvane_image_manifest out)
  corvane_configuration_word(config)
  corvane_manifest_of("${config}" manifest)
  set(${out} ${manifest} PARENT_SCOPE)
endfunction()

# The configurations the build has, each a manifest of its own; "-", the one configuration of
# the build, where the generator has one.
function(corvane_configurations out)
  corvane_configuration_word(config)
  if(config STREQUAL "-")
    set(${out} - PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_CONFIGURATION_TYPES} PARENT_SCOPE)
  endif()
endfunction()

# A path with $<CONFIG> as it stands for the configuration.
function(corvane_for_configuration path config out)
  if(config STREQUAL "-")
    set(config "${CMAKE_BUILD_TYPE}")
  endif()
  string(REPLACE "$<CONFIG>" "${config}" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# The build's files of a configuration ("-" for the one of a build that has one, else $<CONFIG>
# or a name): its manifest and the list of the records gathered into it.
function(corvane_manifest_of config out)
  if(config STREQUAL "-")
    set(${out} ${CMAKE_BINARY_DIR}/corvane-images.txt PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_BINARY_DIR}/corvane-images-${config}.txt PARENT_SCOPE)
  endif()
endfunction()
function(corvane_records_of config out)
  if(config STREQUAL "-")
    set(${out} ${CMAKE_BINARY_DIR}/CMakeFiles/corvane-images.records PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_BINARY_DIR}/CMakeFiles/corvane-images-${config}.records PARENT_SCOPE)
  endif()
endfunction()
corvane_image_manifest(CORVANE_IMAGE_MANIFEST)

# The step that gathers the manifest, once the project is configured: one run of corvane-stamp
# --gather over the records of every image, each configuration's own, after all of them.
function(corvane_add_manifest_step)
  get_property(records GLOBAL PROPERTY corvane_image_records)
  get_property(images GLOBAL PROPERTY corvane_image_targets)
  corvane_configuration_word(config)
  corvane_manifest_of("${config}" manifest)
  corvane_records_of("${config}" list)
  string(JOIN "\n" names ${records})
  file(GENERATE OUTPUT ${list} CONTENT "${names}\n")
  get_target_property(tool Corvane::corvane-stamp CORVANE_BUILT_BY)
  if(NOT tool)
    set(tool Corvane::corvane-stamp)
  endif()
  add_custom_command(OUTPUT ${manifest}
    COMMAND $<TARGET_FILE:Corvane::corvane-stamp> --gather ${list} ${manifest}
    DEPENDS ${list} ${records} ${tool}
    COMMENT "Gathering the manifest of the build's images"
    VERBATIM)
  add_custom_target(corvane_images_manifest ALL DEPENDS ${manifest})
  add_dependencies(corvane_images_manifest ${images})
endfunction()

# The path a name stands for, its folders' links followed as far as they exist, so that two names
# of one file compare equal before the file is made.
function(corvane_resolved path out)
  set(rest "")
  set(head "${path}")
  while(NOT EXISTS "${head}" AND NOT IS_SYMLINK "${head}")
    get_filename_component(name "${head}" NAME)
    get_filename_component(parent "${head}" DIRECTORY)
    if(parent STREQUAL head OR parent STREQUAL "")
      break()
    endif()
    set(rest "/${name}${rest}")
    set(head "${parent}")
  endwhile()
  file(REAL_PATH "${head}" real)
  set(${out} "${real}${rest}" PARENT_SCOPE)
endfunction()

# A name's path for each configuration, resolved, as a list.
function(corvane_resolved_for_each path out)
  corvane_configurations(configurations)
  set(resolved)
  foreach(config IN LISTS configurations)
    corvane_for_configuration("${path}" "${config}" one)
    corvane_resolved("${one}" real)
    list(APPEND resolved "${real}")
  endforeach()
  set(${out} "${resolved}" PARENT_SCOPE)
endfunction()

# A name the rule takes: no ';' (CMake's list separator), no control character (the manifest's
# lines hold it), no generator expression but $<CONFIG>; nothing CMake's own bracket arguments
# cannot hold.
function(corvane_check_name rule word name)
  string(REPLACE "$<CONFIG>" "" plain "${name}")
  set(control FALSE)
  foreach(code RANGE 1 31)
    string(ASCII ${code} byte)
    string(FIND "${name}" "${byte}" at)
    if(NOT at EQUAL -1)
      set(control TRUE)
    endif()
  endforeach()
  string(ASCII 127 delete)
  string(FIND "${name}" "${delete}" at)
  if(NOT at EQUAL -1)
    set(control TRUE)
  endif()
  if(name MATCHES ";" OR control OR plain MATCHES "\\$<" OR name MATCHES "\\]==\\]")
    message(FATAL_ERROR "${rule}: ${word} '${name}' holds a ';', a control character or a "
                        "generator expression other than $<CONFIG>, which it cannot take")
  endif()
endfunction()

# The rule's words, checked as corvane-stamp checks them.
function(corvane_check_words rule kind version device_id size)
  list(FIND CORVANE_KINDS "${kind}" index)
  if(index EQUAL -1)
    message(FATAL_ERROR "${rule}: KIND '${kind}' is not ${CORVANE_KIND_RULE}")
  endif()
  if(NOT version MATCHES "${CORVANE_VERSION_FORM}")
    message(FATAL_ERROR "${rule}: VERSION '${version}' is not ${CORVANE_VERSION_RULE}")
  endif()
  string(REGEX REPLACE "^0[xX]" "" digits "${device_id}")
  if(NOT digits IN_LIST CORVANE_DEVICE_IDS)
    message(FATAL_ERROR "${rule}: DEVICE_ID '${device_id}' is not ${CORVANE_DEVICE_ID_RULE}")
  endif()
  # Whole units of the kind, up to what the header's 32-bit size field holds.
  math(EXPR unit_kb "${CORVANE_SIZE_UNIT_${kind}} / 1024")
  set(most ${CORVANE_SIZE_KB_MOST_${kind}})
  if(NOT "${size}" STREQUAL "")
    if(size MATCHES "^[1-9][0-9]*$" AND size LESS_EQUAL most)
      math(EXPR off_the_unit "${size} % ${unit_kb}")
    endif()
    if(NOT off_the_unit STREQUAL "0")
      message(FATAL_ERROR "${rule}: SIZE '${size}' is not a whole number of ${unit_kb} KB from "
                          "${unit_kb} to ${most}")
    endif()
  endif()
endfunction()

# The files of the build that no image may be made into: the manifests, the plans, the words and
# records of the images.
function(corvane_claim rule paths)
  foreach(path IN LISTS paths)
    get_property(made_by GLOBAL PROPERTY "corvane_claimed_${path}")
    if(made_by)
      message(FATAL_ERROR "${rule}: OUTPUT ${path} is ${made_by} already")
    endif()
  endforeach()
endfunction()
function(corvane_claim_as paths what)
  foreach(path IN LISTS paths)
    set_property(GLOBAL PROPERTY "corvane_claimed_${path}" "${what}")
  endforeach()
endfunction()

# Whether a DEPENDS target may make INPUT in a step of its own that CMake does not know of (a
# POST_BUILD step without BYPRODUCTS), and its file, which then stands for INPUT.
function(corvane_made_by_target depends out)
  set(files)
  foreach(dependency IN LISTS depends)
    if(TARGET ${dependency})
      get_target_property(type ${dependency} TYPE)
      if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY)$")
        list(APPEND files "$<TARGET_FILE:${dependency}>")
      endif()
    endif()
  endforeach()
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

# The image's build step, added once the directory is configured, when every rule that may make
# INPUT is known: INPUT is a dependency where a rule of the build makes it (its GENERATED
# property) or it is there; where it is neither, a DEPENDS target's file stands for it (a
# POST_BUILD step that CMake does not know of makes it); where there is none, the configure stops
# and says what to declare.
function(corvane_add_image_step rule output input made depends words record)
  set(input_dependency)
  corvane_made_by_target("${depends}" target_files)
  corvane_configurations(configurations)
  foreach(config IN LISTS configurations)
    corvane_for_configuration("${input}" "${config}" one_input)
    get_source_file_property(generated "${one_input}" GENERATED)
    if(generated OR EXISTS "${one_input}")
      set(made TRUE)
    endif()
  endforeach()
  if(made)
    set(input_dependency "${input}")
  elseif(NOT target_files)
    message(FATAL_ERROR "${rule}: no rule of the build makes INPUT ${input}: make it with "
                        "add_custom_command(OUTPUT ...), or name its maker in DEPENDS and declare "
                        "it as BYPRODUCTS of the step that writes it (add_custom_command(TARGET ... "
                        "POST_BUILD ... BYPRODUCTS ${input}))")
  endif()
  get_property(stamp_arguments GLOBAL PROPERTY "corvane_stamp_arguments_${output}")
  # The tool, made first where the build makes it.
  get_target_property(tool Corvane::corvane-stamp CORVANE_BUILT_BY)
  if(NOT tool)
    set(tool Corvane::corvane-stamp)
  endif()
  add_custom_command(OUTPUT ${output}
    BYPRODUCTS ${record}
    COMMAND $<TARGET_FILE:Corvane::corvane-stamp> --record ${record} ${stamp_arguments}
    DEPENDS ${input_dependency} ${target_files} ${words} ${depends} ${tool}
    COMMENT "Stamping ${output}"
    VERBATIM)
endfunction()

function(corvane_add_image target)
  # The kinds, their files, the accepted ids and the version's form, as the tools have them.
  get_property(package_dir GLOBAL PROPERTY corvane_package_dir)
  include(${package_dir}/CorvaneRules.cmake)
  corvane_image_manifest(manifest)
  set(CORVANE_IMAGE_MANIFEST ${manifest} PARENT_SCOPE)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "KIND;INPUT;TARGET;VERSION;DEVICE_ID;SIZE;OUTPUT"
                        "DEPENDS")
  set(rule "corvane_add_image(${target})")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${rule}: unknown words ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(word KIND VERSION DEVICE_ID)
    if(NOT DEFINED arg_${word})
      message(FATAL_ERROR "${rule}: ${word} is missing")
    endif()
  endforeach()
  if((DEFINED arg_INPUT AND DEFINED arg_TARGET) OR (NOT DEFINED arg_INPUT AND NOT DEFINED arg_TARGET))
    message(FATAL_ERROR "${rule}: one of INPUT and TARGET is needed, not both")
  endif()
  corvane_check_words("${rule}" "${arg_KIND}" "${arg_VERSION}" "${arg_DEVICE_ID}" "${arg_SIZE}")
  list(FIND CORVANE_KINDS "${arg_KIND}" kind)
  list(GET CORVANE_KIND_FILES ${kind} file_name)

  # Where the image goes, and the build's own files of it.
  corvane_own_file(${CMAKE_CURRENT_BINARY_DIR}/${target} ${file_name} output)
  if(DEFINED arg_OUTPUT)
    corvane_check_name("${rule}" OUTPUT "${arg_OUTPUT}")
    corvane_configurations(configurations)
    list(LENGTH configurations configuration_count)
    string(FIND "${arg_OUTPUT}" "$<CONFIG>" config_at)
    if(configuration_count GREATER 1 AND config_at EQUAL -1)
      message(FATAL_ERROR "${rule}: OUTPUT ${arg_OUTPUT} is one file for every configuration, "
                          "which each would make over the other's: put $<CONFIG> in it")
    endif()
    get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(own ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}.corvane)
  set(words ${own}/words)
  corvane_own_file(${own} record record)

  # The raw image: INPUT, or the executable's bytes, made by a step of its own.
  if(DEFINED arg_TARGET)
    if(NOT TARGET ${arg_TARGET})
      message(FATAL_ERROR "${rule}: TARGET '${arg_TARGET}' is not a target of the build")
    endif()
    if(NOT CMAKE_OBJCOPY)
      message(FATAL_ERROR "${rule}: TARGET needs the toolchain's objcopy (CMAKE_OBJCOPY), which "
                          "the project's toolchain does not name")
    endif()
    corvane_own_file(${own} ${arg_TARGET}.raw input)
    set(made TRUE)
    add_custom_command(OUTPUT ${input}
      COMMAND ${CMAKE_OBJCOPY} -O binary $<TARGET_FILE:${arg_TARGET}> ${input}
      DEPENDS ${arg_TARGET} $<TARGET_FILE:${arg_TARGET}>
      COMMENT "Taking the raw image of ${arg_TARGET} for ${target}"
      VERBATIM)
  else()
    corvane_check_name("${rule}" INPUT "${arg_INPUT}")
    get_filename_component(input "${arg_INPUT}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set(made FALSE)
  endif()

  # An OUTPUT that is INPUT would replace the input with its image, which the next build would
  # stamp again; two images cannot be made into one file, nor an image into the build's own.
  corvane_resolved_for_each("${input}" real_inputs)
  corvane_resolved_for_each("${output}" real_outputs)
  foreach(real_output IN LISTS real_outputs)
    if(real_output IN_LIST real_inputs)
      message(FATAL_ERROR "${rule}: OUTPUT ${output} is INPUT ${input}, which the image would "
                          "replace")
    endif()
  endforeach()
  corvane_configurations(configurations)
  set(own_files)
  foreach(config IN LISTS configurations)
    corvane_manifest_of("${config}" one_manifest)
    corvane_records_of("${config}" one_list)
    corvane_for_configuration("${record}" "${config}" one_record)
    list(APPEND own_files ${one_manifest} ${one_list} ${one_record})
    get_filename_component(record_folder "${one_record}" DIRECTORY)
    file(MAKE_DIRECTORY "${record_folder}")
  endforeach()
  set(real_own)
  foreach(file IN LISTS own_files words)
    corvane_resolved("${file}" real)
    list(APPEND real_own "${real}")
  endforeach()
  corvane_claim_as("${real_own}" "a file of the build's own")
  corvane_claim("${rule}" "${real_outputs}")
  corvane_claim_as("${real_outputs}" "made by corvane_add_image(${target})")

  foreach(real_output IN LISTS real_outputs)
    get_filename_component(folder "${real_output}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
  endforeach()
  # The words in a file of their own, rewritten only when they change, so that a change of the
  # words alone makes the image again, whatever the generator.
  file(CONFIGURE OUTPUT ${words} CONTENT
       "${arg_KIND} ${arg_SIZE} ${arg_VERSION} ${arg_DEVICE_ID} ${input} ${output}\n")
  set(size_words)
  if(NOT "${arg_SIZE}" STREQUAL "")
    set(size_words -s ${arg_SIZE})
  endif()
  set_property(GLOBAL PROPERTY "corvane_stamp_arguments_${output}"
               -t ${arg_KIND} ${size_words} -v ${arg_VERSION} -i ${arg_DEVICE_ID} -- ${input}
               ${output})
  cmake_language(EVAL CODE "
    cmake_language(DEFER CALL corvane_add_image_step [==[${rule}]==] [==[${output}]==]
                   [==[${input}]==] [==[${made}]==] [==[${arg_DEPENDS}]==] [==[${words}]==]
                   [==[${record}]==])")

  add_custom_target(${target} ALL DEPENDS ${output})
  set_target_properties(${target} PROPERTIES CORVANE_IMAGE_FILE ${output})
  # A Corvane built for the build machine by a cross build (see Corvane's CMakeLists.txt) is made
  # by a target of its own first.
  get_target_property(tool_target Corvane::corvane-stamp CORVANE_BUILT_BY)
  if(tool_target)
    add_dependencies(${target} ${tool_target})
  endif()
  foreach(dependency IN LISTS arg_DEPENDS)
    if(TARGET ${dependency})
      add_dependencies(${target} ${dependency})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY corvane_image_targets ${target})

  get_property(manifest_started GLOBAL PROPERTY corvane_image_records SET)
  set_property(GLOBAL APPEND PROPERTY corvane_image_records ${record})
  if(NOT manifest_started)
    cmake_language(DEFER DIRECTORY ${CMAKE_BINARY_DIR} CALL corvane_add_manifest_step)
  endif()
endfunction()

function(corvane_add_check target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "TEST" "" "")
  if(NOT TARGET Corvane::corvane-verify)
    message(FATAL_ERROR "corvane_add_check(${target}): no corvane-verify in this Corvane "
                        "(built without nlohmann-json; Debian: nlohmann-json3-dev)")
  endif()
  corvane_image_manifest(manifest)
  add_custom_target(${target}
    COMMAND $<TARGET_FILE:Corvane::corvane-verify> --check ${manifest}
    COMMENT "Checking every image of the build"
    VERBATIM)
  # The manifest of every image of the build, also those added after this call.
  cmake_language(EVAL CODE "
    cmake_language(DEFER DIRECTORY [==[${CMAKE_BINARY_DIR}]==] CALL corvane_check_depends
                   [==[${target}]==])")
  get_target_property(tool_target Corvane::corvane-verify CORVANE_BUILT_BY)
  if(tool_target)
    add_dependencies(${target} ${tool_target})
  endif()
  if(arg_TEST)
    add_test(NAME ${target}
             COMMAND $<TARGET_FILE:Corvane::corvane-verify> --check ${manifest})
  endif()
endfunction()
function(corvane_check_depends target)
  if(TARGET corvane_images_manifest)
    add_dependencies(${target} corvane_images_manifest)
  endif()
endfunction()

function(corvane_version_word out version)
  if(NOT version MATCHES "^([0-9][0-9]?)\\.([0-9][0-9]?)\\.([0-9][0-9]?)\\.([0-9]+)$"
     OR CMAKE_MATCH_4 GREATER 9999)
    message(FATAL_ERROR "corvane_version_word: '${version}' is not four numbers a.b.c.d, the "
                        "first three of one or two digits, d at most 9999")
  endif()
  set(first_three "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
  # The fourth number in four digits: 305 and 0305 give 0305.
  string(REGEX REPLACE "^0+([0-9])" "\\1" fourth "${CMAKE_MATCH_4}")
  set(fourth "000${fourth}")
  string(REGEX MATCH "....$" fourth "${fourth}")
  set(${out} "${first_three}.${fourth}" PARENT_SCOPE)
endfunction()
