#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: a private 32-bit prefix inside
# the build tree, headless (null graphics driver), one persistent wineserver.
# Ends with the line 'windows: N passed, N failed' (GoogleTest cases).
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift

. "$here/wine-common.sh"
use_test_prefix "$build"
status=0
"$here/ctest-run.sh" windows "$build" "$@" || status=$?
wineserver -k || true
exit $status
