# The image rules are written once: a kind added to image/image_rules.txt appears in the code's
# table, the CMake package, the Make rules and both completions, and a line that cannot be read
# stops the configure.
#   cmake -DSOURCE=<the source tree> -DOUT=<a scratch folder> -P tests/rules_test.cmake
cmake_minimum_required(VERSION 3.20)
file(READ ${SOURCE}/image/image_rules.txt rules)
# The kind added takes the highest type code no kind has, and a unit of its own.
string(REGEX MATCHALL "\nkind [^\n]*" kinds "${rules}")
string(REGEX REPLACE "\nkind ([a-z0-9_]+) [^;]*" "\\1" words "${kinds}")
list(POP_BACK words last)
string(REGEX REPLACE ".*\nkind [^ ]+ [0-9]+ ([^ ]+)[^\n]*$" "\\1" last_file "${kinds}")
set(code 255)
while("${kinds};" MATCHES "\nkind [a-z0-9_]+ ${code} ")
  math(EXPR code "${code} - 1")
endwhile()
file(WRITE ${OUT}/added.txt "${rules}kind bios2 ${code} bios_2.bin 8192\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DRULES=${OUT}/added.txt -DOUT=${OUT}/added
                        -P ${SOURCE}/cmake/rules.cmake RESULT_VARIABLE status)
foreach(file_and_text IN ITEMS "generated/image/rule_values.h|{\"bios2\", ${code}, \"bios_2.bin\", 8192}"
        "CorvaneRules.cmake|${last} bios2)" "CorvaneRules.cmake|${last_file} bios_2.bin)"
        "CorvaneRules.cmake|set(CORVANE_SIZE_UNIT_bios2 8192)" "CorvaneRules.cmake|set(CORVANE_SIZE_KB_MOST_bios2 4194296)"
        "share/corvane/corvane.mk|corvane_file_bios2 := bios_2.bin" "share/corvane/corvane.mk|corvane_size_unit_bios2 := 8192"
        "share/corvane/corvane.mk|corvane_kind_rule := a kind (" "share/corvane/corvane.mk|${last}, bios2)"
        "CorvaneRules.cmake|set(CORVANE_KIND_RULE [=[a kind ("
        "share/bash-completion/completions/corvane|${last} bios2"
        "share/bash-completion/completions/corvane-verify|${last} bios2")
  string(REPLACE "|" ";" file_and_text "${file_and_text}")
  list(GET file_and_text 0 file)
  list(GET file_and_text 1 text)
  file(READ ${OUT}/added/${file} written)
  string(FIND "${written}" "${text}" at)
  if(NOT status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "${file} does not hold '${text}' (status ${status}):\n${written}")
  endif()
endforeach()

foreach(line IN ITEMS "kind bios 7 bios_2.bin" "kind Bios2 7 x.bin" "device_id 7999" "size_unit 2048"
        "kind bios2 ${code} bios_2.bin 1000"
        "version_fields 1-2 x")
  file(WRITE ${OUT}/wrong.txt "${rules}${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DRULES=${OUT}/wrong.txt -DOUT=${OUT}/wrong
                          -P ${SOURCE}/cmake/rules.cmake RESULT_VARIABLE status ERROR_VARIABLE said)
  string(REGEX REPLACE "[ \n]+" " " said "${said}") # as CMake wraps a long message
  if(status EQUAL 0 OR NOT said MATCHES "wrong.txt:[0-9]+: .*: ${line}")
    message(FATAL_ERROR "'${line}' was taken (status ${status}): ${said}")
  endif()
endforeach()

# The README's table of the kinds and its list of the accepted ids are the rules'.
string(REGEX MATCH "\nsize_unit ([0-9]+)" unit "${rules}")
string(REGEX REPLACE "\nkind ([^ ;]+ [^ ;]+ [^ ;]+)(;|$)" "\nkind \\1 ${CMAKE_MATCH_1}\\2" table "${kinds};")
string(REGEX REPLACE "\nkind ([^ ]+) ([^ ]+) ([^ ]+) ([0-9]+);" "| `\\1` | \\2 | `\\3` | \\4 |\n" table "${table}")
string(PREPEND table "| kind | type code | file | size unit |\n|---|---|---|---|\n")
string(REGEX MATCHALL "\ndevice_id [0-9]+" ids "${rules}")
string(REGEX REPLACE "\ndevice_id ([0-9]+)(;|$)" "\\1\\2" ids "${ids}")
string(REPLACE ";" ", " ids "${ids}")
file(READ ${SOURCE}/README.md readme)
foreach(text "${table}" "accepted device ids (${ids})")
  string(FIND "${readme}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "README.md does not hold what image/image_rules.txt says:\n${text}")
  endif()
endforeach()
