#!/usr/bin/env bash
# Checks that the Windows decoder (speechdec.dll under Wine) and the native one
# (libspeechdec.so) produce bit-identical samples: both decode the shipped
# sample and generated streams of every frame kind with speechdec_dump.
# Runs where Wine runs (the Windows phase of scripts/test.sh).
# Usage: scripts/compare-builds.sh NATIVE_BUILD_DIR WIN32_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
native=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
sample=$PWD/samples/speech.g723
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$native/tests/decoder/speechdec_dump" "$native/decoder/libspeechdec.so" "$sample" "$out/native.pcm"

. scripts/lib/windows.sh
use_test_prefix "$win"
status=0
wine "$win/tests/decoder/speechdec_dump.exe" "$win/decoder/speechdec.dll" "$sample" "$out/win32.pcm" \
  </dev/null | tr -d '\r' || status=$?
wineserver -k || true
[ $status -eq 0 ] || { echo "the Windows decoder run failed ($status)" >&2; exit 1; }

if cmp -s "$out/native.pcm" "$out/win32.pcm"; then
  echo "native and Windows decoders agree on all $(( $(stat -c %s "$out/native.pcm") / 2 )) samples"
else
  cmp "$out/native.pcm" "$out/win32.pcm" | head -1 >&2 || true
  echo "native and Windows decoder output differ" >&2
  exit 1
fi
