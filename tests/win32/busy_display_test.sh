#!/bin/sh
# SPDX-License-Identifier: MIT
# The busy display of tovrik-config.exe, with the wait before it shows
# lowered to nothing (TOVRIK_BUSY_AFTER_MS, meant for tests): a command's
# prompt takes the progress bar away, a close request while the command runs
# is dropped, and once it has ended the status line names it and a close asks
# as ever.
# Usage: busy_display_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/../../win32/remote_steps.sh"

XDG_STATE_HOME=$(mktemp -d)
export XDG_STATE_HOME
trap 'rm -rf "$XDG_STATE_HOME"' EXIT

TOVRIK_BUSY_AFTER_MS=0 "$wine" "$config" --simulate --sim-timing real </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017
expect 0 shown msctls_progress32

# "Save EEPROM" reads a backup and writes, then tells it is done while it still runs.
r click 3
case "$(r prompt | tr -d '\r')" in
  "Save into EEPROM completely."*) ;;
  *) fail "the save did not report itself done" ;;
esac
expect 0 shown msctls_progress32
expect handled close-now
# Still the save's own message: the close asked nothing.
case "$(r prompt | tr -d '\r')" in
  "Save into EEPROM completely."*) ;;
  *) fail "a close while the save ran was not dropped" ;;
esac
r answer ok
eventually_starts "Save EEPROM: done in " text 1203
expect 1 windows
expect 0 shown msctls_progress32

r close
expect "Exit the configuration tool without further saving ?" prompt
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "a prompt took the busy display away, and a close while the save ran was dropped"
