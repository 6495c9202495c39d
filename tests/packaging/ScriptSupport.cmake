# SPDX-License-Identifier: MIT
# What the packaging checks' scripts share: their -D arguments, checked, and
# commands run to success.

# Fails, naming the script, unless every variable after its name is defined.
function(require_definitions script)
  foreach(required IN LISTS ARGN)
    if(NOT DEFINED ${required})
      message(FATAL_ERROR "${script} needs -D${required}=...")
    endif()
  endforeach()
endfunction()

# Runs a command, in WORKING_DIRECTORY when one is given, and fails with
# what it wrote unless it succeeds; what it wrote to standard output is left
# in `output`.
function(run)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "WORKING_DIRECTORY" "")
  execute_process(COMMAND ${arg_UNPARSED_ARGUMENTS} WORKING_DIRECTORY "${arg_WORKING_DIRECTORY}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status STREQUAL "0")
    string(REPLACE ";" " " command "${arg_UNPARSED_ARGUMENTS}")
    message(FATAL_ERROR "failed (${status}): ${command}\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()
