# SPDX-License-Identifier: MIT
# Debian's own checker on the .deb files: no error, no warning, and no
# hardening tag of any severity. Without lintian the check cannot be made,
# and fails rather than pass unseen.
cmake_minimum_required(VERSION 3.25)
if(NOT LINTIAN)
  message(FATAL_ERROR "lintian is not installed (apt-get install lintian): the packages cannot be checked")
endif()
execute_process(COMMAND "${LINTIAN}" -I --no-tag-display-limit ${DEBS} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                RESULT_VARIABLE status)
message(STATUS "lintian -I:\n${output}${errors}")
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]+" rejected "${output}")
string(REGEX MATCHALL "[^\n]*hardening-[^\n]+" hardening "${output}")
if(rejected OR hardening)
  message(FATAL_ERROR "lintian finds fault with the packages:${rejected}\n${hardening}")
endif()
# Exit status 1 means tags at the fail-on level (errors); anything else is
# lintian itself failing.
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "lintian failed (${status})")
endif()
