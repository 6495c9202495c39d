# SPDX-License-Identifier: MIT
# Unpacks every .deb in DEBS into one root, DESTINATION, as dpkg would put
# them under /: emptied first, so that nothing of an earlier run stands in
# for a file that a package has lost.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${DESTINATION}")
file(MAKE_DIRECTORY "${DESTINATION}")
foreach(deb IN LISTS DEBS)
  execute_process(COMMAND "${DPKG_DEB}" -x "${deb}" "${DESTINATION}" RESULT_VARIABLE status)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${DPKG_DEB} -x failed on ${deb}")
  endif()
endforeach()
