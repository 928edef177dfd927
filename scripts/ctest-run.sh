#!/usr/bin/env bash
# Runs a build's tests with ctest and ends with the line
# 'LABEL: N passed, N failed' (scripts/test-summary.py); exits with ctest's code.
# Usage: scripts/ctest-run.sh LABEL BUILD_DIR [ctest arguments...]
set -euo pipefail
label=$1 build=$2; shift 2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$build/test-results" "$build/ctest-results.xml"
status=0
(cd "$build" && ctest --output-on-failure --output-junit ctest-results.xml "$@") || status=$?
python3 "$here/test-summary.py" "$label" "$build" || status=1
exit $status
