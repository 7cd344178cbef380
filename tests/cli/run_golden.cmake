# SPDX-License-Identifier: MIT
# Runs tovrik-cli once and compares what it did with the expected files.
#   CLI        the tovrik-cli binary
#   EMULATOR   optional program that runs it (Wine for the Windows build)
#   ARGS       its arguments, |-separated
#   STDIN      optional file fed to standard input
#   RC         expected exit status (default 0)
#   EXPECTED   optional file that standard output must equal
#   OUTPUT     optional file the command writes, compared with EXPECTED_BIN
#   STDERR_HAS optional text standard error must contain
string(REPLACE "|" ";" ARGS "${ARGS}")
if(NOT DEFINED RC)
  set(RC 0)
endif()
if(DEFINED OUTPUT)
  file(REMOVE "${OUTPUT}")
endif()
set(input_args)
if(DEFINED STDIN)
  set(input_args INPUT_FILE "${STDIN}")
endif()
execute_process(COMMAND ${EMULATOR} "${CLI}" ${ARGS} ${input_args}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc STREQUAL "${RC}")
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED EXPECTED)
  file(READ "${EXPECTED}" expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "standard output differs from ${EXPECTED}:\n${out}")
  endif()
endif()
if(DEFINED EXPECTED_BIN)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}" "${EXPECTED_BIN}"
    RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${OUTPUT} differs from ${EXPECTED_BIN}")
  endif()
endif()
if(DEFINED STDERR_HAS)
  string(FIND "${err}" "${STDERR_HAS}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "standard error lacks \"${STDERR_HAS}\":\n${err}")
  endif()
  string(REGEX MATCHALL "\n" lines "${err}")
  list(LENGTH lines count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "standard error is not one line:\n${err}")
  endif()
endif()
