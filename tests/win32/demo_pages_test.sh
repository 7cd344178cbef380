#!/bin/sh
# SPDX-License-Identifier: MIT
# The demo pages of tovrik-config.exe, each driven through its controls on the
# simulated chip: the GPIO page sets its pins and passes the chip's reports on,
# the EEPROM page writes and reads raw bytes, the I2C page writes and reads the
# memory on the chip's bus, and the HID page writes registers and sends a raw
# report, each of which makes the chip answer with a report the page lists.
# Usage: demo_pages_test.sh WINE tovrik-config.exe tovrik-remote.exe
set -eu
wine=$1
config=$2
remote=$3

. "$(dirname "$0")/../../win32/remote_steps.sh"

XDG_STATE_HOME=$(mktemp -d)
export XDG_STATE_HOME
trap 'rm -rf "$XDG_STATE_HOME"' EXIT

"$wine" "$config" --simulate --demo-features </dev/null >/dev/null 2>&1 &
tool=$!
r wait || fail "the window did not open"
r type 1016 1209
r type 1018 0001
r click 1017
eventually "Stop" text 1017
r click 1131
# The demo pages after the about page: GPIO, EEPROM, I2C, HID.
eventually 1 checked 1131

# GPIO: the pins are set. Nothing in the window shows the chip's pins; the
# page's part in the chip's reports is checked after the HID page's below.
r page 1
r type page:1087 00FF
r type page:1088 0f
r click page:1089
expect 00FF text page:1087
expect 0f text page:1088

# EEPROM: three bytes at 10, written, then read back into the emptied field.
r page 2
r type page:1081 10
r type page:1083 "12 ab 3"
r click page:1079
eventually 3 text page:1082
r type page:1083 ""
r click page:1080
eventually " 12 ab 03" text page:1083

# I2C: the same through the memory at slave address A0.
r page 3
r type page:1062 a0
r click page:1063
r type page:1064 3
r type page:1013 10
r type page:1061 "12 ab 0"
r click page:1012
r type page:1061 stale
r click page:1011
eventually " 12 ab 00" text page:1061

# HID: registers 51 and 52 written, then the register dump asked for twice, once
# through "Write" and once as a raw output report; each dump is listed.
r page 4
r type page:1129 51
r type page:1118 2
r type page:1084 "aa bb"
r click page:3
r type page:1129 96
r type page:1118 1
r type page:1084 01
r click page:3
eventually "GENERIC Event:  51 aa bb 00      00 00 00 00" items page:1097
r type page:1083 "01 00 00 00 00 96 01 01"
r click page:1
dump="GENERIC Event:  51 aa bb 00      00 00 00 00"
eventually "$dump
$dump" items page:1097
# The GPIO page passed both reports on to the HID page, and lists none of them
# itself while its (hidden) switch for generic events is off.
r page 1
expect "" items page:1020

r click 1017
r answer ok
eventually "Connect" text 1017
r close
r answer ok
wait "$tool" || fail "tovrik-config.exe ended with status $?"
echo "each demo page's action reached the chip and showed its answer"
