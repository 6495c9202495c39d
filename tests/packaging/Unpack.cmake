# SPDX-License-Identifier: MIT
# Unpacks ARCHIVE into DESTINATION, emptied first: a file left from an
# earlier run must not stand in for one the package has lost.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${DESTINATION}")
file(MAKE_DIRECTORY "${DESTINATION}")
file(ARCHIVE_EXTRACT INPUT "${ARCHIVE}" DESTINATION "${DESTINATION}")
