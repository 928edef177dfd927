#!/usr/bin/env bash
# The Windows phase of the test command, run where Wine runs (on this machine
# or in the virtual machine, scripts/wine-host.sh): every test of the Windows
# build, then the comparison of the native and Windows decoders' output.
# Usage: scripts/windows-tests.sh NATIVE_BUILD_DIR WIN32_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
"$here/wine-ctest.sh" "$2" -j"$(nproc)" || status=1
echo "== native and Windows decoder output"
"$here/compare-builds.sh" "$1" "$2" || status=1
exit $status
