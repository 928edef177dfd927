#!/usr/bin/env bash
# Runs one Windows program of the project under Wine, from the repository's
# root, in the project's Wine prefix (build/wineprefix), and exits with its
# exit code. --display gives it a private Xvfb display of its own. On a machine
# whose kernel cannot run 32-bit programs it runs inside the virtual machine of
# scripts/vm/boot.sh; paths under the repository and under /tmp are the same
# files either way. WINE_RUN_TIME_LIMIT (seconds, default 3600) bounds the run.
# Usage: scripts/wine-run.sh [--display] PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cd "$root"
. "$here/wine-host.sh"

display=
if [ "${1:-}" = --display ]; then display=1; shift; fi
if [ $# -eq 0 ] || [ "$1" = --help ] || [ "$1" = -h ]; then
  echo "usage: scripts/wine-run.sh [--display] PROGRAM [ARGS...]" >&2
  exit 2
fi
[ -f "$1" ] || { echo "wine-run.sh: no program $1" >&2; exit 2; }

choose_windows_way
if [ "$windows_way" = vm ]; then
  run_windows_phase "${WINE_RUN_TIME_LIMIT:-3600}" "$here/wine-run.sh" ${display:+--display} "$@"
  exit
fi

. "$here/wine-common.sh"
use_wine_prefix "$root/build/wineprefix"
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
prepare_wine_prefix
if [ -n "$display" ]; then
  start_private_xvfb 200 299 || { echo "wine-run.sh: no Xvfb display could be started" >&2; exit 1; }
  # No window manager on Xvfb: unmanaged windows spare Wine's waits for one.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
elif [ -n "${IN_WINDOWS_VM:-}" ]; then
  unset DISPLAY
fi
status=0
timeout -k 10 "${WINE_RUN_TIME_LIMIT:-3600}" wine "$@" || status=$?
exit $status
