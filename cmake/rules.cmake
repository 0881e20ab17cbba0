# The kinds, their file names and the accepted device ids, read from the tables in image/ that the
# tools themselves use, for what sits around the tools: the CMake package, the Make rules and the
# shell completions. So there is one place each rule is written, and nothing here can drift from
# the tools.
file(READ ${PROJECT_SOURCE_DIR}/image/image_kinds.h kinds_text)
string(REGEX MATCHALL "{\"[a-z]+\", [0-9]+, \"[a-z.]+\"}" kind_entries "${kinds_text}")
set(CORVANE_KINDS)
set(CORVANE_KIND_FILES)
foreach(entry ${kind_entries})
  string(REGEX MATCH "{\"([a-z]+)\", [0-9]+, \"([a-z.]+)\"}" entry "${entry}")
  list(APPEND CORVANE_KINDS ${CMAKE_MATCH_1})
  list(APPEND CORVANE_KIND_FILES ${CMAKE_MATCH_2})
endforeach()
file(READ ${PROJECT_SOURCE_DIR}/image/image_rules.h rules_text)
string(REGEX MATCH "accepted_device_ids = {[^}]*}" ids_text "${rules_text}")
# As -i takes them: the digits of the hexadecimal value, 0x8640 as 8640.
string(REGEX MATCHALL "0x[0-9A-Fa-f]+" CORVANE_DEVICE_IDS "${ids_text}")
list(TRANSFORM CORVANE_DEVICE_IDS REPLACE "^0x" "")
if(NOT CORVANE_KINDS OR NOT CORVANE_DEVICE_IDS)
  message(FATAL_ERROR "cmake/rules.cmake no longer finds the kinds in image/image_kinds.h or the "
                      "accepted device ids in image/image_rules.h: read them as those files write them")
endif()
# The strict form of a version text that corvane(1) documents: one or two digits three times,
# then four. corvane itself takes more (and stamps it), so a build checks the text first.
set(CORVANE_VERSION_FORM "^[0-9][0-9]?\\.[0-9][0-9]?\\.[0-9][0-9]?\\.[0-9][0-9][0-9][0-9]$")

string(JOIN " " CORVANE_KIND_WORDS ${CORVANE_KINDS})
string(JOIN " " CORVANE_KIND_FILE_WORDS ${CORVANE_KIND_FILES})
string(JOIN " " CORVANE_DEVICE_ID_WORDS ${CORVANE_DEVICE_IDS})
set(generated "Generated from Corvane's image/image_kinds.h and image/image_rules.h")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/CorvaneRules.cmake @ONLY CONTENT
"# ${generated}.
set(CORVANE_KINDS ${CORVANE_KIND_WORDS})
set(CORVANE_KIND_FILES ${CORVANE_KIND_FILE_WORDS})
set(CORVANE_DEVICE_IDS ${CORVANE_DEVICE_ID_WORDS})
set(CORVANE_VERSION_FORM [=[${CORVANE_VERSION_FORM}]=])
")
set(make_files)
foreach(kind file IN ZIP_LISTS CORVANE_KINDS CORVANE_KIND_FILES)
  string(APPEND make_files "corvane_file_${kind} := ${file}\n")
endforeach()
string(REPLACE "$" "$$" make_version_form "${CORVANE_VERSION_FORM}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/share/corvane/corvane.mk @ONLY CONTENT
"# ${generated}:
# the kinds, the fixed file name of each, the accepted device ids (as corvane -i takes them), and
# the strict form of a version text (an extended regular expression).
corvane_kinds := ${CORVANE_KIND_WORDS}
${make_files}corvane_device_ids := ${CORVANE_DEVICE_ID_WORDS}
corvane_version_form := ${make_version_form}
")
foreach(tool corvane corvane-verify)
  configure_file(packaging/completions/${tool}.in ${PROJECT_BINARY_DIR}/share/bash-completion/completions/${tool} @ONLY)
endforeach()
