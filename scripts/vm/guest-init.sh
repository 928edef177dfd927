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
bash "$vm_job" </dev/null >/dev/ttyS1 2>/dev/ttyS2
echo "vm-job-exit: $?" >/dev/ttyS0
# What the job left running ends here, asked first (Xvfb then removes its lock
# file from the shared /tmp).
kill -TERM -1 2>/dev/null && sleep 1
kill -KILL -1 2>/dev/null
umount "$vm_repo" /tmp/.X11-unix /tmp
