#!/usr/bin/env bash
# Runs one command inside a software-emulated x86-64 virtual machine whose
# kernel runs 32-bit programs (Debian's own kernel), for machines whose kernel
# cannot. The guest's root is this machine's root file system, read-only; the
# repository and /tmp are shared read-write at the same paths, so the command
# sees and leaves the same files as if run here. Its stdout, stderr and exit
# code come back as its own; the machine is powered off when it ends, and
# killed after TIME_LIMIT seconds.
# Usage: scripts/vm/boot.sh TIME_LIMIT COMMAND [ARGS...]
set -euo pipefail
limit=$1; shift
repo=$(cd "$(dirname "$0")/../.." && pwd)
vm=$repo/build/vm
fail() { echo "this kernel cannot run 32-bit programs and the virtual machine $*" >&2; exit 125; }

command -v qemu-system-x86_64 >/dev/null ||
  fail "could not start: qemu-system-x86_64 is not installed (scripts/install-deps.sh installs it as root)"
kernel=$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -1)
[ -n "$kernel" ] || fail "could not start: no kernel in /boot (package linux-image-amd64)"
kver=${kernel#/boot/vmlinuz-}
case $repo in *[[:space:]]*) fail "could not start: the repository's path contains a space" ;; esac

mkdir -p "$vm"
initramfs=$vm/initramfs-$kver.cpio.gz
if [ ! -f "$initramfs" ] || [ "$repo/scripts/vm/initramfs-init" -nt "$initramfs" ] ||
   [ "$repo/scripts/vm/make-initramfs.sh" -nt "$initramfs" ]; then
  "$repo/scripts/vm/make-initramfs.sh" "$kver" "$initramfs" ||
    fail "could not start: its initramfs could not be made"
fi

# The job: this shell's exported environment (less what belongs to this
# machine's display and session), its working directory, the command.
job=$(mktemp "$vm/job.XXXXXX")
console=$job.console
relays=
vm_pid=
cleanup() {
  [ -z "$vm_pid" ] || kill -TERM "$vm_pid" 2>/dev/null || true
  [ -z "$relays" ] || kill $relays 2>/dev/null || true
  rm -f "$job" "$console" "$job.out" "$job.err"
}
trap cleanup EXIT
{
  export -p | grep -Ev '^declare -[a-zA-Z]*r|^declare -x (DISPLAY|XAUTHORITY|WAYLAND_DISPLAY|DBUS_SESSION_BUS_ADDRESS|XDG_RUNTIME_DIR|SHLVL|OLDPWD|PWD|_)='
  # Inside, Windows programs run directly under Wine.
  echo "export WINDOWS_WAY=direct"
  # Wine's server socket lives under TMPDIR: a socket cannot be made on the
  # shared /tmp, so the guest's temporary files go to its own memory.
  echo "export TMPDIR=/var/tmp"
  printf 'cd %q || exit 125\n' "$PWD"
  printf 'exec'; printf ' %q' "$@"; echo
} >"$job"

# The guest's X sockets are mounted over this folder (X makes it here too).
mkdir -p /tmp/.X11-unix
chmod 1777 /tmp/.X11-unix

# The job's output comes through pipes read here, so that it lands in this
# script's stdout and stderr as written by this script itself.
mkfifo "$job.out" "$job.err"
cat "$job.out" & relays="$relays $!"
cat "$job.err" >&2 & relays="$relays $!"

# -smap,-smep,-pku: with them the guest kernel faults on Wine's first
# 32-bit iret. Three serial ports: console, the job's stdout, its stderr.
share=security_model=none,multidevs=remap
timeout -k 10 "$limit" qemu-system-x86_64 \
  -machine q35 -accel tcg,thread=multi -cpu max,-smap,-smep,-pku \
  -smp "$(nproc)" -m 6144 -display none -no-reboot -nic none -serial none -monitor none \
  -kernel "$kernel" -initrd "$initramfs" \
  -append "console=ttyS0 quiet panic=-1 vm_repo=$repo vm_job=$job" \
  -virtfs "local,path=/,mount_tag=hostroot,readonly=on,$share" \
  -virtfs "local,path=/tmp,mount_tag=hosttmp,$share" \
  -virtfs "local,path=$repo,mount_tag=repo,$share" \
  -chardev "file,id=console,path=$console" \
  -chardev "file,id=out,path=$job.out" -chardev "file,id=err,path=$job.err" \
  -device isa-serial,chardev=console -device isa-serial,chardev=out -device isa-serial,chardev=err \
  </dev/null &
vm_pid=$!
trap 'exit 130' INT TERM HUP
status=0
wait "$vm_pid" || status=$?
vm_pid=
wait $relays
relays=

[ $status -ne 124 ] && [ $status -ne 137 ] || fail "did not finish within $limit s"
[ $status -eq 0 ] || fail "failed (qemu exit code $status): $(tail -c 300 "$console" 2>/dev/null | tr '\r\n' '  ')"
code=$(grep -a -o 'vm-job-exit: [0-9]*' "$console" | tail -1 | cut -d' ' -f2)
[ -n "$code" ] || fail "stopped before the command ended: $(tail -c 600 "$console" | tr '\r\n' '  ')"
exit "$code"
