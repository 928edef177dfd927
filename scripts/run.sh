#!/usr/bin/env bash
# The main job on the shipped samples:
#  1. installs what is missing and builds both builds (scripts/build.sh), unless
#     --built says that is done;
#  2. decodes samples/speech.g723 with the native decoder into build/speech-decoded.wav;
#  3. packs samples/speech-clip.avi (a test picture with G.723.1 speech) with avspack
#     into build/demo/clip.avs;
#  4. plays it through the real plug-in (streamplug.dll) in avsview under Wine, on a
#     private Xvfb display, at a modem's 7000 bytes/s, with its sound: the G.723.1 ACM
#     codec driver (g7231.acm) installed into the project's prefix and Wine's
#     PulseAudio driver on a PulseAudio server of the run's own, which records it
#     (the play phase: in the virtual machine where this kernel cannot run 32-bit
#     programs); saves the clip through the plug-in's real Save As dialog, checks
#     the saved copy against the original, writes a PNG snapshot of the playing
#     window and, beside it, what was heard as a WAV file;
#  5. (before 4) serves a page with the same clip at the same rate to the web
#     player in headless chromium (where emcc and the browsers are installed),
#     and saves a screenshot of the player taken mid-download and the sound the
#     page produced.
# Every step has a time limit, so the script ends by itself.
# Usage: scripts/run.sh [--built]
#        scripts/run.sh play-phase   (step 4's play, where Wine runs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo=build/demo
. scripts/lib/windows.sh
. scripts/lib/web.sh

if [ "${1:-}" = play-phase ]; then
  use_wine_prefix "$root/build/wineprefix"
  xvfb_pid=
  log=$(mktemp)
  cleanup() {
    stop_heard_run
    wineserver -k 2>/dev/null || true
    stop_private_xvfb
    rm -f "$log"
  }
  trap cleanup EXIT
  start_private_xvfb 200 299 || { echo "run.sh: no Xvfb display could be started" >&2; exit 1; }
  prepare_wine_prefix x11
  install_acm_driver build/win32/acm/g7231.acm || { echo "run.sh: could not install g7231.acm" >&2; exit 1; }
  start_heard_run "$log" "$demo/heard-sound.wav"
  status=0
  timeout -k 10 900 wine build/win32/tools/avsview/avsview.exe --rate 7000 --chunk 1400 \
    --save-as "$demo/saved-clip.avi" --snapshot "$demo/playing-window.png" "$demo/clip.avs" || status=$?
  exit $status
fi

if [ "${1:-}" != --built ]; then
  scripts/install-deps.sh
  scripts/build.sh
fi
echo "== speech"
build/native/tools/g723dec/g723dec samples/speech.g723 build/speech-decoded.wav
echo "decoded speech: $root/build/speech-decoded.wav"

echo "== clip"
rm -rf "$demo"
mkdir -p "$demo"
build/native/tools/avspack/avspack samples/speech-clip.avi "$demo/clip.avs"

echo "== web page"
web_result="web page:            skipped"
if why=$(web_unavailable); then
  echo "web page: skipped ($why)"
  web_result="$web_result ($why)"
else
  echo "playing $demo/clip.avs in a page with the web player (headless chromium) at 7000 bytes/s"
  web_packages
  web_node 600 demo.mjs "$root/$demo/clip.avs" "$root/$demo/web-playing.png" "$root/$demo/web-sound.wav" 7000 ||
    { echo "run.sh: the web page did not play the clip" >&2; exit 1; }
  web_result="web page, mid-download: $root/$demo/web-playing.png
sound the page produced: $root/$demo/web-sound.wav"
fi

cat <<'EOF'
Wine's AVI device cannot open a file while it is being written (it opens the
file deny-write and indexes only the frames present at open time), so the plug-in
cannot start the clip while it downloads here: with autostart on (the default) it
opens the complete clip and plays it by itself once the download has ended.
The clip's speech is G.723.1, which Wine's wave mapper plays only through an
installed ACM codec driver: g7231.acm is installed into the prefix first, and a
PulseAudio server of this run's own records what Wine plays.
(Wine's line "Read access denied for device Z:" comes from the Save As dialog
listing the drives and is harmless.)
EOF
echo "playing $demo/clip.avs through streamplug.dll at 7000 bytes/s (about $(( $(stat -c %s "$demo/clip.avs") / 7000 + 5 )) s of download), with its sound"
status=0
run_windows_phase 1200 scripts/run.sh play-phase || status=$?
[ $status -eq 0 ] || { echo "run.sh: avsview failed (exit code $status)" >&2; exit 1; }
if ! cmp -s "$demo/saved-clip.avi" samples/speech-clip.avi; then
  echo "run.sh: the saved copy differs from samples/speech-clip.avi" >&2
  exit 1
fi
# The loudest sample heard (16-bit samples after the 44-byte header).
peak=$(od -An -v -td2 -w2 -j44 "$demo/heard-sound.wav" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > p) p = v } END { print p + 0 }')
[ "$peak" -gt 0 ] || { echo "run.sh: nothing was heard: $demo/heard-sound.wav is silent" >&2; exit 1; }

echo "== results"
echo "decoded speech:      $root/build/speech-decoded.wav"
echo "packed clip:         $root/$demo/clip.avs"
echo "saved copy:          $root/$demo/saved-clip.avi (identical to samples/speech-clip.avi)"
echo "snapshot of the playing window: $root/$demo/playing-window.png"
echo "what was heard:      $root/$demo/heard-sound.wav ($(( ($(stat -c %s "$demo/heard-sound.wav") - 44) / 16000 )) s from the start of the download, the clip's speech in it; loudest sample $peak)"
echo "$web_result"
