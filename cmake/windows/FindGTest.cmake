# SPDX-License-Identifier: MIT
# GoogleTest for the cross build, compiled from the sources that Debian's
# googletest package (a dependency of libgtest-dev) keeps in /usr/src.
set(TOVRIK_GTEST_SOURCE /usr/src/googletest/googletest)
if(NOT EXISTS ${TOVRIK_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${TOVRIK_GTEST_SOURCE} is missing; run scripts/install-deps")
endif()
if(NOT TARGET gtest)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TOVRIK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
# Newer GoogleTest sources name their targets so themselves.
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
set(GTest_FOUND TRUE)
set(GTEST_FOUND TRUE)
