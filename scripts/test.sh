#!/usr/bin/env bash
# Builds both builds and runs every test: native tests, then the Windows
# tests under Wine, then the comparison of the two builds' decoder output,
# then (when clang is there) a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

status=0
echo "== native tests"
(cd build/native && ctest --output-on-failure -j"$(nproc)") || status=1
echo "== Windows tests (Wine)"
scripts/wine-ctest.sh build/win32 || status=1
echo "== native and Windows decoder output"
scripts/compare-builds.sh build/native build/win32 || status=1
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}" || status=1
fi
exit $status
