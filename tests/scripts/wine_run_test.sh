#!/usr/bin/env bash
# Tests of scripts/wine-run.sh through the virtual machine (forced with
# WINDOWS_VIA_VM=1, so they run the same on every machine): a program's exit
# code, stdout and stderr come back apart; what it writes under /tmp and the
# repository is there afterwards; a run over its time limit is stopped and
# says so; nothing of the machine is left running or lying about.
# Ends with 'runner: N passed, N failed'. Needs the Windows build (build/win32).
set -uo pipefail
cd "$(dirname "$0")/../.."
export WINDOWS_VIA_VM=1
avspack=build/win32/tools/avspack/avspack.exe
passed=0 failed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1" >&2; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
vm_files() { find build/vm -mindepth 1 ! -name 'initramfs-*' | sort; }
before=$(vm_files)

# A usage error: its code and its message on stderr only.
scripts/wine-run.sh "$avspack" >"$work/out" 2>"$work/err"; code=$?
check "usage error gives exit code 2 (got $code)" '[ $code -eq 2 ]'
check "usage message on stderr" 'grep -q "Try .avspack --help." "$work/err"'
check "nothing on stdout" '[ ! -s "$work/out" ]'

# A pack into /tmp: the file is there afterwards, the same as the native tool's.
scripts/wine-run.sh "$avspack" samples/clip.avi "$work/clip.avs" >"$work/out" 2>"$work/err"; code=$?
build/native/tools/avspack/avspack samples/clip.avi "$work/native.avs" >/dev/null
check "pack succeeds (exit code $code)" '[ $code -eq 0 ]'
check "the report comes back on stdout" 'grep -q "clip.avs" "$work/out"'
check "the packed file is written under /tmp and equals the native one" 'cmp -s "$work/clip.avs" "$work/native.avs"'

# A run over its time limit ends with one line saying why.
WINE_RUN_TIME_LIMIT=3 scripts/wine-run.sh "$avspack" >"$work/out" 2>"$work/err"; code=$?
check "a run over its limit fails (exit code $code)" '[ $code -ne 0 ]'
check "and says it did not finish in time" 'grep -q "did not finish within 3 s" "$work/err"'

check "no virtual machine left running" '! pgrep -f "qemu-system-x86_64.*vm_job=$PWD/build/vm" >/dev/null'
check "no files of the machine left behind" '[ "$(vm_files)" = "$before" ]'
echo "runner: $passed passed, $failed failed"
[ $failed -eq 0 ]
