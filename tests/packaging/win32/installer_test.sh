#!/bin/sh
# SPDX-License-Identifier: MIT
# The Windows installer under Wine: installed quietly, its files (and only they) under
# the Program Files of its bitness, a Start menu entry to the window, an uninstaller
# registered; the installed tovrik-cli.exe runs; a newer version replaces it in place,
# an older one does not; uninstalling leaves nothing behind.
# Usage: installer_test.sh WINE STAGE MSI PRODUCT_CODE NEXT_MSI NEXT_PRODUCT_CODE NEXT_VERSION
#        PROJECT_VERSION PRODUCT_NAME
# STAGE is the folder of the files the installers carry.
# Runs under scripts/wine-session (its display), in a Wine prefix of its own that it
# makes in the current folder and removes at the end, so that nothing a run installs
# or leaves behind reaches the next run or the other tests.
set -eu
wine=$1
stage=$2
msi=$3
code=$4
next_msi=$5
next_code=$6
next_version=$7
project_version=$8
product_name=$9

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for f in "$msi" "$next_msi"; do
  [ -f "$f" ] || fail "$f is missing: build the target windows-msi first"
done

# A 64-bit prefix, which runs 32-bit programs too, as 64-bit Windows does.
wine64=${TOVRIK_WINE:-$wine}
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
prefix_root=$(mktemp -d "$PWD/installer-prefix.XXXXXX")
export WINEPREFIX="$prefix_root/prefix"
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix_root"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
# Wine's services start with the prefix and outlive this command; without output of
# theirs they never hold the test's output open.
"$wine64" wineboot --init </dev/null >/dev/null 2>&1 || fail "Wine did not make the prefix $WINEPREFIX"

# Wine takes its programs' paths as Windows paths; Z: is the Unix root.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# msiexec ends when the installation has ended; its status is the installer's result.
msiexec() { "$wine" msiexec "$@" </dev/null >/dev/null 2>&1; }
uninstall_key() {
  echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$1}"
}
# Prints a value of the product's uninstall entry, or fails when there is none. Wine's
# reg.exe of the installer's bitness sees the registry view the installer wrote to.
arp_value() {
  "$wine" reg query "$(uninstall_key "$1")" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | grep .
}
has_arp_entry() { "$wine" reg query "$(uninstall_key "$1")" </dev/null >/dev/null 2>&1; }

# Where this bitness's programs belong, as Wine's command shell of the same bitness says.
program_files=$("$wine" cmd /c echo '%ProgramFiles%' </dev/null 2>/dev/null | tr -d '\r')
case "$program_files" in
  ?:\\*) ;;
  *) fail "no Program Files folder from Wine: '$program_files'" ;;
esac
install_dir=$("$wine" winepath -u "$program_files\\Tovrik Configuration" </dev/null 2>/dev/null |
  tr -d '\r')
install_dir=${install_dir%/}
[ -n "$install_dir" ] || fail "winepath gave no Unix path for $program_files"
drive_c=$("$wine" winepath -u 'C:\' </dev/null 2>/dev/null | tr -d '\r')
shortcut_name="$product_name.lnk"
shortcuts() { find "$drive_c" -name "$shortcut_name" 2>/dev/null; }

[ ! -e "$install_dir" ] || fail "$install_dir is there before the installation"

check_installed() { # VERSION PRODUCT_CODE
  [ "$(cd "$install_dir" && ls | tr '\n' ' ')" = "LICENSE README.md tovrik-cli.exe tovrik-config.exe " ] ||
    fail "the installed files are not both programs, README and LICENSE: $(ls "$install_dir")"
  for f in LICENSE README.md tovrik-cli.exe tovrik-config.exe; do
    cmp -s "$install_dir/$f" "$stage/$f" || fail "the installed $f is not the one built"
  done
  out=$("$wine" "$(windows_path "$install_dir/tovrik-cli.exe")" --version </dev/null 2>&1 |
    tr -d '\r') || fail "the installed tovrik-cli.exe --version failed: $out"
  [ "$out" = "tovrik-cli $project_version" ] ||
    fail "the installed tovrik-cli.exe --version said '$out'"
  # Installed for the machine, Windows keeps the product's icon in its own folder
  # (for one user, in the user's profile).
  cmp -s "$drive_c/windows/Installer/{$2}/tovrik_config.ico" "$stage/tovrik-config.ico" ||
    fail "the tool's icon is not kept in C:\\windows\\Installer\\{$2}: not installed for the machine?"
  [ "$(shortcuts | wc -l)" -eq 1 ] ||
    fail "not one Start menu entry '$shortcut_name': $(shortcuts)"
  # A shortcut holds its target's and its icon's paths, in UTF-16 among others.
  link=$(tr -d '\000' <"$(shortcuts)")
  printf '%s' "$link" | grep -aqF "$program_files\\Tovrik Configuration\\tovrik-config.exe" ||
    fail "the Start menu entry does not start the installed tovrik-config.exe"
  printf '%s' "$link" | grep -aqF "Installer\\{$2}\\tovrik_config.ico" ||
    fail "the Start menu entry does not show the tool's icon"
  [ "$(arp_value "$2" DisplayName)" = "$product_name" ] ||
    fail "no uninstall entry named '$product_name' for {$2}"
  [ "$(arp_value "$2" DisplayVersion)" = "$1" ] ||
    fail "the uninstall entry's version is not $1: $(arp_value "$2" DisplayVersion || true)"
  case "$(arp_value "$2" UninstallString)" in
    *[Mm][Ss][Ii][Ee][Xx][Ee][Cc]*/X*"{$2}"*) ;;
    *) fail "the uninstall entry does not uninstall {$2}: $(arp_value "$2" UninstallString || true)" ;;
  esac
}

check_gone() {
  [ ! -e "$install_dir" ] || fail "$install_dir is left after uninstalling: $(ls -A "$install_dir")"
  left=$(find "$drive_c" -iname '*tovrik*' 2>/dev/null)
  [ -z "$left" ] || fail "left after uninstalling: $left"
  ! has_arp_entry "$code" || fail "the uninstall entry of {$code} is left"
  ! has_arp_entry "$next_code" || fail "the uninstall entry of {$next_code} is left"
}

# Windows Installer knows three version fields.
version=$(echo "$project_version" | cut -d. -f1-3)
msiexec /i "$(windows_path "$msi")" /qn || fail "msiexec /i $msi ended with status $?"
check_installed "$version" "$code"

# A newer version replaces the installed one: one copy, one uninstall entry.
msiexec /i "$(windows_path "$next_msi")" /qn || fail "msiexec /i $next_msi ended with status $?"
check_installed "$next_version" "$next_code"
! has_arp_entry "$code" || fail "the older version is still registered after the upgrade"

# An older version does not replace a newer one.
if msiexec /i "$(windows_path "$msi")" /qn; then
  fail "the older installer replaced the newer version"
fi
check_installed "$next_version" "$next_code"
! has_arp_entry "$code" || fail "the older installer registered itself beside the newer version"

msiexec /x "$(windows_path "$next_msi")" /qn || fail "msiexec /x $next_msi ended with status $?"
check_gone

# The installer of this build alone, installed and uninstalled by its own file.
msiexec /i "$(windows_path "$msi")" /qn || fail "msiexec /i $msi ended with status $?"
check_installed "$version" "$code"
msiexec /x "$(windows_path "$msi")" /qn || fail "msiexec /x $msi ended with status $?"
check_gone
echo "installed into $program_files\\Tovrik Configuration, upgraded in place, refused a downgrade and uninstalled without a trace"
