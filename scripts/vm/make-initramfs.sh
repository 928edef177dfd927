#!/usr/bin/env bash
# Makes the virtual machine's initramfs: a static busybox, the kernel modules
# that reach the host's file systems over virtio 9p, and the init that mounts
# them (scripts/vm/initramfs-init).
# Usage: scripts/vm/make-initramfs.sh KERNEL_VERSION OUTPUT.cpio.gz
set -euo pipefail
kver=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work"/{bin,dev,proc,sys,newroot,modules}
cp /bin/busybox "$work/bin/busybox"
for tool in sh mount umount insmod switch_root ip mkdir cat echo sleep; do
  ln -s busybox "$work/bin/$tool"
done
cp "$here/initramfs-init" "$work/init"
chmod 755 "$work/init"

# Modules in load order: each one's dependencies before it.
loaded=" "
add_module() {
  local name=$1 dep path
  case "$loaded" in *" $name "*) return 0 ;; esac
  for dep in $(modinfo -k "$kver" -F depends "$name" | tr ',' ' '); do
    add_module "$dep"
  done
  path=$(modinfo -k "$kver" -n "$name")
  cp "$path" "$work/modules/"
  echo "$(basename "$path")" >>"$work/modules/order"
  loaded="$loaded$name "
}
for module in virtio_pci 9pnet_virtio 9p; do
  add_module "$module"
done

(cd "$work" && find . | busybox cpio -o -H newc 2>/dev/null) | gzip -1 >"$out.new"
mv "$out.new" "$out"
