#!/usr/bin/env bash
# End to end: the sample clip with G.723.1 speech, packed with avspack and
# played by avsview through the real plug-in and Wine's MCI AVI device on a
# private Xvfb display, heard through Wine's PulseAudio driver on a PulseAudio
# server of the test's own (scripts/lib/windows.sh), whose null sink parec records.
# Usage: e2e.sh CASE
#   sound         g7231.acm installed: the recording holds g723dec's decoding
#                 of the clip's audio track (normalised cross-correlation at
#                 the best lag at least 0.9, compared without zero samples
#                 and as far as the sound was heard, at least half of it:
#                 acm_sound_match says why)
#   unregistered  no driver installed: the wave mapper cannot open the track
#                 (WAVERR_BADFORMAT), so the device plays the pictures alone and
#                 tells the plug-in nothing; the recording stays silent and the
#                 page ends normally
# Environment: AVSVIEW, AVSPACK, G723DEC, SOUND_MATCH (the .exe files), DRIVER
#              (g7231.acm), CLIP (the sample AVI), WORK (a folder of this test's own).
set -euo pipefail
case_name=$1
work=$WORK/$case_name
prefix=$WORK/prefix
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"

. "$scripts/lib/windows.sh"
use_wine_prefix "$prefix"

fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: command at line $LINENO of e2e.sh" >&2' ERR

xvfb_pid=
cleanup() {
  stop_heard_run
  wineserver -k 2>/dev/null || true
  stop_private_xvfb
}
trap cleanup EXIT

# Plays the packed clip while what it plays is recorded into recording.raw;
# the plug-in's save offer at the end is cancelled.
play_and_record() {
  start_heard_run pulse.log recording.raw || fail "no PulseAudio server to record"
  set +e
  timeout 300 wine "$AVSVIEW" --rate 400000 --play --cancel-save clip.avs >out.txt 2>err.txt
  rc=$?
  set -e
  stop_heard_run
  cat out.txt
  [ $rc -ne 124 ] || fail "avsview did not end within 300 s"
  [ $rc -eq 0 ] || { cat err.txt >&2; fail "avsview exit code $rc"; }
  grep -qF "stream done" out.txt || fail "the clip's stream did not end normally"
  echo "recorded $(( $(stat -c %s recording.raw) / 16 )) ms"
}

start_private_xvfb 140 199 || fail "no Xvfb display could be started"
prepare_wine_prefix x11
cp "$CLIP" clip.avi
wine "$AVSPACK" clip.avi clip.avs >/dev/null || fail "avspack could not pack the clip"
wine "$G723DEC" --raw clip.avi reference.raw || fail "g723dec could not decode the clip's audio track"

case $case_name in
sound)
  install_acm_driver "$DRIVER" || fail "could not install the driver"
  echo "the clip's track decoded by g723dec: $(( $(stat -c %s reference.raw) / 16 )) ms"
  play_and_record
  wine "$SOUND_MATCH" reference.raw recording.raw | tr -d "\r" | tee match.txt || fail "no match could be computed"
  lag=$(sed -n 's/^lag \([0-9]*\) samples, correlation .*/\1/p' match.txt)
  value=$(sed -n 's/^lag [0-9]* samples, correlation \([-0-9.]*\),.*/\1/p' match.txt)
  share=$(sed -n 's/^heard \([0-9]*\)% .*/\1/p' match.txt)
  [ -n "$value" ] || fail "nothing of the clip's speech was heard"
  awk -v c="$value" 'BEGIN { exit !(c >= 0.9) }' ||
    fail "the recording does not hold the clip's speech (correlation $value at lag $lag)"
  # The device closes the sound when the pictures end, cutting off what fell
  # behind them; most of the speech must have been heard all the same.
  [ "$share" -ge 50 ] || fail "only $share% of the clip's speech was heard before the device stopped"
  ;;
unregistered)
  install_acm_driver --remove
  play_and_record
  wine "$SOUND_MATCH" reference.raw recording.raw | tr -d "\r" | tee match.txt || true
  grep -q "recording peak 0$" match.txt || fail "sound was heard without the driver"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
