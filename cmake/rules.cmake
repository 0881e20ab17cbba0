# Reads the image rules of image/image_rules.txt (the kinds, their type codes, files and size
# units, the accepted device ids, the header's distance from the end and the version's form)
# and writes them out for whatever uses them, so that each is written once:
#   generated/image/rule_values.h              the tools' code (image/image_kinds.h, device_ids.h)
#   CorvaneRules.cmake                         the CMake package
#   share/corvane/corvane.mk                   Make
#   share/bash-completion/completions/TOOL     bash
# A line it cannot read, or a rule given twice or not at all, stops the configure.
# In a build it writes into the build tree; as a script, into OUT:
#   cmake -DRULES=<a rules file> -DOUT=<folder> -P cmake/rules.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()
get_filename_component(rules_source ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
if(CMAKE_SCRIPT_MODE_FILE)
  set(rules_file ${RULES})
  set(rules_out ${OUT})
else()
  set(rules_file ${PROJECT_SOURCE_DIR}/image/image_rules.txt)
  set(rules_out ${PROJECT_BINARY_DIR})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rules_file}
                                                                 ${rules_source}/packaging/corvane.mk.in)
endif()

function(corvane_rules_refuse number line why)
  message(FATAL_ERROR "${rules_file}:${number}: ${why}: ${line}")
endfunction()
# A size unit, where one is given, is a whole number of KB, up to 1 GB.
function(corvane_rules_unit number line unit)
  if(unit)
    math(EXPR off_kb "${unit} % 1024")
    if(NOT off_kb EQUAL 0 OR unit GREATER 1073741824)
      corvane_rules_refuse(${number} "${line}" "a size unit is a whole number of KB up to 1 GB")
    endif()
  endif()
endfunction()

set(CORVANE_KINDS)
set(CORVANE_TYPE_CODES)
set(CORVANE_KIND_FILES)
set(CORVANE_KIND_UNITS)
set(CORVANE_DEVICE_IDS)
set(number 0)
file(STRINGS ${rules_file} rule_lines)
foreach(line IN LISTS rule_lines)
  math(EXPR number "${number} + 1")
  if(line MATCHES "^(#.*)?$")
    continue()
  elseif(line MATCHES "^kind ([a-z][a-z0-9_]*) ([0-9]+) ([A-Za-z0-9_][A-Za-z0-9_.-]*)( [1-9][0-9]*)?$")
    if(CMAKE_MATCH_1 IN_LIST CORVANE_KINDS OR CMAKE_MATCH_2 IN_LIST CORVANE_TYPE_CODES
       OR CMAKE_MATCH_3 IN_LIST CORVANE_KIND_FILES OR CMAKE_MATCH_2 GREATER 255)
      corvane_rules_refuse(${number} "${line}" "a kind's word, type code (0 to 255) and file are its own")
    endif()
    list(APPEND CORVANE_KINDS ${CMAKE_MATCH_1})
    list(APPEND CORVANE_TYPE_CODES ${CMAKE_MATCH_2})
    list(APPEND CORVANE_KIND_FILES ${CMAKE_MATCH_3})
    string(STRIP "${CMAKE_MATCH_4}" unit)
    corvane_rules_unit(${number} "${line}" "${unit}")
    if(NOT unit)
      set(unit 0) # size_unit's, filled in below
    endif()
    list(APPEND CORVANE_KIND_UNITS ${unit})
  elseif(line MATCHES "^device_id ([89][0-9][0-9][0-9])$")
    if(CMAKE_MATCH_1 IN_LIST CORVANE_DEVICE_IDS)
      corvane_rules_refuse(${number} "${line}" "a device id listed twice")
    endif()
    list(APPEND CORVANE_DEVICE_IDS ${CMAKE_MATCH_1})
  elseif(line MATCHES "^(header_distance|size_unit) ([1-9][0-9]*)$")
    if(DEFINED rule_${CMAKE_MATCH_1})
      corvane_rules_refuse(${number} "${line}" "given twice")
    endif()
    set(rule_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
    if(CMAKE_MATCH_1 STREQUAL "size_unit")
      corvane_rules_unit(${number} "${line}" ${CMAKE_MATCH_2})
    endif()
  elseif(line MATCHES "^version_fields(( [1-9](-[1-9])?)+)$")
    if(DEFINED rule_version_fields)
      corvane_rules_refuse(${number} "${line}" "given twice")
    endif()
    string(STRIP "${CMAKE_MATCH_1}" rule_version_fields)
    separate_arguments(rule_version_fields)
  else()
    corvane_rules_refuse(${number} "${line}" "not a rule")
  endif()
endforeach()
foreach(rule CORVANE_KINDS CORVANE_DEVICE_IDS rule_header_distance rule_size_unit rule_version_fields)
  if(NOT ${rule})
    string(REGEX REPLACE "^(CORVANE_|rule_)" "" rule ${rule})
    message(FATAL_ERROR "${rules_file}: no ${rule}")
  endif()
endforeach()
list(TRANSFORM CORVANE_KIND_UNITS REPLACE "^0$" "${rule_size_unit}")
# The largest size in KB the 32-bit size field holds, in whole units of UNIT bytes.
function(corvane_size_kb_most unit out)
  math(EXPR most "(4294967295 / ${unit} * ${unit}) / 1024")
  set(${out} ${most} PARENT_SCOPE)
endfunction()

# The version's form as an extended regular expression, which CMake, grep -E and bash all read:
# one or two digits as [0-9][0-9]?, four as [0-9][0-9][0-9][0-9].
set(CORVANE_VERSION_FORM "^")
set(cpp_version_fields)
foreach(field IN LISTS rule_version_fields)
  string(REGEX MATCH "^([1-9])-?([1-9]?)$" field "${field}")
  set(least ${CMAKE_MATCH_1})
  set(most ${CMAKE_MATCH_2})
  if(NOT most)
    set(most ${least})
  endif()
  if(NOT CORVANE_VERSION_FORM STREQUAL "^")
    string(APPEND CORVANE_VERSION_FORM "\\.")
  endif()
  foreach(digit RANGE 1 ${most})
    string(APPEND CORVANE_VERSION_FORM "[0-9]")
    if(digit GREATER least)
      string(APPEND CORVANE_VERSION_FORM "?")
    endif()
  endforeach()
  list(APPEND cpp_version_fields "{${least}, ${most}}")
endforeach()
string(JOIN ", " cpp_version_fields ${cpp_version_fields})
string(APPEND CORVANE_VERSION_FORM "$")
# The form in words, for every tool's and helper's refusal: each run of like fields, "one or two
# digits three times, then four".
set(number_words one two three four five six seven eight nine)
set(times_words "" " twice" " three times" " four times" " five times")
set(runs)
set(last "")
set(count 0)
foreach(field IN LISTS rule_version_fields ITEMS end)
  if(count GREATER 0 AND NOT field STREQUAL last)
    string(REGEX MATCH "^([1-9])-?([1-9]?)$" unused "${last}")
    math(EXPR least_at "${CMAKE_MATCH_1} - 1")
    list(GET number_words ${least_at} digits)
    if(CMAKE_MATCH_2)
      math(EXPR most_at "${CMAKE_MATCH_2} - 1")
      list(GET number_words ${most_at} most_word)
      string(APPEND digits " or ${most_word}")
    endif()
    if(NOT runs)
      string(APPEND digits " digits")
    endif()
    math(EXPR times_at "${count} - 1")
    list(GET times_words ${times_at} times)
    list(APPEND runs "${digits}${times}")
    set(count 0)
  endif()
  set(last "${field}")
  math(EXPR count "${count} + 1")
endforeach()
list(JOIN runs ", then " version_rule_words)
set(CORVANE_VERSION_RULE "a.b.c.dddd (${version_rule_words})")
corvane_size_kb_most(${rule_size_unit} CORVANE_SIZE_KB_MOST)
set(CORVANE_HEADER_DISTANCE ${rule_header_distance})
set(CORVANE_SIZE_UNIT ${rule_size_unit})

set(generated "Written by cmake/rules.cmake from image/image_rules.txt: edit the rules there")
set(cpp_kinds)
set(cmake_units)
set(make_units)
set(CORVANE_KINDS_ROFF)
foreach(word code file unit IN ZIP_LISTS CORVANE_KINDS CORVANE_TYPE_CODES CORVANE_KIND_FILES
                                        CORVANE_KIND_UNITS)
  string(APPEND cpp_kinds "    {\"${word}\", ${code}, \"${file}\", ${unit}},\n")
  corvane_size_kb_most(${unit} most)
  string(APPEND cmake_units "set(CORVANE_SIZE_UNIT_${word} ${unit})\nset(CORVANE_SIZE_KB_MOST_${word} ${most})\n")
  math(EXPR unit_kb "${unit} / 1024")
  string(APPEND make_units "corvane_size_unit_${word} := ${unit}\ncorvane_unit_kb_${word} := ${unit_kb}\n"
         "corvane_size_kb_most_${word} := ${most}\n")
  string(APPEND CORVANE_KINDS_ROFF "${word}|${code}|${file}|${unit}\n")
endforeach()
string(STRIP "${CORVANE_KINDS_ROFF}" CORVANE_KINDS_ROFF) # the manual's table of the kinds
string(JOIN ", " CORVANE_KIND_LIST ${CORVANE_KINDS})
# What a kind and a device id must be, in words, for every tool's and helper's refusal.
set(CORVANE_KIND_RULE "a kind (${CORVANE_KIND_LIST})")
string(JOIN ", " id_list ${CORVANE_DEVICE_IDS})
set(CORVANE_DEVICE_ID_RULE "one of ${id_list} (hexadecimal digits, 0x allowed)")
list(TRANSFORM CORVANE_DEVICE_IDS PREPEND "0x" OUTPUT_VARIABLE cpp_ids)
string(JOIN ", " cpp_ids ${cpp_ids})
file(CONFIGURE OUTPUT ${rules_out}/generated/image/rule_values.h @ONLY CONTENT
"// ${generated}.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::rule_values {

struct kind {
    const char* word;
    std::uint8_t type_code;
    const char* file_name;
    std::uint32_t size_unit;
};
inline constexpr kind kinds[] = {
${cpp_kinds}};
inline constexpr std::uint16_t device_ids[] = {${cpp_ids}};
inline constexpr std::size_t header_distance = ${rule_header_distance};
inline constexpr std::uint32_t size_unit = ${rule_size_unit};
inline constexpr unsigned version_fields[][2] = {${cpp_version_fields}};
inline constexpr const char* version_rule = \"${CORVANE_VERSION_RULE}\";
inline constexpr const char* kind_rule = \"${CORVANE_KIND_RULE}\";
inline constexpr const char* device_id_rule = \"${CORVANE_DEVICE_ID_RULE}\";

} // namespace corvane::rule_values
")

string(JOIN " " CORVANE_KIND_WORDS ${CORVANE_KINDS})
string(JOIN " " CORVANE_DEVICE_ID_WORDS ${CORVANE_DEVICE_IDS})
string(JOIN " " kind_files ${CORVANE_KIND_FILES})
file(CONFIGURE OUTPUT ${rules_out}/CorvaneRules.cmake @ONLY CONTENT
"# ${generated}.
set(CORVANE_KINDS ${CORVANE_KIND_WORDS})
set(CORVANE_KIND_FILES ${kind_files})
set(CORVANE_DEVICE_IDS ${CORVANE_DEVICE_ID_WORDS})
set(CORVANE_VERSION_FORM [=[${CORVANE_VERSION_FORM}]=])
set(CORVANE_VERSION_RULE [=[${CORVANE_VERSION_RULE}]=])
set(CORVANE_KIND_RULE [=[${CORVANE_KIND_RULE}]=])
set(CORVANE_DEVICE_ID_RULE [=[${CORVANE_DEVICE_ID_RULE}]=])
set(CORVANE_HEADER_DISTANCE ${rule_header_distance})
set(CORVANE_SIZE_UNIT ${rule_size_unit})
set(CORVANE_SIZE_KB_MOST ${CORVANE_SIZE_KB_MOST})
${cmake_units}")
set(make_files)
foreach(kind file IN ZIP_LISTS CORVANE_KINDS CORVANE_KIND_FILES)
  string(APPEND make_files "corvane_file_${kind} := ${file}\n")
endforeach()
string(REPLACE "$" "$$" make_version_form "${CORVANE_VERSION_FORM}")
file(READ ${rules_source}/packaging/corvane.mk.in make_rule)
file(CONFIGURE OUTPUT ${rules_out}/share/corvane/corvane.mk @ONLY CONTENT
"# corvane.mk: Make rules that stamp images with corvane-stamp. Include it, then add a rule for each
# image (see the end of this file). ${generated}:
# the kinds, the fixed file name of each, the accepted device ids, the strict form of a version
# text (an extended regular expression), what a version, a kind and a device id must be in words,
# the header's distance from the end of an image and the unit of an image's size, in bytes.
corvane_kinds := ${CORVANE_KIND_WORDS}
${make_files}corvane_device_ids := ${CORVANE_DEVICE_ID_WORDS}
corvane_version_form := ${make_version_form}
corvane_version_rule := ${CORVANE_VERSION_RULE}
corvane_kind_rule := ${CORVANE_KIND_RULE}
corvane_device_id_rule := ${CORVANE_DEVICE_ID_RULE}
corvane_header_distance := ${rule_header_distance}
corvane_size_unit := ${rule_size_unit}
${make_units}${make_rule}")
foreach(tool corvane corvane-stamp corvane-verify)
  configure_file(${rules_source}/packaging/completions/${tool}.in
                 ${rules_out}/share/bash-completion/completions/${tool} @ONLY)
endforeach()
