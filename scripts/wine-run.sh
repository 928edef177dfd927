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
. "$here/lib/windows.sh"

display=
if [ "${1:-}" = --display ]; then display=1; shift; fi
if [ $# -eq 0 ] || [ "$1" = --help ] || [ "$1" = -h ]; then
  echo "usage: scripts/wine-run.sh [--display] PROGRAM [ARGS...]" >&2
  exit 2
fi
[ -f "$1" ] || { echo "wine-run.sh: no program $1" >&2; exit 2; }
limit=${WINE_RUN_TIME_LIMIT:-3600}

choose_windows_way
if [ "$WINDOWS_WAY" = vm ]; then
  run_windows_phase "$limit" "$here/wine-run.sh" ${display:+--display} "$@"
  exit
fi

use_wine_prefix "$root/build/wineprefix"
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_private_xvfb
}
trap cleanup EXIT
if [ -n "$display" ]; then
  start_private_xvfb 200 299 || { echo "wine-run.sh: no Xvfb display could be started" >&2; exit 1; }
else
  unset DISPLAY
fi
prepare_wine_prefix x11
status=0
timeout -k 10 "$limit" wine "$@" || status=$?
[ $status -ne 124 ] || echo "wine-run.sh: $1 did not finish within $limit s" >&2
exit $status
