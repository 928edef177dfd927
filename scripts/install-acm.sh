#!/usr/bin/env bash
# Installs the G.723.1 ACM codec driver g7231.acm into a Wine prefix, or with
# --remove takes it out: the file goes into the prefix's 32-bit system
# directory and is registered for the Audio Compression Manager under
# HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32, value
# msacm.g7231. Wine keeps what it learnt of a driver in a cache of its own,
# which is cleared either way, so that a newer driver is asked afresh.
# The prefix is $WINEPREFIX, or build/wineprefix when unset; it must exist.
# On a machine whose kernel cannot run 32-bit programs the work is done in
# the virtual machine of scripts/vm/boot.sh.
# Usage: scripts/install-acm.sh [--remove] [DRIVER]
#        (DRIVER defaults to build/win32/acm/g7231.acm)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

remove=
if [ "${1:-}" = --remove ]; then remove=1; shift; fi
driver=${1:-$root/build/win32/acm/g7231.acm}
prefix=${WINEPREFIX:-$root/build/wineprefix}
fail() { echo "install-acm.sh: $*" >&2; exit 1; }
[ -n "$remove" ] || [ -f "$driver" ] || fail "no driver $driver (build the Windows build first)"
[ -d "$prefix/drive_c/windows" ] || fail "no Wine prefix at $prefix"

. "$here/wine-host.sh"
choose_windows_way
if [ "$windows_way" = vm ]; then
  export WINEPREFIX=$prefix
  run_windows_phase 600 "$here/install-acm.sh" ${remove:+--remove} "$driver"
  exit
fi

export WINEPREFIX=$prefix WINEDEBUG=-all
# A 64-bit prefix keeps 32-bit drivers in syswow64 and their registration in
# the registry's 32-bit view.
system=$prefix/drive_c/windows/system32 view=
if [ -d "$prefix/drive_c/windows/syswow64" ]; then
  system=$prefix/drive_c/windows/syswow64 view=/reg:32
fi
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
cache='HKCU\Software\Microsoft\AudioCompressionManager\DriverCache\msacm.g7231'

wine reg delete "$cache" /f $view >/dev/null 2>&1 || true
if [ -n "$remove" ]; then
  wine reg delete "$key" /v msacm.g7231 /f $view >/dev/null 2>&1 || true
  rm -f "$system/g7231.acm"
  echo "removed g7231.acm from $prefix"
else
  cp "$driver" "$system/g7231.acm"
  wine reg add "$key" /v msacm.g7231 /d g7231.acm /f $view >/dev/null ||
    fail "could not register the driver in $prefix"
  echo "installed g7231.acm into $prefix"
fi
