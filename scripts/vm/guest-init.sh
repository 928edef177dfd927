#!/bin/bash
# PID 1 of the virtual machine, on the host's root file system (read-only):
# gives it the writable places a session needs, mounts the repository and /tmp
# from the host, runs the job and powers off. The job's stdout and stderr go to
# the second and third serial ports, its exit code to the console.
# The kernel passes vm_repo and vm_job (the job script) in the environment.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
power_off() {
  sync
  echo o >/proc/sysrq-trigger
  sleep 60
}
trap power_off EXIT

mount -t proc proc /proc
mount -t sysfs sys /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs shm /dev/shm
for dir in /run /root /var/tmp /var/lib/xkb; do
  mount -t tmpfs tmpfs "$dir"
done
share() { mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose "$1" "$2"; }
if ! share hosttmp /tmp || ! mkdir -p "$vm_repo" || ! share repo "$vm_repo"; then
  echo "vm: the host's folders could not be mounted" >/dev/ttyS0
  exit
fi
# X's sockets live in the guest's own memory: no socket can be made on a
# shared folder.
mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix
hostname guest
ln -sf /proc/self/fd /dev/fd

for port in /dev/ttyS1 /dev/ttyS2; do
  stty -F "$port" raw -echo
done
# The job writes into pipes, as it would when run here with its output
# captured: given a terminal, Wine would draw a console on it and send the
# program's stderr there too. Relays copy the pipes to the serial ports.
mkfifo /run/job.out /run/job.err
cat /run/job.out >/dev/ttyS1 &
out_relay=$!
cat /run/job.err >/dev/ttyS2 &
err_relay=$!
bash "$vm_job" </dev/null >/run/job.out 2>/run/job.err
status=$?
# What the job left running ends here, asked first (Xvfb then removes its lock
# file from the shared /tmp); the relays end once nothing holds the pipes.
signal_others() {
  local pid
  for pid in $(ps -e -o pid=); do
    case " 1 $BASHPID $out_relay $err_relay " in
      *" $pid "*) ;;
      *) kill "-$1" "$pid" 2>/dev/null ;;
    esac
  done
}
signal_others TERM; sleep 1
signal_others KILL
wait "$out_relay" "$err_relay"
echo "vm-job-exit: $status" >/dev/ttyS0
umount "$vm_repo" /tmp/.X11-unix /tmp
