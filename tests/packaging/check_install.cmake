# SPDX-License-Identifier: MIT
# Installs the build into DEST with the prefix /usr and checks what lands there.
file(REMOVE_RECURSE "${DEST}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DEST} ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected usr/bin/tovrik-cli usr/share/man/man1/tovrik-cli.1 usr/share/doc/tovrik/LICENSE)
if(GUI)
  list(APPEND expected
    usr/bin/tovrik-config
    usr/share/man/man1/tovrik-config.1
    usr/share/applications/tovrik-config.desktop
    usr/share/icons/hicolor/scalable/apps/tovrik-config.svg
    usr/share/metainfo/org.tovrik.config.metainfo.xml)
endif()
if(HIDAPI)
  # Beside the rules of the system's own packages, not in the administrator's /etc.
  list(APPEND expected usr/lib/udev/rules.d/70-tovrik.rules)
endif()
foreach(f ${expected})
  if(NOT EXISTS "${DEST}/${f}")
    message(FATAL_ERROR "cmake --install did not install ${f}")
  endif()
endforeach()
if(EXISTS "${DEST}/etc")
  message(FATAL_ERROR "cmake --install wrote into /etc for a /usr prefix")
endif()

if(GUI)
  execute_process(
    COMMAND ${APPSTREAMCLI} validate --strict --no-net
            ${DEST}/usr/share/metainfo/org.tovrik.config.metainfo.xml
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${out}")
  endif()
  execute_process(
    COMMAND ${DESKTOP_FILE_VALIDATE} ${DEST}/usr/share/applications/tovrik-config.desktop
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
  endif()
endif()
