# SPDX-License-Identifier: MIT
# Draws one picture and compares it with the committed one, line ends aside
# (a Windows build writes CRLF to standard output).
set(drawn_file "${CMAKE_CURRENT_BINARY_DIR}/${PICTURE}-bisectors.svg")
execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" "${PICTURE}"
  OUTPUT_FILE "${drawn_file}"
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "incircle_pictures ${PICTURE}: exit status ${status}; stderr: ${errors}")
endif()
file(READ "${drawn_file}" drawn)
file(READ "${EXPECTED}" expected)
string(REPLACE "\r\n" "\n" drawn "${drawn}")
string(REPLACE "\r\n" "\n" expected "${expected}")
if(NOT drawn STREQUAL expected)
  message(FATAL_ERROR "${EXPECTED} is not what the code draws now (${drawn_file}). "
                      "Redraw it with: incircle_pictures ${PICTURE} > docs/${PICTURE}-bisectors.svg")
endif()
message(STATUS "${PICTURE}: the committed picture is what the code draws")
