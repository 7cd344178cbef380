#!/bin/bash
# SPDX-License-Identifier: MIT
# Kills tovrik-cli while it writes a simulated chip's EEPROM in real time, at
# many moments of the write, and decodes what the backing file then holds: the
# old image, the new one, or one that reads as empty; never a mixture.
# Each kill waits for the file to change a given number of times (or for the
# command to end), never for a time.
set -u
cli=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/tovrik-kill-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state
failures=0

decode() {
  "$cli" image decode "$1" > "$2" 2>&1
}

# The outcome of one run: old, new, empty or torn.
outcome() {
  decode "$work/chip.bin" "$work/now.decoded"
  if cmp -s "$work/now.decoded" "$work/old.decoded"; then echo old
  elif cmp -s "$work/now.decoded" "$work/new.decoded"; then echo new
  elif grep -q '"messages": \["EEPROM Empty"\]' "$work/now.decoded"; then echo empty
  else echo torn
  fi
}

# run NAME CHANGES COMMAND...: starts the command on a copy of old.bin and
# kills it once the file changed CHANGES times as seen here.
run() {
  local name=$1 changes=$2
  shift 2
  cp "$work/old.bin" "$work/chip.bin"
  cp "$work/old.bin" "$work/last.bin"
  "$@" > /dev/null 2>&1 &
  local pid=$! seen=0
  while [ "$seen" -lt "$changes" ] && kill -0 "$pid" 2> /dev/null; do
    if ! cmp -s "$work/chip.bin" "$work/last.bin"; then
      cp "$work/chip.bin" "$work/last.bin"
      seen=$((seen + 1))
    fi
  done
  kill -KILL "$pid" 2> /dev/null
  wait "$pid" 2> /dev/null
  local result
  result=$(outcome)
  echo "$name after $changes change(s) seen: $result"
  if [ "$result" = torn ]; then
    failures=$((failures + 1))
    cp "$work/chip.bin" "$work/torn-$name-$changes.bin"
    cat "$work/now.decoded"
  fi
}

# The old image: the factory one with other strings and a volume setting.
"$cli" image factory -o "$work/factory.bin" > /dev/null || exit 2
cp "$work/factory.bin" "$work/old.bin"
"$cli" device set --simulate="$work/old.bin" manufacturer="Old Maker Of Things" \
  serial=OLD-77 > /dev/null || exit 2
decode "$work/old.bin" "$work/old.decoded"

# device set: the save of the settings over the old image.
set_command=("$cli" device set --simulate="$work/chip.bin" --sim-timing real
             manufacturer="Tovrik Audio" serial=NEW-0000001)
cp "$work/old.bin" "$work/chip.bin"
"${set_command[@]}" > /dev/null || exit 2
cp "$work/chip.bin" "$work/set.bin"
decode "$work/set.bin" "$work/new.decoded"
cmp -s "$work/old.decoded" "$work/new.decoded" && { echo "set changed nothing"; exit 2; }
for changes in 0 1 2 3 4 5 6 7 8 9 10 11 12 14 16 18 20 24 28 32; do
  run set "$changes" "${set_command[@]}"
done

# device write: the factory image as a whole over the old one.
decode "$work/factory.bin" "$work/new.decoded"
for changes in 1 2 3 4 5 6 7 8 10 12 14 16 20 24 28 32; do
  run write "$changes" "$cli" device write --simulate="$work/chip.bin" --sim-timing real \
    "$work/factory.bin"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures run(s) left a torn image"
  exit 1
fi
