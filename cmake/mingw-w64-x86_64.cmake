# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with Debian's MinGW-w64 (make windows).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOVRIK_MINGW_TRIPLE x86_64-w64-mingw32)
# Tests run the programs under Wine (the wine64 package has no /usr/bin/wine).
find_program(TOVRIK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
