# SPDX-License-Identifier: MIT
# CLI11 for the cross build: the host package's headers.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
tovrik_host_header_library(CLI11::CLI11 CLI)
set(CLI11_FOUND TRUE)
