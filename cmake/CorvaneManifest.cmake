# The manifest of a build's images, for `corvane-verify --check`: one line an image,
#   KIND SIZE_KB VERSION DEVICE_ID sha256:HEX PATH
# PATH from the manifest's folder. It is assembled from a plan, written when the project is
# configured (a call of corvane_plan_image() an image, with its kind, SIZE_KB or -, version,
# device id, path, and the record that corvane-stamp --json left of its last run, each in a
# bracket argument), and the records: an image whose record
# is of its words and path is pinned by the SHA-256 the record holds; one not made yet, or whose
# record is of other words, is listed by its words alone until it is made. Assembled when the
# project is configured and after each image is made, written only when it changes, and replaced
# whole, never half written.
#   cmake -DPLAN=<plan> -DMANIFEST=<manifest> -P CorvaneManifest.cmake
include_guard(GLOBAL)

# The device id a word names, as a number; the word as corvane-stamp takes it (8640, 0x8640).
function(corvane_device_id_number word out)
  string(REGEX REPLACE "^0[xX]" "" digits "${word}")
  math(EXPR number "0x${digits}" OUTPUT_FORMAT DECIMAL)
  set(${out} ${number} PARENT_SCOPE)
endfunction()

# The record's SHA-256 where it is of these words and this image, else nothing.
function(corvane_record_digest record kind size_kb version device_id image out)
  set(${out} "" PARENT_SCOPE)
  if(NOT EXISTS "${record}")
    return()
  endif()
  file(READ "${record}" json)
  foreach(key kind version_text size device_id output sha256)
    string(JSON found_${key} ERROR_VARIABLE error GET "${json}" ${key})
    if(error)
      return()
    endif()
  endforeach()
  corvane_device_id_number(${device_id} id)
  if(NOT found_kind STREQUAL kind OR NOT found_version_text STREQUAL version
     OR NOT found_device_id EQUAL id OR NOT found_output STREQUAL image
     OR NOT found_sha256 MATCHES "^[0-9a-f]+$")
    return()
  endif()
  if(NOT size_kb STREQUAL "-")
    math(EXPR bytes "${size_kb} * 1024")
    if(NOT found_size EQUAL bytes)
      return()
    endif()
  endif()
  set(${out} "sha256:${found_sha256} " PARENT_SCOPE)
endfunction()

# One image of the plan, as its line of the manifest.
function(corvane_plan_image kind size_kb version device_id path record)
  corvane_record_digest("${record}" ${kind} ${size_kb} ${version} ${device_id} "${path}" digest)
  get_property(folder GLOBAL PROPERTY corvane_manifest_folder)
  file(RELATIVE_PATH relative "${folder}" "${path}")
  # A path that would read as blanks before it, or as a digest, starts with ./ instead.
  if(relative MATCHES "^[ \t]|^sha256:")
    set(relative "./${relative}")
  endif()
  set_property(GLOBAL APPEND_STRING PROPERTY corvane_manifest_text
               "${kind} ${size_kb} ${version} ${device_id} ${digest}${relative}\n")
endfunction()

function(corvane_assemble_manifest plan manifest)
  get_filename_component(folder "${manifest}" DIRECTORY)
  set_property(GLOBAL PROPERTY corvane_manifest_folder "${folder}")
  set_property(GLOBAL PROPERTY corvane_manifest_text
               "# Written by corvane_add_image(): KIND SIZE_KB VERSION DEVICE_ID sha256:HEX PATH\n")
  include("${plan}")
  get_property(text GLOBAL PROPERTY corvane_manifest_text)
  if(EXISTS "${manifest}")
    file(READ "${manifest}" before)
    if(before STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE "${manifest}.new" "${text}")
  file(RENAME "${manifest}.new" "${manifest}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  corvane_assemble_manifest("${PLAN}" "${MANIFEST}")
endif()
