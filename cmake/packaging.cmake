# CPack: a .tar.gz and a .deb of everything installed on Linux, and for
# Windows users a .zip of the program and its README alone.
set(INCIRCLE_PACKAGE_DIRECTORY
    "${PROJECT_BINARY_DIR}/packages"
    CACHE PATH "Where cpack leaves the packages")

set(CPACK_PACKAGE_NAME incircle)
set(CPACK_PACKAGE_VENDOR "incircle maintainers")
set(CPACK_PACKAGE_CONTACT "incircle maintainers <maintainers@users.noreply.c-seed-f768af9f.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Can a circle be inscribed in a four-cornered figure?")
set(CPACK_PACKAGE_DESCRIPTION
    "incircle answers whether a circle can be inscribed in a four-cornered figure and
writes Mozhno or Nel'zya. The package also holds the C++20 geometry library
under it: its headers, a CMake package (incircle::geometry) and a pkg-config
file (incircle).")
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
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_OUTPUT_FILE_PREFIX "${INCIRCLE_PACKAGE_DIRECTORY}")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  # The console program, linked statically, and how to use it: nothing a
  # Windows user must install first.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL incircle_Runtime)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR TGZ DEB)
endif()

# One .deb with the program and the library's development files, named and
# versioned the Debian way; its dependencies are what the binaries link to.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
