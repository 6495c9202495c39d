# SPDX-License-Identifier: MIT
# README's example of the library, taken from README itself: the first C++
# block and the text block after it, the output it shows.
#
# Included, incircle_readme_example(README DIR) writes the two blocks into DIR
# as example.cpp and expected.txt, and renews them when README changes. Run
# with -P, it runs PROGRAM (under EMULATOR) and compares what it writes with
# EXPECTED.
function(incircle_readme_example readme dir)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${readme}")
  file(READ "${readme}" rest)
  # The blocks hold semicolons: each goes into a variable of its own, never a list.
  foreach(kind IN ITEMS cpp text)
    string(FIND "${rest}" "```${kind}\n" start)
    if(start EQUAL -1)
      message(FATAL_ERROR "${readme} has no ${kind} block for its example")
    endif()
    string(LENGTH "```${kind}\n" length)
    math(EXPR start "${start} + ${length}")
    string(SUBSTRING "${rest}" ${start} -1 rest)
    string(FIND "${rest}" "```" end)
    string(SUBSTRING "${rest}" 0 ${end} block_${kind})
    string(SUBSTRING "${rest}" ${end} -1 rest)
  endforeach()
  file(CONFIGURE OUTPUT "${dir}/example.cpp" CONTENT "${block_cpp}" @ONLY)
  file(CONFIGURE OUTPUT "${dir}/expected.txt" CONTENT "${block_text}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${EMULATOR} "${PROGRAM}" OUTPUT_VARIABLE output RESULT_VARIABLE status TIMEOUT 120)
  file(READ "${EXPECTED}" expected)
  string(REPLACE "\r\n" "\n" output "${output}")
  if(NOT status STREQUAL "0" OR NOT output STREQUAL expected)
    message(FATAL_ERROR "README's example ended with ${status} and wrote\n${output}\nwhere README shows\n${expected}")
  endif()
  message(STATUS "README's example writes what README shows")
endif()
