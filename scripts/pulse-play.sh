#!/usr/bin/env bash
# Runs one Windows program of the project as scripts/wine-run.sh --display does
# (the project's prefix build/wineprefix, a private Xvfb display), heard through
# Wine's PulseAudio driver on a PulseAudio server of its own (scripts/pulse-sink.sh):
# what the program plays is recorded into WAV (16-bit mono, 8000 Hz). --acm
# installs an ACM codec driver into the prefix first (scripts/install-acm.sh).
# The prefix's audio driver is switched off again afterwards. Exits with the
# program's exit code. On a machine whose kernel cannot run 32-bit programs it
# all runs inside the virtual machine of scripts/vm/boot.sh.
# Usage: scripts/pulse-play.sh [--acm DRIVER] WAV PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cd "$root"
. "$here/wine-host.sh"

driver=
if [ "${1:-}" = --acm ]; then driver=$2; shift 2; fi
if [ $# -lt 2 ]; then
  echo "usage: scripts/pulse-play.sh [--acm DRIVER] WAV PROGRAM [ARGS...]" >&2
  exit 2
fi
wav=$1; shift
[ -f "$1" ] || { echo "pulse-play.sh: no program $1" >&2; exit 2; }

choose_windows_way
if [ "$windows_way" = vm ]; then
  run_windows_phase "${WINE_RUN_TIME_LIMIT:-3600}" "$here/pulse-play.sh" ${driver:+--acm "$driver"} "$wav" "$@"
  exit
fi

. "$here/wine-common.sh"
. "$here/pulse-sink.sh"
use_wine_prefix "$root/build/wineprefix"
log=$(mktemp)
# A registry value is kept once the prefix's server has written it out.
set_audio_driver() {
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "$1" /f >/dev/null 2>&1
  wineserver -w
}
cleanup() {
  stop_pulse_sink
  set_audio_driver "" || true
  rm -f "$log"
}
trap cleanup EXIT

prepare_wine_prefix
[ -z "$driver" ] || "$here/install-acm.sh" "$driver"
start_pulse_sink 8000 "$log"
set_audio_driver pulse
start_sink_recording 8000 "$wav"
status=0
"$here/wine-run.sh" --display "$@" || status=$?
stop_sink_recording
exit $status
