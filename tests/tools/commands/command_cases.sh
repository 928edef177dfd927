#!/bin/bash
# The tools as a user runs them, one table of command cases: each case gives
# its exit code and a line it must print, and afterwards every file that was
# there is unchanged and no temporary output is left. Then SIGINT, SIGTERM and
# SIGHUP in the middle of an output. Needs ffmpeg (MP3 and FLAC inputs).
# Usage: command_cases.sh G723DEC AVSPACK SOURCE_DIR WORK_DIR
set -uo pipefail
g723dec=$(realpath "$1") avspack=$(realpath "$2") source=$(realpath "$3") work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# --- fixtures -----------------------------------------------------------------
cp "$source/samples/clip.avi" "$source/samples/speech.g723" "$source/README.md" .
"$avspack" clip.avi clip.avs >/dev/null
ln clip.avi hardlink.avi
ln -s speech.g723 symlink.g723
patch() { cp "$1" "$2" && printf "$4" | dd of="$2" bs=1 seek="$3" conv=notrunc status=none; }
patch clip.avs zeroed.avs 0 '\0\0\0\0\0\0\0\0'
block=$(od -An -tu4 -j4 -N4 clip.avs | tr -d ' ')
patch clip.avs rifx.avs $((8 + block)) 'RIFX'
patch clip.avs offset10.avs 0 '\x0a\0\0\0'
patch speech.g723 damaged.g723 240 '\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff'
cp speech.g723 hour.g723  # 1024 copies of 6.21 s
for _ in 1 2 3 4 5 6 7 8 9 10; do cat hour.g723 hour.g723 >double.g723 && mv double.g723 hour.g723; done
ffmpeg -loglevel error -i "$source/samples/speech.wav" -id3v2_version 3 tagged.mp3
ffmpeg -loglevel error -i "$source/samples/speech.wav" -id3v2_version 0 -write_xing 0 -f mp3 bare.mp3
ffmpeg -loglevel error -i "$source/samples/speech.wav" speech.flac
tail -c +1100 bare.mp3 >middle.mp3
head -c 65536 /dev/urandom >random.bin
# Sparse AVIs whose 'idx1' index lies beyond the 64 MiB the player may run ahead: 80 MiB
# for the warning, 1 GiB to be stopped while packing (kept apart, not checksummed).
mkdir big
avi() {
  python3 - "$1" "$2" <<'PY'
import struct, sys
movi = int(sys.argv[2]) * 1024 * 1024
with open(sys.argv[1], "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 4 + 12 + movi + 8 + 16) + b"AVI ")
    f.write(b"LIST" + struct.pack("<I", 4 + movi) + b"movi")
    f.seek(movi, 1)
    f.write(b"idx1" + struct.pack("<I", 16) + b"00dc" + bytes(12))
PY
}
avi big/late.avi 80
avi big/huge.avi 1024
echo "previous contents" >existing.wav

# --- the table ------------------------------------------------------------------
# case NAME EXIT TEXT [+NEW_FILE] -- COMMAND...: COMMAND exits with EXIT, prints a line
# (on stdout or stderr) holding TEXT, changes no file that was there and adds none but
# NEW_FILE.
case_() {
  local name=$1 expected=$2 text=$3 new=; shift 3
  [ "$1" != -- ] && { new=${1#+}; shift; }
  shift
  local before after output code failed=$failures
  before=$(snapshot)
  output=$("$@" 2>&1 </dev/null); code=$?
  after=$(snapshot "$new")
  [ "$code" = "$expected" ] || fail "$name: exit $code, expected $expected: $output"
  grep -qF -- "$text" <<<"$output" || fail "$name: no '$text' in: $output"
  [ "$before" = "$after" ] || fail "$name: files changed: $(diff <(echo "$before") <(echo "$after") | tail -n +2)"
  [ -z "$new" ] || [ -s "$new" ] || fail "$name: $new not written"
  [ -n "$new" ] && rm -f "$new"
  [ $failures = "$failed" ] && echo "ok: $name: exit $code: $(grep -F -m1 -- "$text" <<<"$output")"
}
# The checksums of the files here, but for the one named.
snapshot() { find . -maxdepth 1 -type f ! -name "${1:-/}" -exec md5sum {} + | sort; }
G=$g723dec A=$avspack
case_ pack-onto-itself           5 "clip.avi: is the input file"      -- $A clip.avi clip.avi
case_ pack-onto-a-hard-link      5 "hardlink.avi: is the input file"  -- $A clip.avi hardlink.avi
case_ unpack-onto-itself         5 "clip.avs: is the input file"      -- $A --unpack clip.avs clip.avs
case_ decode-onto-a-symlink      5 "symlink.g723: is the input file"  -- $G speech.g723 symlink.g723
case_ mp3-with-tag               3 "this is an MP3 file (ID3 tag)"    -- $G tagged.mp3 out.wav
case_ mp3-from-a-frame-boundary  3 "this is an MP3 file (MPEG audio)" -- $G bare.mp3 out.wav
case_ mp3-cut-anywhere           3 "cannot come from a G.723.1 coder" -- $G middle.mp3 out.wav
case_ flac                       3 "this is a FLAC file"              -- $G speech.flac out.wav
case_ flac-on-standard-input     3 "this is a FLAC file"              -- sh -c "$G - - <speech.flac"
case_ text                       3 "this is a text file"              -- $G README.md out.wav
case_ random-bytes               3 "cannot come from a G.723.1 coder" -- $G random.bin out.wav
case_ damaged-speech-decodes     0 "bad frames (invalid codes): 1" +out.wav -- $G --stats damaged.g723 out.wav
case_ output-kept-on-failure     3 "this is a text file"              -- $G README.md existing.wav
case_ duration-as-a-clock        0 "duration: 6359.04 s (1:45:59)"    -- $G --stats --raw hour.g723 /dev/null
case_ lose-beyond-the-limit      1 "frame numbers go up to 999999999999999999" -- $G --lose 0-9223372036854775807 speech.g723 out.wav
case_ info-header-zeroed         3 "consistent:    no, the rebuilt clip is not an AVI: it begins with 'idx1'" -- $A --info zeroed.avs
case_ unpack-header-zeroed       3 "begins with 'idx1', not 'RIFF'"   -- $A --unpack zeroed.avs out.avi
case_ info-rifx                  3 "it begins with 'RIFX'"            -- $A --info rifx.avs
case_ unpack-rifx                3 "it begins with 'RIFX'"            -- $A --unpack rifx.avs out.avi
case_ info-block-offset-10       3 "sizes disagree"                   -- $A --info offset10.avs
case_ unpack-block-offset-10     3 "sizes disagree"                   -- $A --unpack offset10.avs out.avi
case_ unpack-any-clip            0 "bytes rebuilt"  +out.avi          -- $A --unpack --any-clip offset10.avs out.avi
case_ info-consistent            0 "consistent:    yes"               -- $A --info clip.avs
case_ info-of-an-avi             3 "this is an AVI clip, not a packed stream; pack it first" -- $A --info clip.avi
case_ dash-input                 1 "'-' (standard input or output) cannot be used" -- $A - out.avs
case_ dash-output                1 "'-' (standard input or output) cannot be used" -- $A clip.avi -
case_ late-start-warning         0 "playback can start only after" +late.avs -- $A big/late.avi late.avs
case_ usage-g723dec              1 "unknown option '--bogus'"         -- $G --bogus a b
case_ usage-avspack              1 "unknown option '--bogus'"         -- $A --bogus a b
case_ missing-input-g723dec      2 "absent.g723"                      -- $G absent.g723 out.wav
case_ missing-input-avspack      2 "cannot open absent.avi"           -- $A absent.avi out.avs
for tool in $G $A; do
  version=$("$tool" --version)
  [ "$version" = "$(basename "$tool") $(sed -n 's/.*project(streamplug_suite VERSION \([0-9.]*\).*/\1/p' \
    "$source/CMakeLists.txt")" ] || fail "$tool --version: '$version'"
  "$tool" --help | grep -qF "Exit codes (the same in every tool):" || fail "$tool --help lists no exit codes"
done

# --- signals in the middle of an output ------------------------------------------
# interrupt SIGNAL NAME OUTPUT COMMAND...: started in the background, signalled once its
# temporary output exists; it must exit with 128 + the signal and remove that file.
interrupt() {
  local signal=$1 name=$2 output=$3; shift 3
  "$@" 2>err.txt >/dev/null &
  local pid=$! waited=0
  until compgen -G "$output.part*" >/dev/null || [ $waited -ge 200 ]; do sleep 0.05; waited=$((waited + 1)); done
  kill -s "$signal" $pid
  wait $pid 2>/dev/null; local code=$?
  local number failed=$failures; number=$(kill -l "$signal")
  [ "$code" = $((128 + number)) ] || fail "$name: exit $code after SIG$signal, expected $((128 + number))"
  grep -q "interrupted by SIG$signal; removed the unfinished output $output.part" err.txt ||
    fail "$name: $(cat err.txt)"
  compgen -G "$output*" >/dev/null && fail "$name: left $(echo "$output"*)"
  [ $failures = "$failed" ] && echo "ok: $name: exit $code: $(cat err.txt)"
  rm -f err.txt
}
mkfifo frames.fifo
for signal in INT TERM HUP; do
  # g723dec waits on a pipe that has sent some frames and stays open.
  (cat hour.g723; sleep 30) >frames.fifo &
  feeder=$!
  interrupt $signal "g723dec-SIG$signal" out.wav sh -c "exec $G - out.wav <frames.fifo"
  kill $feeder 2>/dev/null; wait $feeder 2>/dev/null
  interrupt $signal "avspack-SIG$signal" out.avs $A big/huge.avi out.avs
done

cd / && rm -rf "$work"
[ $failures -eq 0 ] || { echo "$failures command cases failed" >&2; exit 1; }
