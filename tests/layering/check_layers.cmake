# SPDX-License-Identifier: MIT
# Fails when a source file includes what its folder may not include, uses a
# platform library outside the folders that may use it, or asks which system
# it is built for outside the system folders. The rules are the table under
# "Who may include what" in HACKING.md: a file may include files of its own
# folder, of the folders its row names and of whatever those may include in
# turn; a subfolder is a folder of its own, and every folder holding sources
# has a row. The "May use" column lets a folder alone use Qt, hidapi or Win32
# headers, or system #ifs.
#
# Usage: cmake -DSOURCE_DIR=<tree> [-DRULES=<HACKING.md>] -P check_layers.cmake
# RULES defaults to the tree's HACKING.md, else this repository's.

cmake_policy(VERSION 3.22)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: SOURCE_DIR is not set")
endif()
if(NOT RULES)
  if(EXISTS ${SOURCE_DIR}/HACKING.md)
    set(RULES ${SOURCE_DIR}/HACKING.md)
  else()
    get_filename_component(RULES ${CMAKE_CURRENT_LIST_DIR}/../../HACKING.md ABSOLUTE)
  endif()
endif()

# No file outside the system folders may keep a system #if.
set(conditional_exemptions "")

# The macros that tell which system or machine a build is for.
set(system_macros "_WIN32|_WIN64|WIN32|__WIN32__|__MINGW32__|__MINGW64__|_MSC_VER|__CYGWIN__|__linux__|__linux|linux|__gnu_linux__|__unix__|__unix|unix|__APPLE__|__MACH__|__FreeBSD__|__NetBSD__|__OpenBSD__|__ANDROID__|__i386__|__x86_64__|_M_IX86|_M_X64|__aarch64__|__arm__")

# --- The table ---------------------------------------------------------------
file(STRINGS ${RULES} lines)
set(folders "")
set(in_table FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\|[ ]*Folder[ ]*\\|[ ]*May include[ ]*\\|[ ]*May use[ ]*\\|")
    set(in_table TRUE)
    continue()
  endif()
  if(NOT in_table)
    continue()
  endif()
  if(NOT line MATCHES "^\\|")
    if(folders)
      break()
    endif()
    continue()
  endif()
  if(line MATCHES "^\\|[ :|-]*$")
    continue()  # the row under the header
  endif()
  string(REPLACE "|" ";" cells "${line}")
  list(LENGTH cells cell_count)
  if(NOT cell_count EQUAL 5)
    message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: a row of the table needs three cells: ${line}")
  endif()
  list(GET cells 1 folder_cell)
  list(GET cells 2 include_cell)
  list(GET cells 3 use_cell)
  if(NOT folder_cell MATCHES "^[ ]*`([a-z0-9_/]+)/`[ ]*$")
    message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: a folder is written `path/`: ${line}")
  endif()
  set(folder ${CMAKE_MATCH_1})
  if(folder IN_LIST folders)
    message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: ${folder}/ has two rows")
  endif()
  list(APPEND folders ${folder})
  string(REGEX MATCHALL "`[a-z0-9_/]+/`" named "${include_cell}")
  set(direct_${folder} "")
  foreach(item IN LISTS named)
    string(REGEX REPLACE "^`(.*)/`$" "\\1" item "${item}")
    list(APPEND direct_${folder} ${item})
  endforeach()
  string(REGEX REPLACE "`[a-z0-9_/]+/`|,|[ ]" "" rest "${include_cell}")
  if(NOT rest STREQUAL "")
    message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: \"May include\" holds only `folder/`s: ${line}")
  endif()
  set(qt_${folder} FALSE)
  set(hidapi_${folder} FALSE)
  set(win32_${folder} FALSE)
  set(conditionals_${folder} FALSE)
  if(use_cell MATCHES "Qt")
    set(qt_${folder} TRUE)
  endif()
  if(use_cell MATCHES "hidapi")
    set(hidapi_${folder} TRUE)
  endif()
  if(use_cell MATCHES "Win32")
    set(win32_${folder} TRUE)
  endif()
  if(use_cell MATCHES "system `#if`")
    set(conditionals_${folder} TRUE)
  endif()
endforeach()
if(NOT folders)
  message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: no table \"| Folder | May include | May use |\"")
endif()

# What each folder may include: its own, the ones it names and theirs in turn.
foreach(folder IN LISTS folders)
  foreach(named IN LISTS direct_${folder})
    if(NOT named IN_LIST folders)
      message(FATAL_ERROR "check_layers: cannot read the rules:\n  ${RULES}: ${folder}/ names ${named}/, which has no row")
    endif()
  endforeach()
  set(allowed_${folder} ${folder})
  set(pending ${direct_${folder}})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST allowed_${folder})
      list(APPEND allowed_${folder} ${next})
      list(APPEND pending ${direct_${next}})
    endif()
  endwhile()
endforeach()

# --- The sources -------------------------------------------------------------
set(patterns "")
foreach(top src cli gui win32 bench)
  list(APPEND patterns ${SOURCE_DIR}/${top}/*.h ${SOURCE_DIR}/${top}/*.cpp)
endforeach()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${patterns})
list(SORT sources)

set(violations "")
foreach(file IN LISTS sources)
  get_filename_component(own ${file} DIRECTORY)
  if(NOT own IN_LIST folders)
    string(APPEND violations "  ${file}: its folder ${own}/ has no row in the table of ${RULES}\n")
    continue()
  endif()

  file(STRINGS ${SOURCE_DIR}/${file} directives REGEX "^[ \t]*#[ \t]*(include|if|elif)")
  foreach(line IN LISTS directives)
    if(line MATCHES "^[ \t]*#[ \t]*(if|ifdef|ifndef|elif|elifdef|elifndef)([^a-z]|$)")
      if(line MATCHES "(^|[^A-Za-z0-9_])(${system_macros})([^A-Za-z0-9_]|$)"
         AND NOT conditionals_${own} AND NOT file IN_LIST conditional_exemptions)
        string(STRIP "${line}" shown)
        string(APPEND violations
          "  ${file}: asks which system it is built for (${shown}) outside the system folders\n")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      continue()
    endif()
    set(target ${CMAKE_MATCH_1})

    if(target MATCHES "^Q[A-Za-z]*(/|$)" AND NOT qt_${own})
      string(APPEND violations "  ${file}: includes Qt (${target}) outside the Qt folders\n")
    endif()
    if(target MATCHES "^hidapi" AND NOT hidapi_${own})
      string(APPEND violations "  ${file}: includes hidapi (${target}) outside the hidapi folders\n")
    endif()
    if(target MATCHES "^(windows|setupapi|hidsdi|hidpi|commctrl|commdlg|shellapi|io)\\.h$"
       AND NOT win32_${own})
      string(APPEND violations "  ${file}: includes Win32 (${target}) outside the Windows folders\n")
    endif()

    # The file the include names, as the compiler finds it: beside the
    # including file, under src/, or from the top of the tree. What none of
    # them holds is a system or library header.
    set(resolved "")
    foreach(base ${own} src .)
      if(EXISTS ${SOURCE_DIR}/${base}/${target} AND NOT IS_DIRECTORY ${SOURCE_DIR}/${base}/${target})
        cmake_path(SET resolved NORMALIZE "${base}/${target}")
        break()
      endif()
    endforeach()
    if(resolved STREQUAL "")
      continue()
    endif()
    get_filename_component(target_folder ${resolved} DIRECTORY)
    if(NOT target_folder IN_LIST folders)
      string(APPEND violations
        "  ${file}: includes ${target} from ${target_folder}/, which has no row in the table\n")
    elseif(NOT target_folder IN_LIST allowed_${own})
      if(own IN_LIST allowed_${target_folder})
        string(APPEND violations "  ${file}: includes ${target}, a layer above its own\n")
      else()
        string(APPEND violations
          "  ${file}: includes ${target} (${target_folder}/), which ${own}/ may not include\n")
      endif()
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes and conditionals against the table in ${RULES}:\n${violations}")
endif()
list(LENGTH sources count)
message(STATUS "check_layers: ${count} files, every include and conditional as ${RULES} allows")
