# SPDX-License-Identifier: MIT
# Steps for driving tovrik-config.exe through tovrik-remote.exe, sourced by
# the window's tests after they set `wine` and `remote`.

fail() {
  echo "FAIL: $*" >&2
  "$wine" "$remote" close >/dev/null 2>&1 || true
  "$wine" "$remote" answer ok >/dev/null 2>&1 || true
  exit 1
}
r() { "$wine" "$remote" "$@"; }
expect() {
  want=$1
  shift
  got=$(r "$@" | tr -d '\r')
  [ "$got" = "$want" ] || fail "$*: '$got', expected '$want'"
}
# Input is handled by the window's own thread; this waits until it shows.
eventually() {
  want=$1
  shift
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    [ "$(r "$@" | tr -d '\r')" = "$want" ] && return 0
    sleep 0.2
  done
  expect "$want" "$@"
}
# The same for an answer that starts with `want`.
eventually_starts() {
  want=$1
  shift
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    case "$(r "$@" | tr -d '\r')" in
      "$want"*) return 0 ;;
    esac
    sleep 0.2
  done
  fail "$*: '$(r "$@" | tr -d '\r')', expected it to start with '$want'"
}
