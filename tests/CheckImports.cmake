# SPDX-License-Identifier: MIT
# A Windows program that needs MinGW's runtime DLLs beside it does not start
# on a bare Windows: every library but the system's must be linked in.
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${OBJDUMP} failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
message(STATUS "imports: ${imports}")
foreach(import IN LISTS imports)
  if(import MATCHES "lib(stdc\\+\\+|gcc|winpthread)")
    message(FATAL_ERROR "${PROGRAM} needs a MinGW runtime DLL: ${import}")
  endif()
endforeach()
