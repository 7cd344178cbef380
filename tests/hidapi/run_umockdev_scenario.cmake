# SPDX-License-Identifier: MIT
# Runs one scenario script through `tovrik-cli run --device hidapi` against the
# simulated chip behind a umockdev hidraw node, in a fresh working folder, and
# compares the transcript with the one the in-process chip must give.
#   HARNESS, CLI, SCRIPT, EXPECTED, DATA, WORKDIR
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
set(ENV{XDG_STATE_HOME} "${WORKDIR}/state")
file(GLOB data_files "${DATA}/*")
if(data_files)
  file(COPY ${data_files} DESTINATION "${WORKDIR}")
endif()
execute_process(
  COMMAND "${HARNESS}" "${CLI}" run --device hidapi "${SCRIPT}" --workdir "${WORKDIR}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 77)
  # The test's SKIP_REGULAR_EXPRESSION turns this into a skip.
  message("${out}")
  return()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit status ${rc}\nstdout:\n${out}\nstderr:\n${err}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "standard output differs from ${EXPECTED}:\n${out}\nstderr:\n${err}")
endif()
