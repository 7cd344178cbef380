# SPDX-License-Identifier: MIT
# Fails when a source file includes a folder above its own. The layers, lowest
# first; a file in one may include its own layer and those before it:
set(TOVRIK_LAYERS platform resources device config formats services pages app session script)
# The front ends (cli/, gui/, win32/) sit above all of them and may include any.
#
# Platform libraries are confined too: Qt only in gui/, hidapi only in
# src/device/hidapi/, Win32 headers only in src/device/win32/, win32/ and
# src/platform/win32/ (the Windows variants of the platform services) and cli/win32/.
#
# Usage: cmake -DSOURCE_DIR=<tree with src/> -P check_layers.cmake

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
  ${SOURCE_DIR}/cli/*.h ${SOURCE_DIR}/cli/*.cpp
  ${SOURCE_DIR}/gui/*.h ${SOURCE_DIR}/gui/*.cpp
  ${SOURCE_DIR}/win32/*.h ${SOURCE_DIR}/win32/*.cpp)

set(violations "")
foreach(file ${sources})
  string(REGEX MATCH "^src/([^/]+)/" in_src "${file}")
  set(own_rank "")
  if(in_src)
    list(FIND TOVRIK_LAYERS "${CMAKE_MATCH_1}" own_rank)
    if(own_rank EQUAL -1)
      string(APPEND violations "  ${file}: its folder src/${CMAKE_MATCH_1} is not a known layer\n")
      continue()
    endif()
  endif()

  file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" target "${line}")

    if(target MATCHES "^Q[A-Za-z]*(/|$)" AND NOT file MATCHES "^gui/")
      string(APPEND violations "  ${file}: includes Qt (${target}) outside gui/\n")
    endif()
    if(target MATCHES "^hidapi" AND NOT file MATCHES "^src/device/hidapi/")
      string(APPEND violations "  ${file}: includes hidapi (${target}) outside src/device/hidapi/\n")
    endif()
    if(target MATCHES "^(windows|setupapi|hidsdi|hidpi|commctrl|commdlg|shellapi|io)\\.h$"
       AND NOT file MATCHES "^(src/device/win32|src/platform/win32|win32|cli/win32)/")
      string(APPEND violations "  ${file}: includes Win32 (${target}) outside the Windows folders\n")
    endif()

    if(NOT own_rank STREQUAL "" AND target MATCHES "^([a-z_]+)/")
      list(FIND TOVRIK_LAYERS "${CMAKE_MATCH_1}" target_rank)
      if(target_rank GREATER own_rank)
        string(APPEND violations "  ${file}: includes ${target}, a layer above its own\n")
      endif()
    endif()
  endforeach()
endforeach()

string(REPLACE ";" " <- " layer_list "${TOVRIK_LAYERS}")
if(violations)
  message(FATAL_ERROR "Includes that point up (layers, lowest first: ${layer_list}):\n${violations}")
endif()
list(LENGTH sources count)
message(STATUS "check_layers: ${count} files, every include points down")
