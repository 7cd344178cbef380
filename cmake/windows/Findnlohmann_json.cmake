# SPDX-License-Identifier: MIT
# nlohmann/json for the cross build: the host package's headers.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
tovrik_host_header_library(nlohmann_json::nlohmann_json nlohmann)
set(nlohmann_json_FOUND TRUE)
