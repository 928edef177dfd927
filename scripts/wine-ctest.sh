#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: a private 32-bit prefix inside
# the build tree, headless (null graphics driver), one persistent wineserver.
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
build=$(cd "$1" && pwd); shift

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
unset DISPLAY

if [ ! -f "$WINEPREFIX/.prepared" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.prepared"
fi

wineserver -p
# Start Wine's services now, with stdio off ctest's pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
(cd "$build" && ctest --output-on-failure "$@") || status=$?
wineserver -k || true
exit $status
