#!/usr/bin/env bash
# Installs the G.723.1 ACM codec driver g7231.acm into a Wine prefix, or with
# --remove takes it out (see install_acm_driver in scripts/lib/windows.sh).
# The prefix is $WINEPREFIX, or build/wineprefix when unset; it must exist.
# On a machine whose kernel cannot run 32-bit programs the work is done in
# the virtual machine of scripts/vm/boot.sh.
# Usage: scripts/install-acm.sh [--remove] [DRIVER]
#        (DRIVER defaults to build/win32/acm/g7231.acm)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
. "$here/lib/windows.sh"

remove=
if [ "${1:-}" = --remove ]; then remove=1; shift; fi
driver=$(realpath -m "${1:-$root/build/win32/acm/g7231.acm}")
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
fail() { echo "install-acm.sh: $*" >&2; exit 1; }
[ -n "$remove" ] || [ -f "$driver" ] || fail "no driver $driver (build the Windows build first)"
[ -d "$WINEPREFIX/drive_c/windows" ] || fail "no Wine prefix at $WINEPREFIX"

choose_windows_way
if [ "$WINDOWS_WAY" = vm ]; then
  run_windows_phase 600 "$here/install-acm.sh" ${remove:+--remove} "$driver"
  exit
fi
export WINEDEBUG=-all
if [ -n "$remove" ]; then
  install_acm_driver --remove
  echo "removed g7231.acm from $WINEPREFIX"
else
  install_acm_driver "$driver" || fail "could not install the driver into $WINEPREFIX"
  echo "installed g7231.acm into $WINEPREFIX"
fi
