# Runs the program with arguments and no terminal, and checks that it writes
# exactly one verdict line and ends with status 0 without waiting for a key.
if(LINE_END STREQUAL "CRLF")
  string(ASCII 13 10 line_end)
else()
  string(ASCII 10 line_end)
endif()

if(CMAKE_HOST_WIN32)
  set(null_device NUL)
else()
  set(null_device /dev/null)
endif()

execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" --help "Nel'zya" 42
  INPUT_FILE "${null_device}"
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)

if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, expected 0; stderr: ${errors}")
endif()
if(NOT output STREQUAL "Mozhno${line_end}")
  string(HEX "${output}" hex)
  message(FATAL_ERROR "standard output was [${output}] (hex ${hex}), expected the line Mozhno")
endif()
message(STATUS "Mozhno, status 0")
