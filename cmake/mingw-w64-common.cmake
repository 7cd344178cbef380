# SPDX-License-Identifier: MIT
# What both Windows cross builds share; the toolchain files set
# TOVRIK_MINGW_TRIPLE and the processor, then include this.
# The posix thread model is needed: GCC 12's win32 model has no std::thread
# or std::mutex. Everything is linked statically, so the programs run from a
# plain folder with no runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${TOVRIK_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOVRIK_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOVRIK_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOVRIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")
# GCC 12 warns wrongly about bounds inside its own string and vector code once
# it inlines deeply (GCC bugs 105329, 105651); the checks stay on in the Linux build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-array-bounds -Wno-restrict -Wno-stringop-overflow")

if(TOVRIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVRIK_WINE})
endif()

# The header-only libraries and GoogleTest's sources come from the host's
# Debian packages through the find modules in cmake/windows/.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
