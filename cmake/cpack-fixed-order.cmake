# SPDX-License-Identifier: MIT
# Run by cpack on the packages it has made, before it copies them out. The
# archives (.tar.gz, .zip) are packed again with their members sorted by
# name, owned by root, at the time SOURCE_DATE_EPOCH, and without the extra
# fields that record the builder's user or time zone: cpack adds the files
# in the order the file system lists them, which differs from one file
# system to another. The .deb files are made again by dpkg-deb (below).
# A failure here does not fail cpack: the reproducibility tests catch it.
include("${CMAKE_CURRENT_LIST_DIR}/fixed-file-metadata.cmake")
set(epoch "$ENV{SOURCE_DATE_EPOCH}")

# The time of every file once more, after a file was written.
function(touch_tree tree)
  incircle_fix_file_metadata("${tree}" "${epoch}")
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status STREQUAL "0")
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}")
  endif()
endfunction()

# A .deb is made again by dpkg-deb from what cpack put in it: cpack counts
# Installed-Size from what the file system reports for folders, which
# differs between file systems, and gives the members of the outer ar
# archive the modes its own files got from the builder's umask. dpkg-deb
# sorts the files, gives them to root, and takes its times from
# SOURCE_DATE_EPOCH; Installed-Size is counted as dpkg-gencontrol counts
# it, each file's size in KiB rounded up, and 1 for anything else.
function(incircle_rebuild_deb deb)
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  find_program(INCIRCLE_DPKG_DEB dpkg-deb REQUIRED)
  run("${INCIRCLE_DPKG_DEB}" --raw-extract "${deb}" "${tree}")
  incircle_fix_file_metadata("${tree}" "${epoch}")
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
  list(FILTER entries EXCLUDE REGEX "^DEBIAN(/|$)")
  set(kibibytes 0)
  foreach(entry IN LISTS entries)
    if(IS_SYMLINK "${tree}/${entry}" OR IS_DIRECTORY "${tree}/${entry}")
      math(EXPR kibibytes "${kibibytes} + 1")
    else()
      file(SIZE "${tree}/${entry}" bytes)
      math(EXPR kibibytes "${kibibytes} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()
  file(READ "${tree}/DEBIAN/control" control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kibibytes}\n" control "${control}")
  file(WRITE "${tree}/DEBIAN/control" "${control}")
  touch_tree("${tree}")
  file(REMOVE "${deb}")
  run("${INCIRCLE_DPKG_DEB}" --root-owner-group --build "${tree}" "${deb}")
  file(REMOVE_RECURSE "${tree}")
endfunction()

foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  if(archive MATCHES "[.]deb$")
    incircle_rebuild_deb("${archive}")
    continue()
  elseif(NOT archive MATCHES "[.](tar[.]gz|zip)$")
    continue()
  endif()
  set(tree "${archive}.members")
  file(REMOVE_RECURSE "${tree}")
  file(MAKE_DIRECTORY "${tree}")
  file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${tree}")
  incircle_fix_file_metadata("${tree}" "${epoch}")
  file(GLOB_RECURSE members LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
  list(SORT members)
  file(REMOVE "${archive}")
  if(archive MATCHES "[.]zip$")
    # Files only: unzip makes their folders. -X leaves out the extra fields
    # of owners and time stamps; the DOS time of each member is taken in UTC.
    set(files "")
    foreach(member IN LISTS members)
      if(NOT IS_DIRECTORY "${tree}/${member}")
        list(APPEND files "${member}")
      endif()
    endforeach()
    list(JOIN files "\n" file_list)
    file(WRITE "${tree}.list" "${file_list}\n")
    find_program(INCIRCLE_ZIP zip REQUIRED)
    set(ENV{TZ} UTC)
    execute_process(COMMAND "${INCIRCLE_ZIP}" -X -D -q -9 "${archive}" -@ WORKING_DIRECTORY "${tree}"
                    INPUT_FILE "${tree}.list" RESULT_VARIABLE status)
    if(NOT status STREQUAL "0")
      message(FATAL_ERROR "zip failed (${status}) on ${archive}")
    endif()
  else()
    list(JOIN members "\n" member_list)
    file(WRITE "${tree}.list" "${member_list}\n")
    find_program(INCIRCLE_TAR tar REQUIRED)
    find_program(INCIRCLE_GZIP gzip REQUIRED)
    run("${INCIRCLE_TAR}" --create --format=gnu --no-recursion --owner=0 --group=0 --numeric-owner
        "--mtime=@${epoch}" "--file=${archive}.tar" -C "${tree}" "--files-from=${tree}.list")
    execute_process(COMMAND "${INCIRCLE_GZIP}" -9n -c INPUT_FILE "${archive}.tar" OUTPUT_FILE "${archive}"
                    RESULT_VARIABLE status)
    if(NOT status STREQUAL "0")
      message(FATAL_ERROR "gzip failed (${status}) on ${archive}")
    endif()
    file(REMOVE "${archive}.tar")
  endif()
  file(REMOVE_RECURSE "${tree}" "${tree}.list")
endforeach()
