# The build helpers in the shapes products build with, each case a test of the suite:
#   cmake -DCASE=<case> -DCORVANE=<build tree> -DSOURCE=<source tree> -DOUT=<folder> -P helpers.cmake
# A case that cannot run here says "skipped: WHY" and passes as skipped.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(skip why)
  message("skipped: ${why}")
  set(skipped TRUE PARENT_SCOPE)
endfunction()
function(must_work what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(must_fail what expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REPLACE "\n" " " flat "${out}")
  string(REGEX REPLACE " +" " " flat "${flat}")
  if(status EQUAL 0 OR (NOT expected STREQUAL "" AND NOT flat MATCHES "${expected}"))
    message(FATAL_ERROR "${what}: status ${status}, '${expected}' expected in:\n${out}")
  endif()
endfunction()
function(needs program)
  find_program(found_${program} ${program})
  if(NOT found_${program})
    skip("no ${program} here")
    set(skipped TRUE PARENT_SCOPE)
  endif()
endfunction()
set(verify ${CORVANE}/bin/corvane-verify)

# The product of examples/product: a POST_BUILD objcopy with no BYPRODUCTS, TARGET, $<CONFIG>,
# under GENERATOR; built, checked, built again with nothing to do, relinked and stamped again.
function(product generator)
  needs(objcopy)
  if(generator MATCHES Ninja)
    needs(ninja)
  endif()
  if(skipped)
    return()
  endif()
  must_work("configure" ${CMAKE_COMMAND} -S ${SOURCE}/examples/product -B ${OUT}/build
            -G ${generator} -DCorvane_DIR=${CORVANE})
  set(configs Release Debug)
  if(NOT generator MATCHES "Multi-Config")
    set(configs Release)
  endif()
  foreach(config ${configs})
    must_work("build ${config}" ${CMAKE_COMMAND} --build ${OUT}/build --config ${config})
    must_work("check ${config}" ${CMAKE_COMMAND} --build ${OUT}/build --config ${config}
              --target check_images)
  endforeach()
  set(manifest ${OUT}/build/corvane-images.txt)
  if(generator MATCHES "Multi-Config")
    set(manifest ${OUT}/build/corvane-images-Release.txt)
    file(READ ${OUT}/build/corvane-images-Debug.txt debug)
    if(NOT debug MATCHES "firmware - 2\\.1\\.0\\.0305 0x9470 sha256:[0-9a-f]+ firmware/Debug/firmware\\.bin")
      message(FATAL_ERROR "the Debug manifest is\n${debug}")
    endif()
  endif()
  file(READ ${manifest} lines)
  if(NOT lines MATCHES "bios - 1\\.0\\.0\\.2101 8640 sha256:[0-9a-f]+ bios/")
    message(FATAL_ERROR "the manifest is\n${lines}")
  endif()
  if(generator STREQUAL "Ninja")
    must_work("ninja -n" ninja -C ${OUT}/build -n)
    if(NOT out MATCHES "no work to do")
      message(FATAL_ERROR "a second build is not empty:\n${out}")
    endif()
  endif()
  # The executable relinks: both images are made again, and the manifest pins their new bytes.
  must_work("configure again" ${CMAKE_COMMAND} -S ${SOURCE}/examples/product -B ${OUT}/build
            -DCMAKE_C_FLAGS=-DRELINKED)
  must_work("relink" ${CMAKE_COMMAND} --build ${OUT}/build --config Release)
  if(NOT out MATCHES "Stamping .*firmware" OR NOT out MATCHES "Stamping .*bios")
    message(FATAL_ERROR "a relink stamps no image:\n${out}")
  endif()
  must_work("check" ${verify} -q -c ${manifest})
endfunction()

# A cross build of the product with Corvane's sources, the toolchain and the target's flags in the
# environment, which the tools built for the build machine must not take.
function(toolchain_in_environment)
  needs(aarch64-linux-gnu-gcc)
  needs(ninja)
  if(skipped)
    return()
  endif()
  set(flags -mfix-cortex-a53-835769) # the target's, which the build machine's compiler refuses
  set(environment CMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/aarch64-linux-gnu.cmake CFLAGS=${flags}
      CXXFLAGS=${flags} LDFLAGS=-Wl,--fix-cortex-a53-843419)
  must_work("configure" ${CMAKE_COMMAND} -E env ${environment} ${CMAKE_COMMAND}
            -S ${SOURCE}/examples/product -B ${OUT}/build -G Ninja -DCORVANE_SOURCE=${SOURCE})
  if(NOT out MATCHES "Corvane 1\\.0\\.0\\.1003: ")
    message(FATAL_ERROR "the configure does not say which Corvane:\n${out}")
  endif()
  must_work("build" ${CMAKE_COMMAND} -E env ${environment} ${CMAKE_COMMAND} --build ${OUT}/build
            --target check_images)
endfunction()

# Names with blanks, quotes and $ work end to end; a ';', the manifest as OUTPUT, OUTPUT = INPUT
# through a linked folder whose file is not made yet, are refused when the project is configured.
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
  file(WRITE ${OUT}/source/output.txt "x/hba.txt")
  must_work("configure" ${CMAKE_COMMAND} -S ${OUT}/source -B ${OUT}/build -DCorvane_DIR=${CORVANE})
  must_work("build" ${CMAKE_COMMAND} --build ${OUT}/build --target check_images)
  if(NOT EXISTS "${OUT}/build/out dir/it's \"$x\".bin")
    message(FATAL_ERROR "no image with the name given")
  endif()
  file(MAKE_DIRECTORY ${OUT}/build2/not-yet)
  file(CREATE_LINK ${OUT}/build2/not-yet ${OUT}/build2/linked SYMBOLIC)
  # Refused OUTPUTs, and what the refusal says.
  set(outputs "a@b.bin" "${OUT}/build/corvane-images.txt" "out dir/it's \"$x\".bin")
  set(whys "holds a '.'" "is a file of the build's own" "made by corvane_add_image\\(odd\\)")
  foreach(i RANGE 2)
    list(GET outputs ${i} output)
    list(GET whys ${i} why)
    string(REPLACE "@" ";" output "${output}")
    file(WRITE ${OUT}/source/output.txt "${output}")
    must_fail("OUTPUT ${output}" "corvane_add_image\\(also\\): .*${why}"
              ${CMAKE_COMMAND} -S ${OUT}/source -B ${OUT}/build -DCorvane_DIR=${CORVANE})
  endforeach()
  file(WRITE ${OUT}/source2/CMakeLists.txt [=[
cmake_minimum_required(VERSION 3.20)
project(names NONE)
find_package(Corvane 1 REQUIRED)
corvane_add_image(raw KIND bios INPUT ${CMAKE_CURRENT_BINARY_DIR}/not-yet/raw.bin
                  VERSION 1.0.0.2101 DEVICE_ID 8640 OUTPUT linked/raw.bin DEPENDS make_raw)
add_custom_target(make_raw)
]=])
  must_fail("OUTPUT = INPUT through a link" "OUTPUT .* is INPUT .*which the image would replace"
            ${CMAKE_COMMAND} -S ${OUT}/source2 -B ${OUT}/build2 -DCorvane_DIR=${CORVANE})
endfunction()

# The Make rules: hostile words and names refused when the Makefile is read, make -q true after a
# build, a failed run that keeps the old image, the manifest checked.
function(make_rules)
  needs(make)
  if(skipped)
    return()
  endif()
  set(make make -C ${OUT} -f ${SOURCE}/examples/make/Makefile
      CORVANE_MK=${CORVANE}/share/corvane/corvane.mk CORVANE_STAMP=${CORVANE}/bin/corvane-stamp)
  must_work("make" ${make} -j2)
  must_work("make -q" ${make} -q)
  must_work("check" ${verify} -q -c ${OUT}/out/images.txt)
  must_fail("make -q, a word changed" "" ${make} -q FW_DEVICE_ID=0x9470)
  foreach(word_and_why
          "FW_VERSION=1.0.0.0001 -i 8640|VERSION '1.0.0.0001 -i 8640' is not a.b.c.dddd"
          "FW_OUT=out/b`touch PWNED`.bin|OUTPUT 'out/b`touch PWNED`.bin' holds a character"
          "FW_OUT=out/it's.bin|holds a character"
          "FW_SIZE=3|SIZE_KB '3' is not a whole number of 2 KB"
          "FW_SIZE=4194306|SIZE_KB '4194306' is not"
          "FW_OUT=out/bios.bin|is made by another corvane_image already")
    string(REPLACE "|" ";" pair "${word_and_why}")
    list(GET pair 0 word)
    list(GET pair 1 why)
    must_fail("make ${word}" "${why}" ${make} ${word})
  endforeach()
  if(EXISTS ${OUT}/PWNED)
    message(FATAL_ERROR "a name ran a command")
  endif()
  file(SHA256 ${OUT}/out/firmware.bin before)
  must_fail("a run that fails" "longer than the 1976" ${make} FW_SIZE=2)
  file(SHA256 ${OUT}/out/firmware.bin after)
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "a failed run did not keep the old image")
  endif()
endfunction()

if(CASE MATCHES "^product_(.*)$")
  string(REPLACE "_" " " generator "${CMAKE_MATCH_1}")
  product("${generator}")
else()
  cmake_language(CALL ${CASE})
endif()
