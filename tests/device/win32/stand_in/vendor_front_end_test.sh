#!/bin/sh
# SPDX-License-Identifier: MIT
# tovrik-config.exe with --vendor-library: DLLs it cannot use are refused
# before any window opens, naming the file and what is wrong; with the
# stand-in DLL (over its own simulated chip) the window connects, reads the
# EEPROM through the DLL, stops and closes.
# Usage: vendor_front_end_test.sh WINE tovrik-config.exe tovrik-remote.exe DLL_FOLDER
set -eu
wine=$1
config=$2
remote=$3
dlls=$4

. "$(dirname "$0")/../../../../win32/remote_steps.sh"

refused() {
  dll=$1
  reason=$2
  status=0
  err=$("$wine" "$config" --vendor-library "$dll" </dev/null 2>&1 >/dev/null) || status=$?
  [ "$status" = 2 ] || fail "--vendor-library $dll ended with status $status, expected 2"
  case "$err" in
    *"device library $dll $reason"*) ;;
    *) fail "--vendor-library $dll said '$err', expected '$reason'" ;;
  esac
}

refused "$dlls/no_such_library.dll" "does not exist"
refused "$dlls/tovrik_stand_in_incomplete.dll" "lacks rmSetPinGPOLevel"
refused "$config" "is a program, not a DLL"

"$wine" "$config" --vendor-library "$dlls/tovrik_stand_in.dll" </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017
expect "Tovrik Audio" text page:1017
r click 1017
r answer ok
eventually "Connect" text 1017
r close
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "refused the unusable DLLs, and connected through the stand-in DLL"
