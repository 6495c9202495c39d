# SPDX-License-Identifier: MIT
# Days from 1970-01-01 to an ISO date, by the proleptic Gregorian calendar.
function(incircle_days_since_1970 iso_date out_var)
  if(NOT iso_date MATCHES "^([0-9]+)-([0-9]+)-([0-9]+)$")
    message(FATAL_ERROR "not a date: ${iso_date}")
  endif()
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "${CMAKE_MATCH_2}")
  math(EXPR day "${CMAKE_MATCH_3}")
  # Counted from March, so that a leap day ends its year.
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR shifted_month "(${month} + 9) % 12")
  math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  set(${out_var} "${days}" PARENT_SCOPE)
endfunction()

# What the packages and the program's own version resource say about the
# project, each read from the one file that states it, so that nothing has
# to be kept in step by hand: the copyright line from LICENSE, the release
# date from CHANGELOG.md's entry for this version.
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" INCIRCLE_COPYRIGHT REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
if(NOT INCIRCLE_COPYRIGHT MATCHES "^Copyright \\(c\\) ([0-9][-0-9, ]*[0-9]) (.+)$")
  message(FATAL_ERROR "LICENSE has no line 'Copyright (c) YEARS HOLDERS'")
endif()
set(INCIRCLE_COPYRIGHT_YEARS "${CMAKE_MATCH_1}")
set(INCIRCLE_AUTHORS "${CMAKE_MATCH_2}")

# A version without its entry in the changelog is not ready to be packaged.
file(STRINGS "${PROJECT_SOURCE_DIR}/CHANGELOG.md" release_heading
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
if(NOT release_heading MATCHES "([0-9-]+)$")
  message(FATAL_ERROR "CHANGELOG.md has no entry '## [${PROJECT_VERSION}] - YYYY-MM-DD'")
endif()
set(INCIRCLE_RELEASE_DATE "${CMAKE_MATCH_1}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE"
                                                               "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
incircle_days_since_1970("${INCIRCLE_RELEASE_DATE}" release_day)
math(EXPR INCIRCLE_RELEASE_EPOCH "${release_day} * 86400")
