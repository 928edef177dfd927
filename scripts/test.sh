#!/usr/bin/env bash
# The test command: checks the sources' layout, builds both builds and runs
# every test, a phase at a time, each ending with its time:
#   native    the native build's tests;
#   windows   the Windows build's tests under Wine, then the comparison of the
#             two builds' decoder output (one phase: in the virtual machine
#             where this kernel cannot run 32-bit programs);
#   web       the web module's tests under node and the web player in
#             chromium and firefox-esr (tests/web), where emcc and the
#             browsers are installed;
#   runner    the tests of scripts/wine-run.sh, both ways;
#   fuzzing   a bounded libFuzzer run (when clang is there).
# --built skips installing and building (as .ci/run does after its own).
# Usage: scripts/test.sh [--built]
#        scripts/test.sh windows-phase   (the Windows phase, where Wine runs)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/windows.sh
. scripts/lib/web.sh

# Runs a build's tests with ctest and ends with the line
# 'LABEL: N passed, N failed' (GoogleTest cases); fails when ctest does.
run_ctest() {
  local label=$1 build=$2 status=0
  shift 2
  rm -rf "$build/test-results" "$build/ctest-results.xml"
  (cd "$build" && ctest --output-on-failure --output-junit ctest-results.xml "$@") || status=1
  python3 scripts/test-summary.py "$label" "$build" || status=1
  return $status
}

# Runs the web module's tests (ctest in build/web) and the browser tests, and
# ends with 'web: N passed, N failed', the two summed.
run_web_phase() {
  local log status=0
  log=$(mktemp)
  run_ctest "web module" build/web | tee "$log" || status=1
  if ! { web_packages && web_node 900 player_test.mjs; } | tee -a "$log"; then
    status=1
    # Browser tests that could not start or were stopped count as one failure.
    grep -q '^web browsers: ' "$log" ||
      echo "web browsers: 0 passed, 1 failed (the browser tests did not run to their end)" | tee -a "$log"
  fi
  awk '/^web (module|browsers): [0-9]+ passed, [0-9]+ failed/ { p += $3; f += $5 }
       END { printf "web: %d passed, %d failed\n", p, f }' "$log"
  rm -f "$log"
  return $status
}

if [ "${1:-}" = windows-phase ]; then
  status=0
  use_test_prefix "$PWD/build/win32"
  run_ctest windows build/win32 -j"$(nproc)" || status=1
  wineserver -k || true
  echo "== native and Windows decoder output"
  scripts/compare-builds.sh build/native build/win32 || status=1
  exit $status
fi

phase_start=$SECONDS
phase_end() { echo "($1: $((SECONDS - phase_start)) s)"; phase_start=$SECONDS; }
status=0
if [ "${1:-}" != --built ]; then
  scripts/install-deps.sh
  phase_end "install"
fi
echo "== source layout"
scripts/check-format.sh || status=1
phase_end "source layout"
if [ "${1:-}" != --built ]; then
  scripts/build.sh
  phase_end "build"
fi

echo "== native tests"
run_ctest native build/native -j"$(nproc)" -LE runner || status=1
phase_end "native tests"
echo "== web player (the module under node, the page in the browsers)"
if why=$(web_unavailable); then
  echo "web: skipped ($why)"
else
  run_web_phase || status=1
fi
phase_end "web tests"
echo "== Windows tests (Wine)"
run_windows_phase 3600 scripts/test.sh windows-phase || status=1
phase_end "Windows tests"
echo "== Windows program runner"
run_ctest runner build/native -L runner || status=1
phase_end "runner tests"
if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}" || status=1
  phase_end "fuzzing"
fi
exit $status
