# SPDX-License-Identifier: MIT
# Configures, builds and runs tests/consumer against the tree installed in
# PREFIX, through find_package or (with PKG_CONFIG) pkg-config, and checks
# that it linked the library the way that tree offers it: SHARED or not.
# Nothing outside PREFIX may stand in for it: pkg-config searches only
# PREFIX, and the package CMake found must lie inside it. With SOURCE_DIR
# instead of PREFIX, the consumer builds the library as its sub-project
# (through FetchContent, with FETCHCONTENT). Either way the consumer reaches
# PUBLIC_HEADERS as <incircle/NAME> and none of INTERNAL_HEADERS (both
# comma-separated), and an internal header included fails to compile.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(BuildConsumer.cmake CONSUMER_DIR BUILD_DIR GENERATOR CXX OBJDUMP PUBLIC_HEADERS INTERNAL_HEADERS)


set(options -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release "-DCONSUMER_PUBLIC_HEADERS=${PUBLIC_HEADERS}"
            "-DCONSUMER_INTERNAL_HEADERS=${INTERNAL_HEADERS}")
if(DEFINED SOURCE_DIR)
  list(APPEND options "-DCONSUMER_INCIRCLE_SOURCE_DIR=${SOURCE_DIR}")
  if(FETCHCONTENT)
    list(APPEND options -DCONSUMER_USE_FETCHCONTENT=ON)
  endif()
elseif(NOT DEFINED PREFIX)
  message(FATAL_ERROR "BuildConsumer.cmake needs -DPREFIX=... or -DSOURCE_DIR=...")
elseif(PKG_CONFIG)
  file(REAL_PATH "${PREFIX}" PREFIX)
  # lib/pkgconfig, or under a multiarch folder lib/x86_64-linux-gnu/pkgconfig.
  file(GLOB_RECURSE pc_files "${PREFIX}/incircle.pc")
  list(FILTER pc_files INCLUDE REGEX "/pkgconfig/incircle[.]pc$")
  list(LENGTH pc_files count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one incircle.pc under ${PREFIX}, found: ${pc_files}")
  endif()
  cmake_path(GET pc_files PARENT_PATH pc_dir)
  set(ENV{PKG_CONFIG_LIBDIR} "${pc_dir}")
  unset(ENV{PKG_CONFIG_PATH})
  list(APPEND options -DCONSUMER_USE_PKG_CONFIG=ON)
else()
  file(REAL_PATH "${PREFIX}" PREFIX)
  list(APPEND options "-DCMAKE_PREFIX_PATH=${PREFIX}")
endif()

file(REMOVE_RECURSE "${BUILD_DIR}")
run("${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${BUILD_DIR}" -G "${GENERATOR}" ${options})
if(DEFINED PREFIX AND NOT PKG_CONFIG)
  file(STRINGS "${BUILD_DIR}/CMakeCache.txt" found_dir REGEX "^incircle_DIR:")
  if(NOT found_dir MATCHES "=${PREFIX}/")
    message(FATAL_ERROR "find_package found incircle outside ${PREFIX}: ${found_dir}")
  endif()
endif()
run("${CMAKE_COMMAND}" --build "${BUILD_DIR}")

string(REGEX MATCH "^[^,]+" internal "${INTERNAL_HEADERS}")
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target includes_internal
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status STREQUAL "0")
  message(FATAL_ERROR "the consumer could include the internal header ${internal}")
elseif(NOT output MATCHES "${internal}" OR NOT output MATCHES "No such file|not found")
  message(FATAL_ERROR "including ${internal} failed, but not for want of it:\n${output}")
endif()
message(STATUS "${internal} is out of the consumer's reach")

unset(ENV{LD_LIBRARY_PATH})
run("${BUILD_DIR}/consumer")
message(STATUS "${output}")

run("${OBJDUMP}" -p "${BUILD_DIR}/consumer")
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${output}")
if(SHARED AND NOT needed MATCHES "libincircle_geometry\\.so\\.[0-9]+")
  message(FATAL_ERROR "the consumer should have linked the shared library; it needs ${needed}")
elseif(NOT SHARED AND needed MATCHES "incircle")
  message(FATAL_ERROR "the consumer should have linked the static library; it needs ${needed}")
endif()
message(STATUS "${needed}")
