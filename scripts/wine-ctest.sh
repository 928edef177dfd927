#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: a private 32-bit prefix inside
# the build tree, headless (null graphics driver), one persistent wineserver.
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
build=$(cd "$1" && pwd); shift

. "$(dirname "$0")/wine-common.sh"
use_wine_prefix "$build/wineprefix"
unset DISPLAY
prepare_wine_prefix 'HKCU\Software\Wine\Drivers|Graphics|null'

wineserver -p
# Start Wine's services now, with stdio off ctest's pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
(cd "$build" && ctest --output-on-failure "$@") || status=$?
wineserver -k || true
exit $status
