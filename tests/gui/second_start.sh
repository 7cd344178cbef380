#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A second start of tovrik-config finds the first one running, brings its
# window to the front and says so; with --station it ends silently after asking
# the running one to open its station window; the first one keeps running.
set -euo pipefail
tool=${1:?usage: second_start.sh TOVRIK_CONFIG}
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config QT_QPA_PLATFORM=offscreen
"$tool" --simulate &
first=$!
cleanup() {
  kill "$first" 2>/dev/null || true
  wait "$first" 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -S "$runtime/tovrik-config.socket" ] && break
  sleep 0.1
done
[ -S "$runtime/tovrik-config.socket" ] || { echo "the first instance never listened"; exit 1; }
err=$("$tool" --simulate 2>&1 >/dev/null) && rc=0 || rc=$?
[ "$rc" -eq 0 ] || { echo "second start ended with $rc: $err"; exit 1; }
grep -q "already running; its window was brought to the front" <<<"$err" ||
  { echo "second start said: $err"; exit 1; }
kill -0 "$first" || { echo "the first instance ended"; exit 1; }
# With --station it asks the running one to open its station window and ends silently.
err=$("$tool" --simulate --station 2>&1 >/dev/null) && rc=0 || rc=$?
[ "$rc" -eq 0 ] && [ -z "$err" ] || { echo "second start with --station: $rc: $err"; exit 1; }
kill -0 "$first" || { echo "the first instance ended after the station request"; exit 1; }
exit 0
