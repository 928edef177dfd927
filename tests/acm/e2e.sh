#!/usr/bin/env bash
# End to end: the sample clip with G.723.1 speech, packed with avspack and
# played by avsview through the real plug-in and Wine's MCI AVI device on a
# private Xvfb display, heard through Wine's PulseAudio driver on a PulseAudio server of
# the test's own, whose null sink's monitor parec records.
# Usage: e2e.sh CASE
#   sound         g7231.acm installed: the recording holds g723dec's decoding
#                 of the clip's audio track (normalised cross-correlation at
#                 the best lag at least 0.9)
#   unregistered  no driver installed: the device plays the pictures without
#                 sound, the recording stays silent and the page ends normally
# Environment: AVSVIEW, AVSPACK, G723DEC, SOUND_MATCH (the .exe files), DRIVER
#              (g7231.acm), CLIP (the sample AVI), WORK (a folder of this test's own);
#              WINEPREFIX, when it names the test run's prepared prefix, is
#              copied for this test's own prefix (making one takes many
#              minutes on an emulated machine).
set -euo pipefail
template=${WINEPREFIX:-}
case_name=$1
work=$WORK/$case_name
prefix=$WORK/prefix
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
rm -rf "$work"
mkdir -p "$work/home"
cd "$work"

. "$scripts/wine-common.sh"
use_wine_prefix "$prefix"
# PulseAudio's server and clients keep their files in the test's folders, not
# in the user's home; its socket in memory (the virtual machine's shared
# folders hold no sockets).
pulse=$(mktemp -d /dev/shm/acm-e2e-pulse.XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$pulse PULSE_RUNTIME_PATH=$pulse PULSE_STATE_PATH=$pulse
export PULSE_SERVER=unix:$pulse/native

fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: command at line $LINENO of e2e.sh" >&2' ERR

xvfb_pid= pulse_pid= parec_pid=
cleanup() {
  [ -n "$parec_pid" ] && kill "$parec_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$pulse"
}
trap cleanup EXIT

# A server with one output, a null sink of the clip's own sample format.
start_pulse() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-native-protocol-unix socket=$pulse/native auth-anonymous=1" \
    -L "module-null-sink sink_name=heard rate=8000 channels=1 format=s16le" >pulse.log 2>&1 &
  pulse_pid=$!
  for _ in $(seq 300); do
    pactl info >/dev/null 2>&1 && return 0
    kill -0 "$pulse_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "the PulseAudio server did not start: $(tail -c 300 pulse.log)"
}

# The test's own prefix: X11 graphics without a window manager, Wine's
# PulseAudio driver.
prepare_prefix() {
  if [ ! -f "$prefix/.prepared" ] && [ -n "$template" ] && [ -f "$template/.prepared" ]; then
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
  fi
  prepare_wine_prefix
  wineserver -k 2>/dev/null || true   # a server left by a run that was killed
  wineserver -p
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null
  # Wine's desktop process, started by the first program, keeps the drivers
  # it started with: start again with these.
  wineserver -k
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Plays the packed clip while the sink's monitor is recorded.
play_and_record() {
  parec -d heard.monitor --raw --format=s16le --rate=8000 --channels=1 --latency-msec=20 >recording.raw 2>parec.log &
  parec_pid=$!
  set +e
  timeout 180 wine "$AVSVIEW" --rate 400000 --play --hold 15 clip.avs >out.txt 2>err.txt
  rc=$?
  set -e
  kill -INT "$parec_pid"
  wait "$parec_pid" || true
  parec_pid=
  cat out.txt
  [ $rc -ne 124 ] || fail "avsview did not end within 180 s"
  [ $rc -eq 0 ] || { cat err.txt >&2; fail "avsview exit code $rc"; }
  grep -qF "stream done" out.txt || fail "the clip's stream did not end normally"
  echo "recorded $(( $(stat -c %s recording.raw) / 16000 )) s"
}

start_private_xvfb 140 199 || fail "no Xvfb display could be started"
start_pulse
prepare_prefix
cp "$CLIP" clip.avi
wine "$AVSPACK" clip.avi clip.avs >/dev/null || fail "avspack could not pack the clip"
wine "$G723DEC" --raw clip.avi reference.raw || fail "g723dec could not decode the clip's audio track"

case $case_name in
sound)
  "$scripts/install-acm.sh" "$DRIVER"
  play_and_record
  wine "$SOUND_MATCH" reference.raw recording.raw | tee match.txt || fail "no match could be computed"
  read -r _ lag _ _ value _ <match.txt
  value=${value%,}
  awk -v c="$value" 'BEGIN { exit !(c >= 0.9) }' ||
    fail "the recording does not hold the clip's speech (correlation $value at lag $lag)"
  ;;
unregistered)
  "$scripts/install-acm.sh" --remove
  play_and_record
  wine "$SOUND_MATCH" reference.raw recording.raw | tee match.txt || true
  grep -q "recording peak 0$" match.txt || fail "sound was heard without the driver"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
