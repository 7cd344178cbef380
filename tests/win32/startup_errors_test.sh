#!/bin/sh
# SPDX-License-Identifier: MIT
# tovrik-config.exe started as from the desktop (no console, no standard
# handles): every refusal before the window opens shows a message box naming
# what is wrong, and the program ends with status 2, as the tool does on Linux.
# Usage: startup_errors_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/../../win32/remote_steps.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_STATE_HOME=$work/state
export XDG_STATE_HOME
head -c 300 /dev/zero >"$work/b300.bin"

# started ARGS... : the message box's text, then "exit N".
started() { r startup "$config" "$@" | tr -d '\r'; }
refused() {
  reason=$1
  shift
  out=$(started "$@")
  case "$out" in
    *"$reason"*) ;;
    *) fail "$*: showed '$out', expected a message box with '$reason'" ;;
  esac
  [ "$(printf '%s\n' "$out" | tail -n 1)" = "exit 2" ] || fail "$*: ended with '$out', expected exit 2"
}

refused "unknown argument '--colour'" --colour
refused "Try 'tovrik-config --help' for more information." --colour
refused "300 bytes" --simulate="$work/b300.bin"
refused "device library" --vendor-library "$work/no_such_library.dll"

# Help is no refusal: its box lists the options, and the program ends with 0.
out=$(started --help)
case "$out" in
  *"--vendor-library PATH"*) ;;
  *) fail "--help showed '$out'" ;;
esac
[ "$(printf '%s\n' "$out" | tail -n 1)" = "exit 0" ] || fail "--help ended with '$out'"
echo "each refusal before the window showed a message box and ended with status 2"
