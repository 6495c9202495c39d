# SPDX-License-Identifier: MIT
# Every source file that git tracks says under which licence it is, in an
# SPDX-License-Identifier line near its top: C++, CMake, Python, shell
# scripts, and the templates made into source or installed files. JSON,
# which holds no comments, and the prose of the documentation are left out.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(CheckLicenseIdentifiers.cmake GIT SOURCE_DIR)
execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" ls-files OUTPUT_VARIABLE tracked RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "git ls-files failed in ${SOURCE_DIR}")
endif()
string(REPLACE "\n" ";" tracked "${tracked}")

set(sources "")
foreach(path IN LISTS tracked)
  if(path MATCHES "(^|/)CMakeLists[.]txt$|[.](cpp|h|cmake|py)$|[.](cmake|rc|1|pc)[.]in$")
    list(APPEND sources "${path}")
  elseif(EXISTS "${SOURCE_DIR}/${path}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${path}")
    # Scripts without an extension: those that start with #!.
    file(READ "${SOURCE_DIR}/${path}" start LIMIT 2)
    if(start STREQUAL "#!")
      list(APPEND sources "${path}")
    endif()
  endif()
endforeach()

set(unmarked "")
foreach(path IN LISTS sources)
  # A comment line of its own, in the file's language: # , // or .\" (roff).
  file(STRINGS "${SOURCE_DIR}/${path}" head LIMIT_COUNT 3)
  list(FILTER head INCLUDE REGEX "^(#|//|[.][\\\\]\") SPDX-License-Identifier: MIT$")
  if(NOT head)
    list(APPEND unmarked "${path}")
  endif()
endforeach()
list(LENGTH sources checked)
if(NOT checked GREATER 0)
  message(FATAL_ERROR "no source file found among the files git tracks in ${SOURCE_DIR}")
endif()
if(unmarked)
  list(JOIN unmarked "\n  " unmarked)
  message(FATAL_ERROR "no 'SPDX-License-Identifier: MIT' line in the first three lines of:\n  ${unmarked}\n"
                      "scripts/add-license-identifiers adds it")
endif()
message(STATUS "an SPDX-License-Identifier line in each of ${checked} source files")
