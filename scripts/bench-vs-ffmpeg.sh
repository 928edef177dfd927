#!/usr/bin/env bash
# Benchmark, not a test: times g723dec against ffmpeg's G.723.1 decoder in the
# steady state. Both decode two streams of different length (the shipped
# sample repeated), alternately, several times, writing to /dev/null; from the
# medians each decoder's cost per frame is the slope between the two lengths
# and its start-up the time left at zero frames, so that ffmpeg's much larger
# start-up does not inflate the ratio. ffmpeg serves only as the speed
# baseline; its output is not used. Without ffmpeg only g723dec is timed.
# Usage: scripts/bench-vs-ffmpeg.sh [BUILD_DIR (default build/native)] [RUNS (default 7)]
#                                   [SHORT_REPEATS (default 100)] [LONG_REPEATS (default 400)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
runs=${2:-7}
short_repeats=${3:-100}
long_repeats=${4:-400}
[ "$long_repeats" -gt "$short_repeats" ] || { echo "LONG_REPEATS must exceed SHORT_REPEATS" >&2; exit 2; }

if [ ! -x "$build/tools/g723dec/g723dec" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target g723dec -j2 >/dev/null
fi
g723dec=$build/tools/g723dec/g723dec

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frame_bytes=24   # the sample holds 24-byte frames only
for length in short long; do
  repeats=$short_repeats
  [ $length = long ] && repeats=$long_repeats
  for _ in $(seq "$repeats"); do cat samples/speech.g723; done >"$work/$length.g723"
  echo $(( $(stat -c %s "$work/$length.g723") / frame_bytes )) >"$work/$length.frames"
  echo "$length stream: samples/speech.g723 x $repeats = $(cat "$work/$length.frames") frames"
done

ffmpeg_decode() {  # stream
  ffmpeg -nostdin -hide_banner -loglevel error -f g723_1 -i "$1" -f s16le -
}
g723dec_decode() {  # stream
  "$g723dec" "$1" -
}

decoders=g723dec
if command -v ffmpeg >/dev/null; then
  decoders="g723dec ffmpeg"
else
  echo "ffmpeg not found: timing g723dec alone, no comparison"
fi
# Each must decode every frame of both streams, 480 bytes per frame.
for decoder in $decoders; do
  for length in short long; do
    size=$(${decoder}_decode "$work/$length.g723" | wc -c)
    if [ "$size" -ne $(( $(cat "$work/$length.frames") * 480 )) ]; then
      echo "$decoder wrote $size bytes for the $length stream, expected $(( $(cat "$work/$length.frames") * 480 ))" >&2
      exit 1
    fi
  done
done

# Appends "wall cpu" (seconds; cpu = user + system) of one run to a file.
timed() {  # file decoder stream
  local start end usage
  start=$(date +%s.%N)
  usage=$( { TIMEFORMAT='%U %S'; time "${2}_decode" "$3" >/dev/null 2>"$work/stderr"; } 2>&1 )
  end=$(date +%s.%N)
  echo "$start $end $usage" | awk '{printf "%.6f %.6f\n", $2 - $1, $3 + $4}' >>"$1"
}

median() {  # of the numbers on standard input
  sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

for _ in $(seq "$runs"); do   # alternating, so that both see the same machine load
  for length in short long; do
    for decoder in $decoders; do
      timed "$work/$decoder.$length" "$decoder" "$work/$length.g723"
    done
  done
done

# Per decoder and clock: the medians of both lengths, the slope between them
# in microseconds per frame and the start-up (the time left at zero frames).
short_frames=$(cat "$work/short.frames")
long_frames=$(cat "$work/long.frames")
echo "medians of $runs runs, seconds ($short_frames and $long_frames frames), cost per frame and start-up:"
printf "%-8s %-5s %9s %9s %9s %10s\n" decoder clock short long us/frame start-up
for decoder in $decoders; do
  for column in 1 2; do
    s=$(cut -d' ' -f$column "$work/$decoder.short" | median)
    l=$(cut -d' ' -f$column "$work/$decoder.long" | median)
    echo "$s $l" | awk -v n="$short_frames" -v m="$long_frames" \
      '{slope = ($2 - $1) / (m - n); printf "%.6f %.6f %.4f %.4f\n", $1, $2, 1e6 * slope, $1 - slope * n}'
  done >"$work/$decoder.fit"
  paste -d' ' <(printf "wall\ncpu\n") "$work/$decoder.fit" |
    awk -v name="$decoder" '{printf "%-8s %-5s %9.3f %9.3f %9.2f %9.3fs\n", name, $1, $2, $3, $4, $5}'
done
if [ "$decoders" != g723dec ]; then
  paste -d' ' "$work/g723dec.fit" "$work/ffmpeg.fit" |
    awk 'NR == 1 {w = $7 / $3} NR == 2 {c = $7 / $3}
         END {printf "steady-state ratio (ffmpeg us/frame / g723dec us/frame): %.1f wall, %.1f cpu\n", w, c}'
fi
