# SPDX-License-Identifier: MIT
# The build that the packages hold: hardened as Debian hardens its own
# programs, and free of anything that would make two builds of one commit
# differ (the folders they were built in, the time they were linked at).
option(INCIRCLE_PACKAGE_BUILD "Build as the packages are built: hardened and reproducible" OFF)
if(NOT INCIRCLE_PACKAGE_BUILD OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# No build path in the objects: __FILE__, debug information and the
# archive's members name the sources relative to their tree.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=" "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")

if(WIN32)
  # A PE header carries the link time unless told not to.
  add_link_options(LINKER:--no-insert-timestamp)
  return()
endif()

# Debian's hardening: checked string and memory functions (they need an
# optimised build), a guard on every stack frame with an array, format
# strings that cannot be forged, and relocations read-only and resolved
# before the program starts. Executables are position-independent, and the
# static library is too, so that it links into a PIE or a shared object.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if(NOT CMAKE_CXX_FLAGS_${build_type} MATCHES "-O[1-3s]")
  message(FATAL_ERROR "INCIRCLE_PACKAGE_BUILD needs an optimised build for _FORTIFY_SOURCE; "
                      "CMAKE_BUILD_TYPE is '${CMAKE_BUILD_TYPE}'")
endif()
# Level 3 where the compiler has it (g++ 12): it also checks what is read
# into a buffer at an offset known only at run time, as the key wait does;
# level 2 leaves those reads unchecked.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
  set(INCIRCLE_FORTIFY_LEVEL 3)
else()
  set(INCIRCLE_FORTIFY_LEVEL 2)
endif()
add_compile_definitions(_FORTIFY_SOURCE=${INCIRCLE_FORTIFY_LEVEL})
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(LINKER:-z,relro LINKER:-z,now)
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
