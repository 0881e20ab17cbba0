# The build helpers in the shapes products build with, each case a test of the suite:
#   cmake -DCASE=<case> -DCORVANE=<build tree> -DSOURCE=<source tree> -DOUT=<folder> -P helpers.cmake
# A case that cannot run here says "skipped: WHY" and passes as skipped.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
set(verify ${CORVANE}/bin/corvane-verify)

# Runs the command: it must succeed where EXPECTED is "works", else fail with EXPECTED (a regular
# expression, blanks and line ends folded) in what it printed. What it printed is left in `out`.
function(run expected what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX REPLACE "[ \n]+" " " flat "${out}")
  if(expected STREQUAL "works" AND NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  elseif(NOT expected STREQUAL "works" AND (status EQUAL 0 OR NOT flat MATCHES "${expected}"))
    message(FATAL_ERROR "${what}: status ${status}, '${expected}' expected in:\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
# Ends the case that calls it, skipped, where a program it needs is missing.
macro(skip_without)
  foreach(program ${ARGN})
    find_program(found_${program} ${program})
    if(NOT found_${program})
      message("skipped: no ${program} here")
      return()
    endif()
  endforeach()
endmacro()
function(expect_text file regex)
  file(READ ${file} text)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${file} does not match ${regex}:\n${text}")
  endif()
endfunction()

# The product of examples/product: a POST_BUILD objcopy with no BYPRODUCTS, TARGET, $<CONFIG>,
# under GENERATOR; built, checked, built again with nothing to do, relinked and stamped again.
# Under Ninja with Corvane's sources (add_subdirectory), under the others with its build tree;
# single-config, without a build type under Ninja and with one under Make.
function(product generator)
  skip_without(objcopy)
  if(generator MATCHES "Ninja")
    skip_without(ninja)
  endif()
  set(build ${CMAKE_COMMAND} --build ${OUT}/build --config)
  set(corvane -DCorvane_DIR=${CORVANE})
  if(generator STREQUAL "Ninja")
    set(corvane -DCORVANE_SOURCE=${SOURCE})
  elseif(generator STREQUAL "Unix Makefiles")
    list(APPEND corvane -DCMAKE_BUILD_TYPE=Release)
  endif()
  run(works "configure" ${CMAKE_COMMAND} -S ${SOURCE}/examples/product -B ${OUT}/build
      -G ${generator} ${corvane})
  set(manifest ${OUT}/build/corvane-images.txt)
  if(generator MATCHES "Multi-Config")
    set(manifest ${OUT}/build/corvane-images-Release.txt)
    run(works "build Debug" ${build} Debug)
    run(works "check Debug" ${build} Debug --target check_images)
    expect_text(${OUT}/build/corvane-images-Debug.txt
                "firmware - 2\\.1\\.0\\.0305 9470 sha256:[0-9a-f]+ firmware/Debug/firmware\\.bin")
  endif()
  run(works "build" ${build} Release)
  run(works "check" ${build} Release --target check_images)
  expect_text(${manifest} "bios - 1\\.0\\.0\\.2101 8640 sha256:[0-9a-f]+ bios/")
  if(generator STREQUAL "Ninja")
    run(works "ninja -n" ninja -C ${OUT}/build -n)
    if(NOT out MATCHES "no work to do")
      message(FATAL_ERROR "a second build is not empty:\n${out}")
    endif()
  endif()
  # The executable relinks: both images are made again, and the manifest pins their new bytes.
  run(works "configure again" ${CMAKE_COMMAND} -S ${SOURCE}/examples/product -B ${OUT}/build
      -DCMAKE_C_FLAGS=-DRELINKED)
  run(works "relink" ${build} Release)
  if(NOT out MATCHES "Stamping [^\n]*firmware" OR NOT out MATCHES "Stamping [^\n]*bios")
    message(FATAL_ERROR "a relink stamps no image:\n${out}")
  endif()
  run(works "check" ${verify} -q -c ${manifest})
  # The same words over other bytes: the manifest the build wrote tells.
  file(WRITE ${OUT}/other.raw "other bytes")
  set(bios ${OUT}/build/bios/bios.bin)
  if(generator MATCHES "Multi-Config")
    set(bios ${OUT}/build/bios/Release/bios.bin)
  endif()
  run(works "restamp" ${CORVANE}/bin/corvane-stamp -t bios -v 1.0.0.2101 -i 8640 ${OUT}/other.raw
      ${bios})
  run("INVALID: SHA-256 [0-9a-f]+ found" "check other bytes" ${verify} -c ${manifest})
endfunction()

# A cross build of the product with Corvane's sources, the toolchain and the target's flags in the
# environment (flags the build machine's compiler refuses), which the tools built for the build
# machine must not take.
function(toolchain_in_environment)
  skip_without(aarch64-linux-gnu-gcc ninja)
  set(env ${CMAKE_COMMAND} -E env CMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/aarch64-linux-gnu.cmake
      CFLAGS=-mfix-cortex-a53-835769 CXXFLAGS=-mfix-cortex-a53-835769
      LDFLAGS=-Wl,--fix-cortex-a53-843419)
  run(works "configure" ${env} ${CMAKE_COMMAND} -S ${SOURCE}/examples/product -B ${OUT}/build
      -G Ninja -DCORVANE_SOURCE=${SOURCE})
  if(NOT out MATCHES "Corvane 1\\.0\\.0\\.1003: ")
    message(FATAL_ERROR "the configure does not say which Corvane:\n${out}")
  endif()
  run(works "build" ${env} ${CMAKE_COMMAND} --build ${OUT}/build --target check_images)
endfunction()

# A bare-metal product as vendors' tools generate them: a toolchain file of CMAKE_SYSTEM_NAME
# Generic with forced compilers (the build machine's own stand in for arm-none-eabi-gcc, which
# finds nothing of the build machine's by itself), presets naming it, and Corvane's sources or
# its install, under each generator. The tools and their check are there, and a second build has
# nothing to do.
function(bare_metal_presets)
  skip_without(ninja objcopy)
  file(COPY ${SOURCE}/examples/product/ DESTINATION ${OUT}/src PATTERN build EXCLUDE)
  file(WRITE ${OUT}/src/cmake/gcc-arm-none-eabi.cmake [=[
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_C_COMPILER_FORCED TRUE)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_CXX_COMPILER_FORCED TRUE)
set(CMAKE_OBJCOPY objcopy)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
]=])
  # Corvane's sources under Ninja; its build tree, as an install, under Make and Ninja
  # Multi-Config.
  file(WRITE ${OUT}/src/CMakePresets.json "{ \"version\": 3, \"configurePresets\": [
    { \"name\": \"base\", \"hidden\": true, \"binaryDir\": \"\${sourceDir}/build/\${presetName}\",
      \"toolchainFile\": \"\${sourceDir}/cmake/gcc-arm-none-eabi.cmake\",
      \"cacheVariables\": { \"CMAKE_BUILD_TYPE\": \"Debug\", \"Corvane_DIR\": \"${CORVANE}\" } },
    { \"name\": \"sources\", \"inherits\": \"base\", \"generator\": \"Ninja\",
      \"cacheVariables\": { \"CORVANE_SOURCE\": \"${SOURCE}\" } },
    { \"name\": \"make\", \"inherits\": \"base\", \"generator\": \"Unix Makefiles\" },
    { \"name\": \"multi\", \"inherits\": \"base\", \"generator\": \"Ninja Multi-Config\" } ],
    \"buildPresets\": [ { \"name\": \"sources\", \"configurePreset\": \"sources\" },
      { \"name\": \"make\", \"configurePreset\": \"make\" },
      { \"name\": \"multi\", \"configurePreset\": \"multi\", \"configuration\": \"Debug\" } ] }\n")
  foreach(preset sources make multi)
    execute_process(COMMAND ${CMAKE_COMMAND} --preset ${preset} WORKING_DIRECTORY ${OUT}/src
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR out MATCHES "lacks nlohmann-json")
      message(FATAL_ERROR "configure ${preset}: status ${status}:\n${out}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build --preset ${preset} --target check_images
                    WORKING_DIRECTORY ${OUT}/src RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT out MATCHES "2 files: 2 OK")
      message(FATAL_ERROR "build and check ${preset}: status ${status}:\n${out}")
    endif()
  endforeach()
  run(works "ninja again" ninja -C ${OUT}/src/build/sources)
  if(NOT out MATCHES "ninja: no work to do")
    message(FATAL_ERROR "a second build is not empty:\n${out}")
  endif()
endfunction()

# Names with blanks, quotes and $ work end to end; a ';', the manifest as OUTPUT, one OUTPUT twice,
# OUTPUT = INPUT through a linked folder whose file is not made yet, are refused when the project
# is configured, naming the rule.
function(names)
  file(WRITE ${OUT}/source/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.20)
project(names NONE)
find_package(Corvane 1 REQUIRED)
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/in 'raw' $x.bin" "raw bytes")
corvane_add_image(odd KIND bios INPUT "${CMAKE_CURRENT_BINARY_DIR}/in 'raw' $x.bin"
                  VERSION 1.0.0.2101 DEVICE_ID 0X8640 OUTPUT "out dir/it's \"$x\".bin")
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/output.txt output) # any name, ';' too
corvane_add_image(also KIND hba INPUT "${CMAKE_CURRENT_BINARY_DIR}/in 'raw' $x.bin"
                  VERSION 1.0.0.0001 DEVICE_ID 9310 OUTPUT "${output}")
corvane_add_check(check_images)
]=])
  set(configure ${CMAKE_COMMAND} -S ${OUT}/source -B ${OUT}/build -DCorvane_DIR=${CORVANE})
  file(WRITE ${OUT}/source/output.txt "x/hba.txt")
  run(works "configure" ${configure})
  run(works "build" ${CMAKE_COMMAND} --build ${OUT}/build --target check_images)
  if(NOT EXISTS "${OUT}/build/out dir/it's \"$x\".bin")
    message(FATAL_ERROR "no image with the name given")
  endif()
  # Refused OUTPUTs ("@" for a ';'), and what the refusal says.
  set(outputs "a@b.bin" "${OUT}/build/corvane-images.txt" "out dir/it's \"$x\".bin")
  set(whys "holds a '.'" "is a file of the build's own" "made by corvane_add_image\\(odd\\)")
  foreach(i RANGE 2)
    list(GET outputs ${i} output)
    list(GET whys ${i} why)
    string(REPLACE "@" ";" output "${output}")
    file(WRITE ${OUT}/source/output.txt "${output}")
    run("corvane_add_image\\(also\\): .*${why}" "OUTPUT ${output}" ${configure})
  endforeach()
  file(MAKE_DIRECTORY ${OUT}/build2/not-yet)
  file(CREATE_LINK ${OUT}/build2/not-yet ${OUT}/build2/linked SYMBOLIC)
  file(WRITE ${OUT}/source2/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.20)
project(names NONE)
find_package(Corvane 1 REQUIRED)
corvane_add_image(raw KIND bios INPUT ${CMAKE_CURRENT_BINARY_DIR}/not-yet/raw.bin
                  VERSION 1.0.0.2101 DEVICE_ID 8640 OUTPUT linked/raw.bin DEPENDS make_raw)
add_custom_target(make_raw)
]=])
  run("OUTPUT .* is INPUT .*which the image would replace" "OUTPUT = INPUT through a link"
      ${CMAKE_COMMAND} -S ${OUT}/source2 -B ${OUT}/build2 -DCorvane_DIR=${CORVANE})
endfunction()

# Under a multi-config generator an OUTPUT without $<CONFIG> is refused at configure; with it,
# each configuration makes and checks its own, and a configuration never built has no manifest.
function(multi_config_output)
  skip_without(ninja)
  file(WRITE ${OUT}/raw.bin "raw image")
  file(WRITE ${OUT}/source/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.20)
project(multi NONE)
find_package(Corvane 1 REQUIRED)
corvane_add_image(bios KIND bios INPUT ${RAW} VERSION 1.0.0.2101 DEVICE_ID 8640 OUTPUT ${OUTPUT})
corvane_add_check(check_images)
]=])
  set(configure ${CMAKE_COMMAND} -S ${OUT}/source -B ${OUT}/build -G "Ninja Multi-Config"
      -DCorvane_DIR=${CORVANE} -DRAW=${OUT}/raw.bin)
  run("corvane_add_image\\(bios\\): OUTPUT images/bios.bin is one file for every configuration.* put \\$<CONFIG> in it"
      "OUTPUT shared" ${configure} -DOUTPUT=images/bios.bin)
  run(works "configure" ${configure} "-DOUTPUT=images/$<CONFIG>/bios.bin")
  run(works "check Debug" ${CMAKE_COMMAND} --build ${OUT}/build --config Debug --target check_images)
  run(works "check Release" ${CMAKE_COMMAND} --build ${OUT}/build --config Release
      --target check_images)
  expect_text(${OUT}/build/corvane-images-Release.txt
              "bios - 1\\.0\\.0\\.2101 8640 sha256:[0-9a-f]+ images/Release/bios\\.bin\n$")
  if(EXISTS ${OUT}/build/corvane-images-RelWithDebInfo.txt)
    message(FATAL_ERROR "a manifest of a configuration never built")
  endif()
endfunction()

# One image's step run twice at once (two builds of one tree, as a build killed and run again
# while its steps still run): both end well, and the image and its manifest are whole.
function(image_step_twice)
  skip_without(sh)
  file(WRITE ${OUT}/raw.bin "raw image")
  file(WRITE ${OUT}/source/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.20)
project(twice NONE)
find_package(Corvane 1 REQUIRED)
corvane_add_image(bios KIND bios INPUT ${RAW} VERSION 1.0.0.2101 DEVICE_ID 8640)
]=])
  run(works "configure" ${CMAKE_COMMAND} -S ${OUT}/source -B ${OUT}/build -G "Unix Makefiles"
      -DCorvane_DIR=${CORVANE} -DRAW=${OUT}/raw.bin)
  foreach(round RANGE 9)
    file(WRITE ${OUT}/raw.bin "raw image ${round}")
    # At once: the first's output to a file, not into the pipe to the second, which ends first.
    execute_process(COMMAND sh -c "exec \"$0\" --build \"$1\" > \"$1/first.log\" 2>&1"
                            ${CMAKE_COMMAND} ${OUT}/build
                    COMMAND ${CMAKE_COMMAND} --build ${OUT}/build
                    RESULTS_VARIABLE statuses OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT statuses STREQUAL "0;0")
      file(READ ${OUT}/build/first.log first)
      message(FATAL_ERROR "round ${round}: statuses ${statuses}:\n${first}\n${out}")
    endif()
    run(works "check" ${verify} -q -c ${OUT}/build/corvane-images.txt)
  endforeach()
endfunction()

# The Make rules: hostile words and names refused when the Makefile is read, make -q true after a
# build, a failed run that keeps the old image, the manifest checked.
function(make_rules)
  skip_without(make)
  set(make make -C ${OUT} -f ${SOURCE}/examples/make/Makefile
      CORVANE_MK=${CORVANE}/share/corvane/corvane.mk CORVANE_STAMP=${CORVANE}/bin/corvane-stamp)
  run(works "make" ${make} -j2)
  run(works "make -q" ${make} -q)
  run(works "check" ${verify} -q -c ${OUT}/out/images.txt)
  run("" "make -q, a word changed" ${make} -q FW_DEVICE_ID=0x9470)
  set(words "FW_VERSION=1.0.0.0001 -i 8640" "FW_OUT=out/b`touch PWNED`.bin" "FW_OUT=out/it's.bin"
      FW_SIZE=3 FW_SIZE=4194306 FW_OUT=out/bios.bin FW_DEVICE_ID=% FW_OUT=-x.bin
      FW_OUT=out/a=b.bin FW_OUT=raw/firmware.bin)
  set(whys "VERSION '1.0.0.0001 -i 8640' is not a.b.c.dddd" "holds a character other than"
      "holds a character other than" "SIZE_KB '3' is not a whole number of 2 KB"
      "SIZE_KB '4194306' is not" "is made by another corvane_image already"
      "DEVICE_ID '%' is not one of" "OUTPUT '-x.bin' holds .* or starts with -"
      "OUTPUT 'out/a=b.bin' holds a character other than" "OUTPUT is INPUT raw/firmware.bin")
  foreach(i RANGE 9)
    list(GET words ${i} word)
    list(GET whys ${i} why)
    run("${why}" "make ${word}" ${make} ${word})
  endforeach()
  if(EXISTS ${OUT}/PWNED)
    message(FATAL_ERROR "a name ran a command")
  endif()
  file(SHA256 ${OUT}/out/firmware.bin before)
  run("longer than the 1976" "a run that fails" ${make} FW_SIZE=2)
  file(SHA256 ${OUT}/out/firmware.bin after)
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "a failed run did not keep the old image")
  endif()
  # The manifest names its images from its own folder: copied with them, it checks the copies.
  file(COPY ${OUT}/out/ DESTINATION ${OUT}/artifacts)
  file(REMOVE_RECURSE ${OUT}/out)
  run(works "check the copies" ${verify} -q -c ${OUT}/artifacts/images.txt)
endfunction()

# The example's Makefile run in a folder whose name holds a blank, quotes, ';' and '$': it builds
# and checks its images, and no part of the name runs as a command.
function(make_hostile_folder)
  skip_without(make)
  set(folder "${OUT}/a';touch PWNED;'b \"c\" $x")
  file(MAKE_DIRECTORY "${folder}")
  # Not through run(), whose arguments are a list, which a ';' would split.
  execute_process(COMMAND make -f ${SOURCE}/examples/make/Makefile
                          CORVANE_MK=${CORVANE}/share/corvane/corvane.mk
                          CORVANE_STAMP=${CORVANE}/bin/corvane-stamp
                  COMMAND_ECHO NONE WORKING_DIRECTORY "${folder}" RESULT_VARIABLE made
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  execute_process(COMMAND ${verify} -q -c out/images.txt WORKING_DIRECTORY "${folder}"
                  RESULT_VARIABLE checked OUTPUT_VARIABLE checked_out ERROR_VARIABLE checked_out)
  if(NOT made EQUAL 0 OR NOT checked EQUAL 0)
    message(FATAL_ERROR "make ${made}, check ${checked}:\n${out}${checked_out}")
  endif()
  file(GLOB_RECURSE pwned "${OUT}/*PWNED")
  if(pwned)
    message(FATAL_ERROR "the folder's name ran a command: ${pwned}")
  endif()
endfunction()

# The rules included and called at the top of a Makefile, before its own first rule: make with no
# goal builds the Makefile's own default goal, not an image's words.
function(make_default_goal)
  skip_without(make)
  file(WRITE ${OUT}/raw.bin "raw image\n")
  file(WRITE ${OUT}/Makefile "include ${CORVANE}/share/corvane/corvane.mk\n"
       "$(eval $(call corvane_image,out/a.bin,raw.bin,bios,,1.0.0.2101,8640))\n"
       "$(eval $(call corvane_manifest,out/images.txt))\n"
       "all: out/images.txt\n\t@echo the project goal > $@.made\n")
  run(works "make" make -C ${OUT} CORVANE_STAMP=${CORVANE}/bin/corvane-stamp)
  expect_text(${OUT}/all.made "^the project goal\n$")
  run(works "check" ${verify} -q -c ${OUT}/out/images.txt)
endfunction()

# A stamp that fails shows corvane-stamp's own message, not a shell's; a recipe killed once the new
# image is in place leaves it there, where make would delete the target of a killed recipe.
function(make_failures)
  skip_without(make bash)
  set(stamp CORVANE_STAMP=${CORVANE}/bin/corvane-stamp)
  file(WRITE ${OUT}/raw.bin "raw image\n")
  file(WRITE ${OUT}/Makefile "include ${CORVANE}/share/corvane/corvane.mk\n"
       "$(eval $(call corvane_image,ro/a.bin,raw.bin,bios,,1.0.0.2101,8640))\n"
       "V = 1.0.0.2101\n$(eval $(call corvane_image,b.bin,raw.bin,bios,,$(V),8640))\n")
  file(MAKE_DIRECTORY ${OUT}/ro)
  file(CHMOD ${OUT}/ro PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
       WORLD_EXECUTE)
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(uid STREQUAL "0") # to whom a folder's permissions do not apply
    skip_without(setpriv)
    set(user setpriv --reuid=65534 --regid=65534 --clear-groups)
    file(CHMOD ${OUT} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE
         GROUP_EXECUTE WORLD_READ WORLD_WRITE WORLD_EXECUTE)
  endif()
  run("^[^ ]*/corvane-stamp --record 'ro/a.bin.corvane-record' --words 'ro/a.bin.corvane-words' .* corvane-stamp: ro/a.bin: cannot make a new file beside it: Permission denied make: "
      "a read-only folder" ${user} make -C ${OUT} --no-print-directory ro/a.bin ${stamp})
  run(works "make" make -C ${OUT} b.bin ${stamp})
  file(SHA256 ${OUT}/b.bin old)
  file(WRITE ${OUT}/slow/corvane-stamp "#!/bin/sh\n${CORVANE}/bin/corvane-stamp \"$@\" && "
       ": > ${OUT}/stamped && exec sleep 10\n")
  file(CHMOD ${OUT}/slow/corvane-stamp PERMISSIONS OWNER_READ OWNER_EXECUTE)
  # A Ctrl-C once the image is in place (bash, whose job control gives make a group of its own
  # where the signal is not ignored), make's share first: where make and its recipe die at
  # once, make may lose the race for its child's status ("wait: No child processes").
  file(WRITE ${OUT}/interrupt.sh "set -m\n\"$@\" & job=$!\n"
       "for n in {1..100}; do [ -e ${OUT}/stamped ] && break; sleep 0.1; done\n"
       "kill -INT $job; sleep 0.5; kill -INT -- -$job; wait $job\n")
  # Other words, so that the image is made again whatever the clock's grain.
  run("Interrupt" "a killed recipe" bash ${OUT}/interrupt.sh make -C ${OUT} b.bin V=1.0.0.2102
      CORVANE_STAMP=${OUT}/slow/corvane-stamp)
  run(works "the image left" ${verify} -q ${OUT}/b.bin)
  file(SHA256 ${OUT}/b.bin new)
  if(new STREQUAL old)
    message(FATAL_ERROR "the killed recipe's new image is not in place")
  endif()
endfunction()

if(CASE MATCHES "^product_(.*)$")
  string(REPLACE "_" " " generator "${CMAKE_MATCH_1}")
  product("${generator}")
else()
  cmake_language(CALL ${CASE})
endif()
