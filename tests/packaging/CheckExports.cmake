# SPDX-License-Identifier: MIT
# A shared library exports what its public headers mark with INCIRCLE_EXPORT,
# all of it, and nothing else: no helper of the internal headers, no inline
# function, no template instance.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake")
require_definitions(CheckExports.cmake LIBRARY INCLUDE_DIR)

file(GLOB headers "${INCLUDE_DIR}/*.h")
list(FILTER headers EXCLUDE REGEX "/incircle_export[.]h$")
set(declared "")
foreach(header IN LISTS headers)
  file(READ "${header}" text)
  # The declarations may span lines; the name is the last word before "(".
  string(REGEX MATCHALL "INCIRCLE_EXPORT[^;(]*[(]" marked "${text}")
  foreach(declaration IN LISTS marked)
    string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)[ \t\n]*[(]$" name "${declaration}")
    list(APPEND declared "${CMAKE_MATCH_1}")
  endforeach()
endforeach()
list(SORT declared)
if(NOT declared)
  message(FATAL_ERROR "no declaration marked INCIRCLE_EXPORT in ${INCLUDE_DIR}")
endif()

# An ELF library's dynamic symbols come from nm; a DLL's exports from the
# export table that objdump prints, demangled by c++filt.
if(LIBRARY MATCHES "[.]dll$")
  execute_process(COMMAND "${OBJDUMP}" -p "${LIBRARY}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([ \t]+\\[ *[0-9]+\\] [^\n]+\n)*)" table "${headers}")
  string(REGEX MATCHALL "[^ \t\n]+\n" mangled "${CMAKE_MATCH_1}")
  string(REPLACE "\n" "" mangled "${mangled}")
  execute_process(COMMAND "${CXXFILT}" ${mangled} OUTPUT_VARIABLE symbols)
else()
  execute_process(COMMAND "${NM}" -D --defined-only -C "${LIBRARY}" OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  # "address type name": the loader's own _init and _fini belong to every
  # shared object.
  string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" lines "${listing}")
  list(TRANSFORM lines REPLACE "^[0-9a-f]+ [A-Za-z] " "")
  list(FILTER lines EXCLUDE REGEX "^_(init|fini)$")
  list(JOIN lines "\n" symbols)
endif()
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "cannot list the symbols of ${LIBRARY}")
endif()

string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" symbols "${symbols}")
set(exported "")
set(unexpected "")
foreach(symbol IN LISTS symbols)
  if(symbol MATCHES "([A-Za-z_][A-Za-z0-9_]*)[(]" AND CMAKE_MATCH_1 IN_LIST declared)
    list(APPEND exported "${CMAKE_MATCH_1}")
  else()
    list(APPEND unexpected "${symbol}")
  endif()
endforeach()
list(REMOVE_DUPLICATES exported)
list(SORT exported)

message(STATUS "exported: ${exported}")
if(unexpected)
  string(REPLACE ";" "\n  " unexpected "${unexpected}")
  message(FATAL_ERROR "${LIBRARY} exports what no public header marks for export:\n  ${unexpected}")
endif()
if(NOT exported STREQUAL declared)
  message(FATAL_ERROR "marked for export: ${declared}; exported: ${exported}")
endif()
