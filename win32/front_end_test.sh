#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows front end under Wine, driven through its own controls: it starts
# on the simulated chip, refuses a second instance, connects, shows the chip's
# EEPROM on its pages, counts and lists the pending changes, saves with a
# backup, restores a backup from the Backups view, lists the log, asks before
# stopping, opens the station window on a second start's request and runs
# simulated units to PASS, asks before closing, and ends.
# Usage: front_end_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/remote_steps.sh"

# Backups go into a folder of this test's own.
XDG_STATE_HOME=$(mktemp -d)
export XDG_STATE_HOME
trap 'rm -rf "$XDG_STATE_HOME"' EXIT

# Wine's helper processes (the desktop window) outlive the program that started
# them and keep its output open, which would hold up the test's end.
"$wine" "$config" --simulate </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
expect "Tovrik Configuration — simulated chip 1209:0001" title
expect "Connect" text 1017
expect 0 enabled 3

# A second instance ends at once, without a window, and the first goes on.
timeout 30 "$wine" "$config" --simulate </dev/null >/dev/null 2>&1 ||
  fail "the second instance did not end at once with status 0"
expect 1 windows

r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017
expect 1 enabled 3
# The USB page shows the chip's strings; the sheet's tabs switch the pages.
expect "Tovrik Audio" text page:1017
r page 2
eventually 1 checked page:1133

# An edit is counted against the chip, and "Changes..." lists it in a window of its own.
r page 0
eventually "Tovrik Audio" text page:1017
expect "" text 1251
r type page:1017 "Bench Audio"
eventually "1 setting changed" text 1251
r click 1250
eventually "1 setting changed against the chip" text Changes:1255
case "$(r items Changes:1257 | tr -d '\r')" in
  "USB Config  Manufacturer String  \"Tovrik Audio\"  \"Bench Audio\"") ;;
  *) fail "the Changes view does not list the edit: $(r items Changes:1257)" ;;
esac
r click Changes:1258
for _ in 1 2 3 4 5 6 7 8 9 10; do
  r text Changes:1255 >/dev/null 2>&1 || break
  sleep 0.2
done
r text Changes:1255 >/dev/null 2>&1 && fail "Close left the Changes view open"

# A save keeps a backup of what it replaces first.
r page 0
serial=$(r text page:1020 | tr -d '\r')
r type page:1020 SN-0002
r click 3
case "$(r prompt | tr -d '\r')" in
  "Save into EEPROM completely."*) ;;
  *) fail "the save did not report itself done" ;;
esac
r answer ok
[ -n "$(ls "$XDG_STATE_HOME/tovrik/backups" 2>/dev/null)" ] || fail "the save kept no backup"
eventually "" text 1251

# The Backups view lists that backup; Restore asks, writes it back, keeps what
# it replaced as a second backup and loads the pages again.
r click 1210
eventually 1 count backups:1302
expect 0 enabled backups:1304
r select backups:1302 0
eventually 1 enabled backups:1304
r click backups:1304
case "$(r prompt | tr -d '\r')" in
  "Write "*"back into the EEPROM?"*) ;;
  *) fail "Restore did not ask first" ;;
esac
r answer ok
case "$(r prompt | tr -d '\r')" in
  "Written back from "*) ;;
  *) fail "the restore did not report itself done" ;;
esac
r answer ok
eventually 2 count backups:1302
eventually "$serial" text page:1020
r click backups:1306
# The Log view lists the commands.
r click 1211
case "$(r text log:1322 | tr -d '\r')" in
  *"| Connect | done |"*"| Save EEPROM | done |"*"| Restore "*"| done |"*) ;;
  *) fail "the log does not list connect, save and restore" ;;
esac
r click log:1323

# Stopping asks first: Cancel keeps the connection, OK ends it.
r click 1017
expect "Stop the connection without further saving ?" prompt
r answer cancel
eventually "Stop" text 1017
r click 1017
r answer ok
eventually "Connect" text 1017
expect 0 enabled 3

# A second start with --station opens the station window in the running one
# and ends; the station programs simulated units to PASS, each with its serial.
timeout 30 "$wine" "$config" --simulate --station </dev/null >/dev/null 2>&1 ||
  fail "the second start with --station did not end at once with status 0"
eventually "Start" text station:1315
golden=$(cd "$(dirname "$0")/../tests/scenarios/data" && pwd)/golden.bin
r type station:1300 "Z:$golden"
r type station:1304 "TK23-%06d"
r type station:1305 500
r type station:1309 4
r type station:1310 2
r type station:1311 "Z:$XDG_STATE_HOME/station.csv"
r click station:1315
eventually "Done" text station:1314
expect "Passed: 4   Failed: 0   Skipped: 0" text station:1313
expect 1 enabled station:1300
passes=$(r items station:1312 | tr -d '\r' | grep -c "PASS   TK23-00050[0-3]$" || true)
[ "$passes" = 2 ] || fail "the station's rows: $(r items station:1312)"
[ "$(grep -c ',ok,' "$XDG_STATE_HOME/station.csv")" = 4 ] || fail "the station's log: $(cat "$XDG_STATE_HOME/station.csv")"

# Closing asks too, and the program ends with status 0.
r close
expect "Exit the configuration tool without further saving ?" prompt
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "the window connected, switched pages, listed a change, saved with a backup, stopped and closed as the dialogs say"
