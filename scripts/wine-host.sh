# How this machine runs the project's 32-bit Windows programs (source it):
# directly under Wine where its kernel runs 32-bit x86 code, otherwise inside
# the virtual machine of scripts/vm/boot.sh, whose kernel does.
# WINDOWS_VIA_VM=1 forces the virtual machine where Wine could run directly.

# Runs a tiny 32-bit Linux program (it only exits with code 0): whether this
# kernel runs 32-bit x86 code at all.
kernel_runs_32bit() {
  local probe rc=0
  probe=$(mktemp "${TMPDIR:-/tmp}/probe32.XXXXXX") || return 1
  # ELF header, one loadable segment at 0x08048000, then at 0x08048054:
  # xor eax,eax; inc eax; xor ebx,ebx; int 0x80 (exit(0)).
  printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0''\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0''\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5b\0\0\0\x5b\0\0\0\x05\0\0\0\0\x10\0\0''\x31\xc0\x40\x31\xdb\xcd\x80' >"$probe"
  chmod 700 "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  return $rc
}

# Sets windows_way to "direct" or "vm" and windows_why to the reason.
choose_windows_way() {
  if [ -n "${IN_WINDOWS_VM:-}" ]; then
    windows_way=direct windows_why="inside the virtual machine"
  elif [ "${WINDOWS_VIA_VM:-0}" = 1 ]; then
    windows_way=vm windows_why="WINDOWS_VIA_VM=1"
  elif kernel_runs_32bit; then
    windows_way=direct windows_why="this kernel runs 32-bit programs"
  else
    windows_way=vm windows_why="this kernel cannot run 32-bit programs"
  fi
}

# Runs a command that starts Windows programs under Wine (a whole phase: all
# its programs in one virtual machine), after one line saying which way.
# Usage: run_windows_phase TIME_LIMIT COMMAND [ARGS...]
run_windows_phase() {
  local limit=$1; shift
  choose_windows_way
  if [ "$windows_way" = direct ]; then
    echo "windows programs: Wine on this machine ($windows_why)" >&2
    timeout -k 10 "$limit" "$@"
  else
    echo "windows programs: Wine in a virtual machine ($windows_why)" >&2
    "$(dirname "${BASH_SOURCE[0]}")/vm/boot.sh" "$limit" "$@"
  fi
}
