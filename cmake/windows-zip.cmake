# SPDX-License-Identifier: MIT
# One folder, no installer: both programs, the README and the licence.
set(zip ${CMAKE_BINARY_DIR}/tovrik-windows-${CMAKE_SYSTEM_PROCESSOR}.zip)
set(stage ${CMAKE_BINARY_DIR}/tovrik-windows)
set(shipped ${PROJECT_SOURCE_DIR}/README.md)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  list(APPEND shipped ${PROJECT_SOURCE_DIR}/LICENSE)
endif()
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tovrik-config> $<TARGET_FILE:tovrik-cli>
          ${shipped} ${stage}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}
          ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip tovrik-windows
  DEPENDS tovrik-config tovrik-cli ${shipped}
  COMMENT "Packing ${zip}"
  VERBATIM)
add_custom_target(windows-zip DEPENDS ${zip})
