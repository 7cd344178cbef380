# SPDX-License-Identifier: MIT
# Cross build for 32-bit Windows with Debian's MinGW-w64 (make windows32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOVRIK_MINGW_TRIPLE i686-w64-mingw32)
# Tests run the programs under Wine's 32-bit loader (Debian's wine32 package,
# which needs the i386 architecture; it has no /usr/bin/wine either).
find_program(TOVRIK_WINE NAMES wine PATHS /usr/lib/wine NO_PACKAGE_ROOT_PATH NO_CMAKE_PATH
             NO_CMAKE_ENVIRONMENT_PATH NO_SYSTEM_ENVIRONMENT_PATH NO_CMAKE_SYSTEM_PATH
             NO_CMAKE_FIND_ROOT_PATH)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
