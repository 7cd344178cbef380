#!/bin/sh
# SPDX-License-Identifier: MIT
# Screenshots of tovrik-config.exe under Wine, connected to the simulated chip:
# one of each configuration page, the Changes view, the Backups view after a
# save, the Log view and the station window, and the status line after a save
# with a long backup path, as OUT/windows-*.png. Runs inside
# scripts/wine-session, which provides the Wine prefix and the display.
# Usage: take_pictures.sh BUILD_DIR OUT_DIR
set -eu
build=$(cd "$1" && pwd)
out=$(cd "$2" && pwd)
golden=$(cd "$(dirname "$0")/../tests/scenarios/data" && pwd)/golden.bin
# The tool runs in a folder of its own, where the station window's files go.
line=$(mktemp -d)
trap 'rm -rf "$line"' EXIT
cp "$golden" "$line/"
cd "$line"
wine=${TOVRIK_WINE:-/usr/lib/wine/wine64}
r() { "$wine" "$build/win32/tovrik-remote.exe" "$@"; }

# Wine's helper processes keep the output of the program that started them open.
"$wine" "$build/tovrik-config.exe" --simulate </dev/null >/dev/null 2>&1 &
tool=$!
r wait
r type 1016 1209
r type 1018 0001
r click 1017
sleep 1
index=0
for name in usb-config volume-config eq-config misc-config; do
  r page $index
  sleep 1
  area=$(r rect | tr -d '\r')
  import -window root -crop "$area" +repage "$out/windows-$name.png"
  echo "took $out/windows-$name.png"
  index=$((index + 1))
done
# Two edits, and the Changes view that lists them.
r page 0
sleep 1
r type page:1017 "Bench Audio"
r type page:1020 B-0007
sleep 1
r click 1250
sleep 1
area=$(r rect Changes | tr -d '\r')
import -window root -crop "$area" +repage "$out/windows-changes.png"
echo "took $out/windows-changes.png"
r click Changes:1258

# A save of a new serial string keeps a backup; the Backups view compares it.
r page 0
r type page:1020 TK23-000002
r click 3
sleep 1
r answer ok
r click 1210
sleep 1
r select backups:1302 0
sleep 1
r click backups:1303
sleep 1
import -window root -crop "$(r rect backups | tr -d '\r')" +repage "$out/windows-backups.png"
echo "took $out/windows-backups.png"
r click backups:1306
r click 1211
sleep 1
import -window root -crop "$(r rect log | tr -d '\r')" +repage "$out/windows-log.png"
echo "took $out/windows-log.png"
r click log:1323
sleep 1
# The station window after a simulated line of eight units, four at a time.
r click 1206
r answer ok
sleep 1
r type station:1300 golden.bin
r type station:1304 "TK23-%06d"
r type station:1305 100
r type station:1309 8
r type station:1310 4
r type station:1311 station.csv
r click station:1315
for _ in $(seq 100); do
  [ "$(r text station:1314 | tr -d '\r')" = "Done" ] && break
  sleep 0.2
done
area=$(r rect station | tr -d '\r')
import -window root -crop "$area" +repage "$out/windows-station.png"
echo "took $out/windows-station.png"

r close
r answer ok
wait "$tool"

# The status line after a save whose backup lies deep down a long folder: the
# window's lower part, from the sheet's bottom edge down.
state=$(mktemp -d)
XDG_STATE_HOME="$state/Engineering Department/Product Bring-Up/Audio Controller Boards/state"
mkdir -p "$XDG_STATE_HOME"
export XDG_STATE_HOME
"$wine" "$build/tovrik-config.exe" --simulate </dev/null >/dev/null 2>&1 &
tool=$!
r wait
r type 1016 1209
r type 1018 0001
r click 1017
sleep 1
r click 3
r answer ok
sleep 1
area=$(r rect | tr -d '\r')
width=${area%%x*}
rest=${area#*x}
height=${rest%%+*}
origin=${rest#*+}
left=${origin%%+*}
top=${origin#*+}
line_top=$(r box 1202 | tr -d '\r' | cut -d' ' -f2)
import -window root -crop "${width}x$((height - line_top + 6))+$left+$((top + line_top - 6))" +repage \
  "$out/windows-status-line.png"
echo "took $out/windows-status-line.png"
r close
r answer ok
wait "$tool"
rm -rf "$state"
