#!/bin/sh
# SPDX-License-Identifier: MIT
# The status line of tovrik-config.exe with a backup path too long for it:
# each line is one line that overlaps no other, its text fits, the path is
# shortened in the middle with the system's separator, and its tooltip holds
# the whole of it.
# Usage: status_line_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/../../win32/remote_steps.sh"

state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
XDG_STATE_HOME=$state/a-folder-whose-name-is-long-enough-to-need-shortening/and-one-more-level-below-it
mkdir -p "$XDG_STATE_HOME"
export XDG_STATE_HOME

"$wine" "$config" --simulate </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017
r click 3
r answer ok
backup=$(ls "$XDG_STATE_HOME/tovrik/backups")
[ -n "$backup" ] || fail "the save kept no backup"

prefix="Backup of the EEPROM before the last write: "
whole="$prefix$(printf '%s' "$XDG_STATE_HOME/tovrik/backups/$backup" | tr / '\\')"
eventually "$whole" tip 1204
shown=$(r text 1204 | tr -d '\r')
case "$shown" in
  "$prefix"*"\\...\\"*"\\$backup") ;;
  *) fail "the backup line shows '$shown', not the path shortened in its middle" ;;
esac
case "$shown" in
  */*) fail "the backup line mixes separators: '$shown'" ;;
esac

# Top to bottom, each line below the one before it, its text as wide as the line at most.
last_bottom=0
for id in 1202 1203 1204 1205; do
  set -- $(r box $id | tr -d '\r')
  [ $# = 5 ] || fail "no place for status line $id"
  left=$1 top=$2 right=$3 bottom=$4 width=$5
  [ "$top" -ge "$last_bottom" ] || fail "status line $id (top $top) overlaps the one above (bottom $last_bottom)"
  [ "$width" -le $((right - left)) ] || fail "the text of status line $id is $width pixels wide, the line $((right - left))"
  last_bottom=$bottom
done

r close
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "the status lines fit, one below the other, the long path shortened with its whole in the tooltip"
