#!/bin/sh
# SPDX-License-Identifier: MIT
# EEPROM -> FILE and FILE -> EEPROM of tovrik-config.exe through the system's
# own file dialogs: the file name typed into the dialog, its button pressed,
# and the bytes checked in the file and in the simulated chip's EEPROM file.
# Usage: file_dialogs_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/../../win32/remote_steps.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_STATE_HOME=$work/state
export XDG_STATE_HOME
# The dialogs take the folder as Windows names it: / is drive Z: under Wine.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

"$wine" "$config" --simulate="$work/chip.bin" </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017

# EEPROM -> FILE: the save dialog, a name typed without its extension.
r click 1160
r file "$(windows_path "$work/saved")"
expect "EEPROM -> File completely" prompt
r answer ok
[ -f "$work/saved.bin" ] || fail "EEPROM -> FILE wrote no saved.bin"
[ "$(wc -c <"$work/saved.bin")" = 256 ] || fail "saved.bin is not 256 bytes"
cmp -s -n 256 "$work/saved.bin" "$work/chip.bin" || fail "saved.bin differs from the EEPROM"

# FILE -> EEPROM: the open dialog, a changed copy.
cp "$work/saved.bin" "$work/changed.bin"
printf '\125\252' | dd of="$work/changed.bin" bs=1 seek=200 conv=notrunc 2>/dev/null
r click 1161
r file "$(windows_path "$work/changed.bin")"
case "$(r prompt | tr -d '\r')" in
  "File -> EEPROM completely."*) ;;
  *) fail "FILE -> EEPROM did not report itself done" ;;
esac
r answer ok
cmp -s -n 256 "$work/changed.bin" "$work/chip.bin" || fail "the EEPROM does not hold changed.bin"
eventually_starts "FILE -> EEPROM: done in " text 1203

r click 1017
r answer ok
eventually "Connect" text 1017
r close
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "both file dialogs took the typed names, and the bytes went where they should"
