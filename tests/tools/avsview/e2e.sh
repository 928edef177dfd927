#!/usr/bin/env bash
# End-to-end runs of avsview.exe with the real plug-in under Wine on a private
# Xvfb display: the packed sample from a file and from a local HTTP server, four
# elements at once, downloads without a length (announced as none, or a chunked
# response), from the cache in one chunk, or broken off, a cancelled save.
# Without --play the clip starts by itself at the end of the download (Wine's
# device cannot open the file while it is being written).
# Usage: e2e.sh CASE   (file | http | four | no-length | chunked | cache | truncated | closed | stalled | cancel)
# Environment: AVSVIEW, AVSPACK (the .exe files), CLIP (the sample AVI),
#              SERVER (clip_server.py), WORK (a folder of this test's own).
set -euo pipefail
case_name=$1
work=$WORK/$case_name
prefix=$WORK/prefix
rm -rf "$work"
mkdir -p "$work"
cd "$work"

. "$(dirname "$0")/../../../scripts/lib/windows.sh"
use_wine_prefix "$prefix"

fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: command at line $LINENO of e2e.sh" >&2' ERR

xvfb_pid= server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  stop_private_xvfb
}
trap cleanup EXIT

# The test's own prefix (X11 graphics), without what a killed run left.
prepare_prefix() {
  prepare_wine_prefix x11
  find "$prefix/drive_c/users" -iname 'ZEV*' -delete
}

start_server() {
  python3 "$SERVER" --dir "$work" --port-file port --lifetime 500 "$@" 2>server.log &
  server_pid=$!
  for _ in $(seq 100); do [ -s port ] && return 0; sleep 0.05; done
  fail "the HTTP server did not start"
}

# Runs avsview with a time limit; its summary goes to out.txt, the code to $rc.
run_avsview() {
  set +e
  timeout 400 wine "$AVSVIEW" "$@" >out.txt 2>err.txt
  rc=$?
  set -e
  cat out.txt
  [ $rc -ne 124 ] || fail "avsview did not end within 400 s"
}

expect_rc() { [ "$rc" -eq "$1" ] || { cat err.txt >&2; fail "exit code $rc, expected $1"; }; }
expect_line() { grep -qF -- "$1" out.txt || fail "no summary saying: $1"; }
expect_same() { cmp "$1" clip.avi || fail "$1 differs from the original clip"; }
expect_no_temp_files() {
  local left
  left=$(find "$prefix/drive_c/users" -iname 'ZEV*')
  [ -z "$left" ] || fail "temporary files left in the prefix: $left"
}

# The snapshot shows the clip's end: Wine's device leaves the frame before its
# end position in the window (platform notes, section 5), so the last or the
# next-to-last decoded frame must match within 1% of the pixels, while frame 0
# (as a check that the comparison can fail) must not.
expect_snapshot_of_end() {
  local snap=$1 frames pixels best=999999 k ae
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 clip.avi)
  pixels=$(identify -format '%[fx:w*h]' "$snap")
  for k in $((frames - 1)) $((frames - 2)) 0; do
    ffmpeg -loglevel error -y -i clip.avi -vf "select=eq(n\,$k)" -frames:v 1 frame$k.png
    ae=$(compare -metric AE -fuzz 2% "$snap" frame$k.png null: 2>&1 || true)
    echo "snapshot vs frame $k: $ae of $pixels pixels differ"
    if [ "$k" -eq 0 ]; then
      [ "$ae" -gt $((pixels / 20)) ] || fail "the snapshot looks like frame 0"
    elif [ "$ae" -lt "$best" ]; then
      best=$ae
    fi
  done
  [ "$best" -le $((pixels / 100)) ] || fail "the snapshot matches neither of the clip's last two frames"
}

start_private_xvfb 140 199 || fail "no Xvfb display could be started"
prepare_prefix
cp "$CLIP" clip.avi
wine "$AVSPACK" clip.avi clip.avs >/dev/null || fail "avspack could not pack the clip"

case $case_name in
file)
  run_avsview --rate 400000 --play --save-as saved.avi --snapshot snap.png clip.avs
  expect_rc 0
  expect_line "[1] clip.avs: $(stat -c %s clip.avs) of $(stat -c %s clip.avs) bytes, stream done; saved to"
  expect_same saved.avi
  expect_snapshot_of_end snap.png
  expect_no_temp_files
  ;;
http | chunked)
  # A response with its length (snapshot as BMP), and one in chunks without it.
  snap=snap.bmp
  if [ "$case_name" = chunked ]; then start_server --chunked; snap=snap.png; else start_server; fi
  run_avsview --save-as saved.avi --snapshot "$snap" "http://127.0.0.1:$(cat port)/clip.avs"
  expect_rc 0
  expect_line "stream done; saved to"
  grep -q '"GET /clip.avs HTTP/1.[01]" 200' server.log || fail "the server saw no request"
  expect_same saved.avi
  expect_snapshot_of_end "$snap"
  expect_no_temp_files
  ;;
four)
  start_server
  url="http://127.0.0.1:$(cat port)/clip.avs"
  run_avsview --rate 300000 --chunk 4096 --save-as saved.avi clip.avs "$url" clip.avs "$url"
  expect_rc 0
  for i in 1 2 3 4; do
    expect_line "[$i] "
    expect_same saved-$i.avi
  done
  [ "$(grep -c 'stream done; saved to' out.txt)" -eq 4 ] || fail "not four saved copies"
  expect_no_temp_files
  ;;
no-length)
  run_avsview --no-length --save-as saved.avi --snapshot snap.png clip.avs
  expect_rc 0
  expect_line "stream done; saved to"
  expect_same saved.avi
  expect_snapshot_of_end snap.png
  expect_no_temp_files
  ;;
cache)
  run_avsview --cache --save-as saved.avi --snapshot snap.png clip.avs
  expect_rc 0
  expect_line "[1] clip.avs: $(stat -c %s clip.avs) of $(stat -c %s clip.avs) bytes, stream done; saved to"
  expect_same saved.avi
  expect_snapshot_of_end snap.png
  expect_no_temp_files
  ;;
truncated)
  start_server --truncate-at 60000
  run_avsview --save-as saved.avi "http://127.0.0.1:$(cat port)/clip.avs"
  expect_rc 2
  expect_line "60000 of $(stat -c %s clip.avs) bytes, stream ended by a network error"
  expect_line "no save offer"
  [ ! -e saved.avi ] || fail "a broken-off download was saved"
  expect_no_temp_files
  ;;
stalled)
  # A server that never answers: closing the page ends the connection attempt.
  start_server --stall
  (set +e; timeout 400 wine "$AVSVIEW" --save-as saved.avi "http://127.0.0.1:$(cat port)/clip.avs" >out.txt 2>err.txt
   echo $? >rc.txt) &
  page_pid=$!
  for _ in $(seq 200); do grep -q stalling server.log && break; sleep 0.05; done
  grep -q stalling server.log || fail "the request did not reach the server"
  wine taskkill /im avsview.exe >/dev/null
  wait "$page_pid"
  rc=$(cat rc.txt)
  cat out.txt
  expect_rc 2
  expect_line "no stream (the page was closed before the download began); no save offer"
  expect_no_temp_files
  ;;
closed)
  # The page is closed (WM_CLOSE, as by its close box) once the plug-in has made
  # its temporary file, while the download still runs for about 10 s.
  (set +e; timeout 400 wine "$AVSVIEW" --rate 10000 --save-as saved.avi clip.avs >out.txt 2>err.txt
   echo $? >rc.txt) &
  page_pid=$!
  for _ in $(seq 200); do
    [ -n "$(find "$prefix/drive_c/users" -iname 'ZEV*')" ] && break
    sleep 0.05
  done
  [ -n "$(find "$prefix/drive_c/users" -iname 'ZEV*')" ] || fail "the download did not start"
  wine taskkill /im avsview.exe >/dev/null
  wait "$page_pid"
  rc=$(cat rc.txt)
  cat out.txt
  expect_rc 2
  expect_line "stream broken off: the page was closed during the download; no save offer"
  [ ! -e saved.avi ] || fail "a broken-off download was saved"
  expect_no_temp_files
  ;;
cancel)
  run_avsview --cancel-save --hold 0 clip.avs
  expect_rc 0
  expect_line "stream done; save offered and cancelled"
  expect_no_temp_files
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
