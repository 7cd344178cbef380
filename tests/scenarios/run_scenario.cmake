# SPDX-License-Identifier: MIT
# Runs one scenario script in a fresh working folder.
#   CLI, SCRIPT, EXPECTED  the tool, the script and its expected transcript
#   DATA                   folder whose files are copied into the working folder
#   WORKDIR                the working folder, emptied first
#   GOLDEN_RUNNER          the comparison of tests/cli, which does the rest
#   RC, STDERR_HAS         as for the golden runner
#   EXTRA_ARGS             more arguments after the run's own, |-separated
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
# The backups the scenario's writes keep stay in its own folder.
set(ENV{XDG_STATE_HOME} "${WORKDIR}/state")
file(GLOB data_files "${DATA}/*")
if(data_files)
  file(COPY ${data_files} DESTINATION "${WORKDIR}")
endif()
set(ARGS "run|${SCRIPT}|--workdir|${WORKDIR}")
if(EXTRA_ARGS)
  string(APPEND ARGS "|${EXTRA_ARGS}")
endif()
include("${GOLDEN_RUNNER}")
