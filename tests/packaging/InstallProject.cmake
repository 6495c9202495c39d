# SPDX-License-Identifier: MIT
# Installs the project into PREFIX, afresh. With SOURCE_DIR, it first builds
# the project of its own in BUILD_DIR with the extra cache entries in
# OPTIONS (a shared library, say) and, with ARCHIVE_DIR, also packs that
# build as a .tar.gz and unpacks it there, as a user would.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(InstallProject.cmake BUILD_DIR PREFIX CONFIG)


if(DEFINED SOURCE_DIR)
  file(REMOVE_RECURSE "${BUILD_DIR}")
  run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BUILD_DIR}" -G "${GENERATOR}" ${OPTIONS})
  run("${CMAKE_COMMAND}" --build "${BUILD_DIR}" --config "${CONFIG}" -j 2)
endif()

file(REMOVE_RECURSE "${PREFIX}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${PREFIX}")

if(DEFINED ARCHIVE_DIR)
  file(REMOVE_RECURSE "${ARCHIVE_DIR}")
  file(MAKE_DIRECTORY "${ARCHIVE_DIR}")
  run("${CPACK}" -G TGZ -C "${CONFIG}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${ARCHIVE_DIR}/cpack"
      -D "CPACK_OUTPUT_FILE_PREFIX=${ARCHIVE_DIR}")
  file(GLOB archive "${ARCHIVE_DIR}/*.tar.gz")
  file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${ARCHIVE_DIR}/unpacked")
  file(REMOVE_RECURSE "${ARCHIVE_DIR}/cpack")
endif()
