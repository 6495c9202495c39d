# SPDX-License-Identifier: MIT
# What `cmake --install` puts under the prefix: the program, the library, its
# two public headers under include/incircle/, a CMake package that gives
# incircle::geometry and a pkg-config file. The internal headers stay behind:
# the public ones do not include them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(package incircle)

# The installed program finds a shared library beside its prefix, wherever
# the prefix was installed or unpacked to, without LD_LIBRARY_PATH.
if(BUILD_SHARED_LIBS AND NOT WIN32)
  file(RELATIVE_PATH bin_to_lib "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
  if(APPLE)
    set_target_properties(incircle PROPERTIES INSTALL_RPATH "@loader_path/${bin_to_lib}")
  else()
    set_target_properties(incircle PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
  endif()
endif()

install(
  TARGETS incircle incircle_geometry
  EXPORT incircleTargets
  RUNTIME COMPONENT incircle_Runtime
  LIBRARY COMPONENT incircle_Runtime NAMELINK_COMPONENT incircle_Development
  ARCHIVE COMPONENT incircle_Development
  INCLUDES
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")

install(
  FILES ${INCIRCLE_PUBLIC_HEADERS} "${PROJECT_BINARY_DIR}/export/incircle_export.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/incircle"
  COMPONENT incircle_Development)

# What users read: on Windows a short plain-text README and the licence,
# with Windows line ends; elsewhere the README and the licence, and the
# manual page.
if(WIN32)
  configure_file(packaging/windows/README.txt.in "${PROJECT_BINARY_DIR}/doc/README.txt" @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE "${PROJECT_BINARY_DIR}/doc/LICENSE.txt" @ONLY NEWLINE_STYLE CRLF)
  install(
    FILES "${PROJECT_BINARY_DIR}/doc/README.txt"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT incircle_Runtime)
  install(
    FILES "${PROJECT_BINARY_DIR}/doc/LICENSE.txt"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT incircle_Licence)
else()
  install(
    FILES README.md
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT incircle_Runtime)
  install(
    FILES LICENSE
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    COMPONENT incircle_Licence)
  include(cmake/debian-docs.cmake)
endif()

# The CMake package: find_package(incircle 1.0 CONFIG) accepts any 1.x.
set(INCIRCLE_INSTALL_CMAKEDIR
    "${CMAKE_INSTALL_LIBDIR}/cmake/${package}"
    CACHE STRING "Where the CMake package files go, relative to the prefix")
mark_as_advanced(INCIRCLE_INSTALL_CMAKEDIR)

write_basic_package_version_file("${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake"
                                 COMPATIBILITY SameMajorVersion)
install(
  FILES cmake/install-config.cmake
  DESTINATION "${INCIRCLE_INSTALL_CMAKEDIR}"
  RENAME "${package}Config.cmake"
  COMPONENT incircle_Development)
install(
  FILES "${PROJECT_BINARY_DIR}/${package}ConfigVersion.cmake"
  DESTINATION "${INCIRCLE_INSTALL_CMAKEDIR}"
  COMPONENT incircle_Development)
install(
  EXPORT incircleTargets
  NAMESPACE incircle::
  DESTINATION "${INCIRCLE_INSTALL_CMAKEDIR}"
  COMPONENT incircle_Development)

# The pkg-config file finds its prefix from where it lies, so that an
# unpacked archive works wherever it is unpacked.
set(pkgconfig_dir "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
cmake_path(
  RELATIVE_PATH CMAKE_INSTALL_PREFIX
  BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}/${pkgconfig_dir}"
  OUTPUT_VARIABLE pc_to_prefix)
foreach(dir IN ITEMS INCLUDEDIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(pc_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(pc_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
get_target_property(pc_library incircle_geometry OUTPUT_NAME)
if(NOT pc_library)
  set(pc_library incircle_geometry)
endif()
configure_file(cmake/incircle.pc.in "${PROJECT_BINARY_DIR}/${package}.pc" @ONLY)
install(
  FILES "${PROJECT_BINARY_DIR}/${package}.pc"
  DESTINATION "${pkgconfig_dir}"
  COMPONENT incircle_Development)
