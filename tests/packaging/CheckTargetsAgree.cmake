# SPDX-License-Identifier: MIT
# A program built with -march=x86-64-v3 (a fused multiply-add, AVX2) against
# a library built for plain x86-64, and the reverse: each builds, links and
# prints what the program built like its library prints. Skipped, and says
# so, where the CPU cannot run x86-64-v3 code.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(CheckTargetsAgree.cmake SOURCE_DIR PROGRAM_DIR WORK_DIR GENERATOR CXX)
file(REMOVE_RECURSE "${WORK_DIR}")

file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CXX}" "${PROGRAM_DIR}/RunsX86_64V3.cpp" -o "${WORK_DIR}/runs-x86-64-v3"
                RESULT_VARIABLE status)
if(status STREQUAL "0")
  execute_process(COMMAND "${WORK_DIR}/runs-x86-64-v3" RESULT_VARIABLE status)
endif()
if(NOT status STREQUAL "0")
  message(STATUS "skipped: this CPU cannot run x86-64-v3 code")
  return()
endif()


set(flavours plain v3)
set(plain_flags "")
set(v3_flags "-march=x86-64-v3")

foreach(library IN LISTS flavours)
  set(build "${WORK_DIR}/library-${library}")
  run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${build}" -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}"
      -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=${${library}_flags}" -DINCIRCLE_BUILD_TESTS=OFF
      -DINCIRCLE_BUILD_BENCHMARKS=OFF -DINCIRCLE_BUILD_PACKAGE_TESTS=OFF)
  run("${CMAKE_COMMAND}" --build "${build}")
  run("${CMAKE_COMMAND}" --install "${build}" --prefix "${WORK_DIR}/prefix-${library}")
endforeach()

foreach(library IN LISTS flavours)
  foreach(program IN LISTS flavours)
    set(build "${WORK_DIR}/program-${program}-library-${library}")
    run("${CMAKE_COMMAND}" -S "${PROGRAM_DIR}" -B "${build}" -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}"
        -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS=${${program}_flags}"
        "-DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix-${library}")
    run("${CMAKE_COMMAND}" --build "${build}")
    run("${build}/agreement")
    set(printed_${program}_${library} "${output}")
  endforeach()
  if(NOT printed_plain_${library} STREQUAL printed_v3_${library})
    file(WRITE "${WORK_DIR}/plain-program.txt" "${printed_plain_${library}}")
    file(WRITE "${WORK_DIR}/v3-program.txt" "${printed_v3_${library}}")
    message(FATAL_ERROR "with the ${library} library, the x86-64-v3 program and the plain one disagree: "
                        "see ${WORK_DIR}/plain-program.txt and v3-program.txt")
  endif()
endforeach()
string(LENGTH "${printed_plain_plain}" length)
message(STATUS "each program agrees with its library, for either CPU: ${length} bytes of results")
if(NOT printed_plain_plain STREQUAL printed_v3_v3)
  message(STATUS "(the two libraries themselves differ, as their CPUs may)")
endif()
