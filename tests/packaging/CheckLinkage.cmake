# SPDX-License-Identifier: MIT
# The installed program of a shared build loads the library through a path
# relative to itself, so that it runs from wherever its prefix lies.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${OBJDUMP} failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "(NEEDED|RUNPATH|RPATH) +[^\n]+" entries "${headers}")
message(STATUS "${entries}")
if(NOT entries MATCHES "NEEDED +libincircle_geometry\\.so\\.[0-9]+")
  message(FATAL_ERROR "${PROGRAM} does not load the shared library")
endif()
if(NOT entries MATCHES "(RUNPATH|RPATH) +\\$ORIGIN/${BIN_TO_LIB}(;|$)")
  message(FATAL_ERROR "${PROGRAM} finds its library by no path relative to itself, \$ORIGIN/${BIN_TO_LIB}")
endif()
