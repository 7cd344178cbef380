# SPDX-License-Identifier: MIT
# Copies a header-only library's folder from the host's /usr/include into the
# build tree, so the cross compiler sees it without the host's C library
# headers, and makes an interface target for it.
function(tovrik_host_header_library target folder)
  if(TARGET ${target})
    return()
  endif()
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing; run scripts/install-deps")
  endif()
  set(copy ${CMAKE_BINARY_DIR}/host-headers)
  file(COPY /usr/include/${folder} DESTINATION ${copy})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${copy})
endfunction()
