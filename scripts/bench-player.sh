#!/usr/bin/env bash
# Benchmark, not a test: the player core's decoding time per frame for each
# video codec against ffmpeg's on the same clips. For MS Video 1 and Cinepak it
# makes a 100-frame clip with ffmpeg (320x240 test picture) and two clips of
# it repeated (stream copies: 200 and 1000 frames); both
# avsplay --clip --rgba - and ffmpeg -threads 1 ... -f rawvideo -pix_fmt rgba -
# decode them to RGBA on /dev/null, alternately, several times; the cost per
# frame is the slope of the CPU-time medians between the two lengths, so that
# start-up does not count. Needs ffmpeg (it makes the clips).
# Usage: scripts/bench-player.sh [BUILD_DIR (default build/native)] [RUNS (default 5)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
runs=${2:-5}
command -v ffmpeg >/dev/null || { echo "bench-player: ffmpeg is needed to make the clips" >&2; exit 2; }
if [ ! -x "$build/tools/avsplay/avsplay" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target avsplay -j2 >/dev/null
fi
avsplay=$build/tools/avsplay/avsplay
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
short=2   # repeats of the 100-frame clip
long=10

avsplay_decode() { "$avsplay" --clip --rgba - "$1" 2>/dev/null; }
ffmpeg_decode() { ffmpeg -nostdin -loglevel error -threads 1 -i "$1" -f rawvideo -pix_fmt rgba -; }
# CPU seconds (user + system) of one run.
cpu() {  # decoder clip
  local usage
  usage=$( { TIMEFORMAT='%U %S'; time "${1}_decode" "$2" >/dev/null; } 2>&1 )
  echo "$usage" | awk '{printf "%.6f\n", $1 + $2}'
}
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

printf "%-9s %12s %12s %8s\n" codec "avsplay us" "ffmpeg us" ratio
for codec in msvideo1 cinepak; do
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15 -frames:v 100 -c:v $codec "$work/$codec.avi"
  for repeats in $short $long; do
    ffmpeg -nostdin -loglevel error -y -stream_loop $((repeats - 1)) -i "$work/$codec.avi" -c copy "$work/$codec.$repeats.avi"
    [ "$(avsplay_decode "$work/$codec.$repeats.avi" | cmp - <(ffmpeg_decode "$work/$codec.$repeats.avi") && echo same)" = same ] ||
      { echo "bench-player: avsplay and ffmpeg disagree on $codec" >&2; exit 1; }
    for _ in $(seq "$runs"); do
      for decoder in avsplay ffmpeg; do cpu $decoder "$work/$codec.$repeats.avi" >>"$work/$codec.$decoder.$repeats"; done
    done
  done
  for decoder in avsplay ffmpeg; do
    echo "$(median <"$work/$codec.$decoder.$short") $(median <"$work/$codec.$decoder.$long")" |
      awk -v n=$((short * 100)) -v m=$((long * 100)) '{printf "%.2f\n", 1e6 * ($2 - $1) / (m - n)}' >"$work/$codec.$decoder.slope"
  done
  paste "$work/$codec.avsplay.slope" "$work/$codec.ffmpeg.slope" |
    awk -v codec=$codec '{printf "%-9s %12.2f %12.2f %8.2f\n", codec, $1, $2, ($2 > 0 ? $1 / $2 : 0)}'
done
echo "us: CPU microseconds per decoded 320x240 frame (RGBA written to /dev/null), median of $runs runs," \
     "slope between $((short * 100)) and $((long * 100)) frames; ratio: avsplay / ffmpeg"
