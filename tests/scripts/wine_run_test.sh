#!/usr/bin/env bash
# Tests of scripts/wine-run.sh, one case a run, either way: "vm" forces the
# virtual machine (so it is tried on every machine), "direct" runs Wine here
# and is skipped (exit code 77) where this kernel cannot run 32-bit programs.
# A program's exit code, stdout and stderr come back apart; what it writes
# under /tmp is there afterwards; a run over its time limit is stopped and
# says so; nothing of the machine is left running or lying about.
# Usage: wine_run_test.sh usage|pack|time-limit vm|direct
# Environment: AVSPACK_EXE (the Windows avspack), AVSPACK (the native one),
# G723DEC_EXE (the Windows g723dec).
set -uo pipefail
case_name=$1 way=$2
cd "$(dirname "$0")/../.."
. scripts/lib/windows.sh
if [ "$way" = direct ] && ! kernel_runs_32bit; then
  echo "skipped: this kernel cannot run 32-bit programs (the Windows phase ran Wine directly inside the virtual machine)"
  exit 77
fi
export WINDOWS_WAY=$way
[ -f "$AVSPACK_EXE" ] || { echo "FAIL: no Windows build ($AVSPACK_EXE)" >&2; exit 1; }
failed=0
check() { eval "$2" || { failed=1; echo "FAIL: $1" >&2; }; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
vm_files() { find build/vm -mindepth 1 ! -name 'initramfs-*' 2>/dev/null | sort; }
before=$(vm_files)

case $case_name in
usage)
  scripts/wine-run.sh "$AVSPACK_EXE" >"$work/out" 2>"$work/err"; code=$?
  check "a bad command line gives exit code 1 (got $code)" '[ $code -eq 1 ]'
  check "usage message on stderr" 'grep -q "Try .avspack --help." "$work/err"'
  check "nothing on stdout" '[ ! -s "$work/out" ]'
  ;;
pack)
  scripts/wine-run.sh "$AVSPACK_EXE" samples/clip.avi "$work/clip.avs" >"$work/out" 2>"$work/err"; code=$?
  "$AVSPACK" samples/clip.avi "$work/native.avs" >/dev/null
  check "pack succeeds (exit code $code)" '[ $code -eq 0 ]'
  check "the report comes back on stdout" 'grep -q "clip.avs" "$work/out"'
  check "the packed file is written under /tmp and equals the native one" 'cmp -s "$work/clip.avs" "$work/native.avs"'
  ;;
time-limit)
  # g723dec reading a standard input that never ends: it cannot finish by
  # itself, however fast the machine starts it.
  mkfifo "$work/input"
  exec 3<>"$work/input"
  WINE_RUN_TIME_LIMIT=3 scripts/wine-run.sh "$G723DEC_EXE" - "$work/out.wav" <"$work/input" >"$work/out" 2>"$work/err"
  code=$?
  exec 3>&-
  check "a run over its limit fails (exit code $code)" '[ $code -ne 0 ]'
  check "and says it did not finish in time" 'grep -q "did not finish within 3 s" "$work/err"'
  ;;
esac
check "no virtual machine left running" '! pgrep -f "qemu-system-x86_64.*vm_job=$PWD/build/vm" >/dev/null'
check "no files of the machine left behind" '[ "$(vm_files)" = "$before" ]'
check "no Wine server left running" '! pgrep -x wineserver >/dev/null'
exit $failed
