# SPDX-License-Identifier: MIT
# Runs the program with arguments and no terminal, and checks that it writes
# exactly one verdict line and ends with status 0 without waiting for a key.
# The output goes through a file, because a captured variable would lose the
# carriage return of a Windows line end.
if(LINE_END STREQUAL "CRLF")
  set(line_end_hex "0d0a")
else()
  set(line_end_hex "0a")
endif()
set(output_file "${CMAKE_CURRENT_BINARY_DIR}/program-output.txt")

execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" --help "Nel'zya" 42
  INPUT_FILE /dev/null
  OUTPUT_FILE "${output_file}"
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)

if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, expected 0; stderr: ${errors}")
endif()
file(READ "${output_file}" output HEX)
string(HEX "Mozhno" verdict_hex)
if(NOT output STREQUAL "${verdict_hex}${line_end_hex}")
  message(FATAL_ERROR "standard output was ${output} in hex, expected ${verdict_hex}${line_end_hex}")
endif()
message(STATUS "Mozhno, status 0")
