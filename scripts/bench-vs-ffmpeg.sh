#!/usr/bin/env bash
# Benchmark, not a test: times g723dec against ffmpeg's G.723.1 decoder on the
# same long stream (the shipped sample repeated to about ten minutes) and
# prints the median of several runs of each, microseconds per frame and the
# ratio. ffmpeg serves only as the speed baseline; its output is not used.
# Without ffmpeg only g723dec is timed and the comparison is skipped.
# Usage: scripts/bench-vs-ffmpeg.sh [BUILD_DIR (default build/native)] [RUNS (default 7)] [REPEATS (default 100)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
runs=${2:-7}
repeats=${3:-100}

if [ ! -x "$build/tools/g723dec/g723dec" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target g723dec -j2 >/dev/null
fi
g723dec=$build/tools/g723dec/g723dec

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stream=$work/long.g723
for _ in $(seq "$repeats"); do cat samples/speech.g723; done >"$stream"
frames=$(( $(stat -c %s "$stream") / 24 ))   # the sample holds 24-byte frames only
echo "stream: samples/speech.g723 x $repeats = $frames frames ($(( frames * 3 / 100 )) s of speech)"

# Prints "wall cpu" (seconds; cpu = user + system) of one run of the command.
timed() {
  local start end usage
  start=$(date +%s.%N)
  usage=$( { TIMEFORMAT='%U %S'; time "$@" >/dev/null 2>"$work/stderr"; } 2>&1 )
  end=$(date +%s.%N)
  echo "$start $end $usage" | awk '{printf "%.6f %.6f\n", $2 - $1, $3 + $4}'
}

median() {  # of the numbers on standard input
  sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

have_ffmpeg=1
if ! command -v ffmpeg >/dev/null; then
  have_ffmpeg=0
  echo "ffmpeg not found: timing g723dec alone, no comparison"
else
  # Both must decode the whole stream, 480 bytes per frame.
  ours=$("$g723dec" "$stream" - | wc -c)
  theirs=$(ffmpeg -nostdin -hide_banner -loglevel error -f g723_1 -i "$stream" -f s16le - | wc -c)
  if [ "$ours" -ne $(( frames * 480 )) ] || [ "$theirs" -ne $(( frames * 480 )) ]; then
    echo "unexpected output sizes: g723dec $ours, ffmpeg $theirs bytes (expected $(( frames * 480 )))" >&2
    exit 1
  fi
fi

: >"$work/ours"
: >"$work/theirs"
for _ in $(seq "$runs"); do   # alternating, so that both see the same machine load
  timed "$g723dec" "$stream" - >>"$work/ours"
  if [ $have_ffmpeg -eq 1 ]; then
    timed ffmpeg -nostdin -hide_banner -loglevel error -f g723_1 -i "$stream" -f s16le - >>"$work/theirs"
  fi
done

report() {  # name file
  local wall cpu
  wall=$(cut -d' ' -f1 "$2" | median)
  cpu=$(cut -d' ' -f2 "$2" | median)
  printf "%-8s median of %d runs: %8.3f s wall (%6.2f us/frame), %8.3f s cpu (%6.2f us/frame)\n" "$1" "$runs" \
    "$wall" "$(echo "$wall $frames" | awk '{print 1e6 * $1 / $2}')" \
    "$cpu" "$(echo "$cpu $frames" | awk '{print 1e6 * $1 / $2}')"
  echo "$wall $cpu" >"$work/$1.median"
}
report g723dec "$work/ours"
if [ $have_ffmpeg -eq 1 ]; then
  report ffmpeg "$work/theirs"
  paste "$work/g723dec.median" "$work/ffmpeg.median" |
    awk '{printf "ratio (ffmpeg time / g723dec time): %.1f wall, %.1f cpu\n", $3 / $1, $4 / $2}'
fi
