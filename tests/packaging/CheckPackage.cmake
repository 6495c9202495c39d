# SPDX-License-Identifier: MIT
# Lists a package with LIST_COMMAND (tar -t, dpkg-deb -c, unzip -l) and
# checks that it holds every path in REQUIRED, that the only headers in it
# are those REQUIRED names, and that no path matches FORBIDDEN.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(CheckPackage.cmake LIST_COMMAND REQUIRED)

execute_process(COMMAND ${LIST_COMMAND} OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status STREQUAL "0")
  string(REPLACE ";" " " command "${LIST_COMMAND}")
  message(FATAL_ERROR "failed (${status}): ${command}\n${errors}")
endif()
message(STATUS "${listing}")

# Each listing line ends with the path, after a space (dpkg-deb, unzip) or
# alone (tar); dpkg-deb writes "./usr/...".
string(REPLACE "\n" ";" lines "${listing}")
set(paths "")
foreach(line IN LISTS lines)
  if(line MATCHES "([^ ]+)$")
    string(REGEX REPLACE "^\\./" "" path "${CMAKE_MATCH_1}")
    list(APPEND paths "${path}")
  endif()
endforeach()

set(missing "")
foreach(path IN LISTS REQUIRED)
  if(NOT path IN_LIST paths)
    list(APPEND missing "${path}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "missing from the package: ${missing}")
endif()

foreach(path IN LISTS paths)
  if(path MATCHES "\\.(h|hpp)$" AND NOT path IN_LIST REQUIRED)
    message(FATAL_ERROR "a header the package should not hold: ${path}")
  endif()
  if(DEFINED FORBIDDEN AND path MATCHES "${FORBIDDEN}")
    message(FATAL_ERROR "the package should not hold ${path}")
  endif()
endforeach()
message(STATUS "all ${REQUIRED} present")
