#!/usr/bin/env bash
# Checks the sources' layout, builds both builds and runs every test: the
# native tests; the Windows tests under Wine with the comparison of the two
# builds' decoder output (one phase, in the virtual machine where this kernel
# cannot run 32-bit programs); the tests of the Windows program runner; then (when clang is there) a bounded
# fuzzing run. Each phase ends with its time.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-host.sh

phase_start=$SECONDS
phase_end() { echo "($1: $((SECONDS - phase_start)) s)"; phase_start=$SECONDS; }

scripts/install-deps.sh
phase_end "install"
status=0
echo "== source layout"
scripts/check-format.sh || status=1
phase_end "source layout"
scripts/build.sh
phase_end "build"

echo "== native tests"
scripts/ctest-run.sh native build/native -j"$(nproc)" || status=1
phase_end "native tests"
echo "== Windows tests (Wine)"
run_windows_phase 3600 scripts/windows-tests.sh build/native build/win32 || status=1
phase_end "Windows tests"
echo "== Windows program runner"
tests/scripts/wine_run_test.sh || status=1
phase_end "runner tests"
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}" || status=1
  phase_end "fuzzing"
fi
exit $status
