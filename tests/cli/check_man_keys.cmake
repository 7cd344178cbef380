# SPDX-License-Identifier: MIT
# The manual page lists exactly the keys `tovrik-cli help settings` prints, in its order.
# Usage: cmake -DCLI=<tovrik-cli> [-DEMULATOR=<wine>] -DMAN=<tovrik-cli.1> -P check_man_keys.cmake
execute_process(COMMAND ${EMULATOR} ${CLI} help settings
  OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tovrik-cli help settings ended with ${rc}")
endif()
string(REGEX MATCHALL "\n  [a-z0-9_.]+ \\(" matches "${help}")
set(listed "")
foreach(m ${matches})
  string(REGEX REPLACE "\n  ([a-z0-9_.]+) \\(" "\\1" key "${m}")
  list(APPEND listed ${key})
endforeach()

file(READ ${MAN} page)
string(FIND "${page}" "\n.SH SETTINGS\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${MAN} has no SETTINGS section")
endif()
string(SUBSTRING "${page}" ${start} -1 page)
string(REGEX MATCH "\n\\.SH SETTINGS\n(.*)" section "${page}")
string(REGEX REPLACE "\n\\.SH [A-Z].*" "" section "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "\\.TP\n\\.B [a-z0-9_.]+\n" entries "${section}")
set(documented "")
foreach(e ${entries})
  string(REGEX REPLACE "\\.TP\n\\.B ([a-z0-9_.]+)\n" "\\1" key "${e}")
  list(APPEND documented ${key})
endforeach()

list(LENGTH listed count)
if(count LESS 100)
  message(FATAL_ERROR "help settings listed only ${count} keys:\n${help}")
endif()
if(NOT "${listed}" STREQUAL "${documented}")
  message(FATAL_ERROR "The manual page's SETTINGS differ from tovrik-cli help settings:\n"
    "  help:   ${listed}\n  manual: ${documented}")
endif()
message(STATUS "check_man_keys: ${count} keys, the same in both")
