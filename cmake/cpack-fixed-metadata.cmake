# SPDX-License-Identifier: MIT
# Run by cpack on the files it is about to pack.
include("${CMAKE_CURRENT_LIST_DIR}/fixed-file-metadata.cmake")
incircle_fix_file_metadata("${CPACK_TEMPORARY_INSTALL_DIRECTORY}" "$ENV{SOURCE_DATE_EPOCH}")
