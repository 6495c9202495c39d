# SPDX-License-Identifier: MIT
# The manual page as man(1) shows it: rendered from PAGE without a warning
# from groff, with its sections in order, and saying what the program
# answers, in which version.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(CheckManPage.cmake MAN PAGE VERSION)
if(NOT EXISTS "${PAGE}")
  message(FATAL_ERROR "no manual page at ${PAGE}")
endif()
set(ENV{MANWIDTH} 80)
set(ENV{LC_ALL} C.UTF-8)
execute_process(COMMAND "${MAN}" --warnings -P cat -l "${PAGE}" OUTPUT_VARIABLE page ERROR_VARIABLE warnings
                RESULT_VARIABLE status)
message(STATUS "${page}")
if(NOT status STREQUAL "0" OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "man -l failed (${status}) or warned on ${PAGE}:\n${warnings}")
endif()

set(sections "NAME" "SYNOPSIS" "DESCRIPTION" "OUTPUT" "EXIT STATUS" "WAITING FOR A KEY" "SIGNALS AND JOB CONTROL"
             "FILES" "EXAMPLES")
set(rest "${page}")
foreach(section IN LISTS sections)
  string(FIND "${rest}" "\n${section}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the manual page lacks the section ${section}, or has it out of order")
  endif()
  string(SUBSTRING "${rest}" ${at} -1 rest)
endforeach()

foreach(phrase IN ITEMS "INCIRCLE(1)" "incircle ${VERSION}" "Mozhno" "Nel'zya")
  string(FIND "${page}" "${phrase}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the manual page does not say '${phrase}'")
  endif()
endforeach()
