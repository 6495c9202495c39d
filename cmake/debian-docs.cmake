# SPDX-License-Identifier: MIT
# The manual page, and what Debian wants in each package's documentation
# folder: the licence in its machine-readable copyright format and the
# changelog, both made from the project's own files. Compressed with gzip -9
# as Debian's tools do, and -n: no name or time stamp in the header.
find_program(INCIRCLE_GZIP gzip REQUIRED)
function(incircle_gzip input output)
  execute_process(COMMAND "${INCIRCLE_GZIP}" -9n -c INPUT_FILE "${input}" OUTPUT_FILE "${output}"
                  RESULT_VARIABLE status)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "gzip failed on ${input}")
  endif()
endfunction()

set(doc_build_dir "${PROJECT_BINARY_DIR}/doc")
configure_file(man/incircle.1.in "${doc_build_dir}/incircle.1" @ONLY)
incircle_gzip("${doc_build_dir}/incircle.1" "${doc_build_dir}/incircle.1.gz")
install(
  FILES "${doc_build_dir}/incircle.1.gz"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
  COMPONENT incircle_Runtime)

# The Debian packages' maintainer needs a mail address, which the project
# has none of: the .invalid domain, reserved never to reach anyone, says so
# until one is given here.
set(INCIRCLE_DEBIAN_MAINTAINER
    "${INCIRCLE_AUTHORS} <incircle-authors@users.invalid>"
    CACHE STRING "The Debian packages' Maintainer field, a name and a mail address")

# Copyright in Debian's format: the licence text as one field, each line
# indented, an empty line written as " .".
file(STRINGS LICENSE licence_lines)
list(FIND licence_lines "${INCIRCLE_COPYRIGHT}" copyright_line)
math(EXPR first_permission_line "${copyright_line} + 2")
list(SUBLIST licence_lines ${first_permission_line} -1 licence_lines)
set(INCIRCLE_LICENSE_PARAGRAPH "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND INCIRCLE_LICENSE_PARAGRAPH " ${line}\n")
endforeach()
string(REGEX REPLACE "\n$" "" INCIRCLE_LICENSE_PARAGRAPH "${INCIRCLE_LICENSE_PARAGRAPH}")
configure_file(packaging/debian/copyright.in "${doc_build_dir}/debian/copyright" @ONLY)

include("${CMAKE_CURRENT_LIST_DIR}/debian-changelog.cmake")
incircle_debian_changelog("${PROJECT_SOURCE_DIR}/CHANGELOG.md" "${doc_build_dir}/debian/changelog" "${PROJECT_NAME}"
                          "${INCIRCLE_DEBIAN_MAINTAINER}")
incircle_gzip("${doc_build_dir}/debian/changelog" "${doc_build_dir}/debian/changelog.gz")

set(INCIRCLE_DEBIAN_Runtime_PACKAGE incircle)
set(INCIRCLE_DEBIAN_Development_PACKAGE libincircle-dev)
# Only the .deb packages hold these: each package its own folder, named
# after the package.
foreach(component IN ITEMS Runtime Development)
  install(
    FILES "${doc_build_dir}/debian/copyright" "${doc_build_dir}/debian/changelog.gz"
    DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/${INCIRCLE_DEBIAN_${component}_PACKAGE}"
    COMPONENT incircle_Debian${component}
    EXCLUDE_FROM_ALL)
endforeach()
