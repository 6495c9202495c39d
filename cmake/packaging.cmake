# SPDX-License-Identifier: MIT
# CPack: for Debian a package of the program and one of the library's
# development files; a .tar.gz of everything installed; and for Windows
# users a .zip of the program, a short README and the licence. The same
# commit gives the same bytes in every package, wherever and whenever it is
# built.
set(INCIRCLE_PACKAGE_DIRECTORY
    "${PROJECT_BINARY_DIR}/packages"
    CACHE PATH "Where cpack leaves the packages")

set(CPACK_PACKAGE_NAME "${PROJECT_NAME}")
set(CPACK_PACKAGE_VENDOR "${INCIRCLE_AUTHORS}")
set(CPACK_PACKAGE_CONTACT "${INCIRCLE_AUTHORS}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The archives are named incircle-VERSION-SYSTEM, with win64 for 64-bit
# Windows. Kept apart too: CPack's module reuses its own variable for the
# source package, and the tests need the name.
if(WIN32)
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(system "win${bits}")
else()
  set(system "${CMAKE_SYSTEM_NAME}")
endif()
set(INCIRCLE_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${system}")
set(CPACK_PACKAGE_FILE_NAME "${INCIRCLE_PACKAGE_FILE_NAME}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_OUTPUT_FILE_PREFIX "${INCIRCLE_PACKAGE_DIRECTORY}")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_STRIP_FILES ON)

# Every package is made of components: the archives hold theirs in one
# folder, the .deb files one package per group.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
endif()

# Debian's layout: the program with its manual page, README and licence in
# `incircle`; headers, the static library, the CMake package and incircle.pc
# under the multiarch library folder in `libincircle-dev`. Depends comes from
# what the program links to.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${INCIRCLE_DEBIAN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME "${INCIRCLE_DEBIAN_Runtime_PACKAGE}")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "tell whether a circle can be inscribed in a square
incircle answers whether a circle can be inscribed in the square with
corners (0, 0), (0, 3), (3, 3) and (3, 0), and writes Mozhno (possible) or
Nel'zya (not possible). At a terminal it then waits for one key, so that a
window opened just for it stays open; in scripts and pipelines it does not.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME "${INCIRCLE_DEBIAN_Development_PACKAGE}")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "plane geometry in C++20: inscribed circles of four-cornered figures
The static library under incircle, for C++20 programs: points, exact signs
of cross products, bisectors, crossings of lines, and the test whether a
circle can be inscribed in any four-cornered figure. With its headers
(<incircle/Utmyrectangle.h>), a CMake package (find_package(incircle),
target incircle::geometry) and a pkg-config file (incircle).")

# Which components each generator packs: the Debian folders of copyright and
# changelog only the .deb files; the LICENSE file only the archives, whose
# users have no copyright file.
configure_file("${CMAKE_CURRENT_LIST_DIR}/cpack-per-generator.cmake.in"
               "${PROJECT_BINARY_DIR}/CPackPerGenerator.cmake" @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackPerGenerator.cmake")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/cpack-fixed-metadata.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/cpack-fixed-order.cmake")

include(CPack)
cpack_add_component_group(Program)
cpack_add_component_group(Development)
cpack_add_component(incircle_Runtime GROUP Program)
cpack_add_component(incircle_DebianRuntime GROUP Program)
cpack_add_component(incircle_Development GROUP Development)
cpack_add_component(incircle_DebianDevelopment GROUP Development)
cpack_add_component(incircle_Licence GROUP Program)
