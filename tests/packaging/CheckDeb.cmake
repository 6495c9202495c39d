# The .deb's control fields, and its files unpacked into DESTINATION (as
# dpkg would put them under /) for the tests that use them.
cmake_minimum_required(VERSION 3.25)
foreach(field IN ITEMS Package Version Section Maintainer Description Depends)
  execute_process(COMMAND "${DPKG_DEB}" -f "${DEB}" ${field} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR value STREQUAL "")
    message(FATAL_ERROR "${DEB} has no ${field} field")
  endif()
  message(STATUS "${field}: ${value}")
  set(${field} "${value}")
endforeach()
if(NOT Package STREQUAL "incircle" OR NOT Version STREQUAL "${VERSION}")
  message(FATAL_ERROR "expected package incircle ${VERSION}, found ${Package} ${Version}")
endif()
# The program links the C++ runtime dynamically: the package must say so.
foreach(dependency IN ITEMS libc6 libstdc\\+\\+6)
  if(NOT Depends MATCHES "(^|, )${dependency}( |,|$)")
    message(FATAL_ERROR "Depends lacks ${dependency}: ${Depends}")
  endif()
endforeach()

file(REMOVE_RECURSE "${DESTINATION}")
execute_process(COMMAND "${DPKG_DEB}" -x "${DEB}" "${DESTINATION}" RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${DPKG_DEB} -x failed on ${DEB}")
endif()
