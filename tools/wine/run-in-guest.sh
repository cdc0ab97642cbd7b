#!/usr/bin/env bash
# Runs a script with Wine inside Debian's own kernel under QEMU.
#
# 32-bit Windows programs need the kernel's IA-32 emulation, which the build machines' kernel has
# switched off ("32-bit emulation disabled"), so wine32 cannot start a single program there.
# Debian's kernel has it on. The guest mounts this machine's whole root file system read-only
# over 9p and chroots into it, so Wine, Xvfb and the project's build are the ones installed
# here. The one folder named by --out is shared writable under its own path, for the fresh Wine
# prefix (DIR/prefix), logs and screenshots. The guest's /tmp is its own, empty and writable (Wine
# and Xvfb keep their sockets there); a folder under this machine's /tmp that the script needs,
# such as a source tree checked out there, is named with --keep and stays visible, read-only.
#
#   tools/wine/run-in-guest.sh [--out DIR] [--keep DIR]... [--timeout SECONDS] SCRIPT
#
# SCRIPT (bash, run in the chroot from DIR) finds WINEPREFIX, WINEDEBUG=-all and HOME set, the
# prefix made (wineboot) and a persistent wineserver running; it may start Xvfb itself. Its
# output is printed here; the exit code is the script's (124 on time-out, 125 when the guest
# never reported one).
set -euo pipefail

out="$PWD"
timeout=1200
keep=()
while [[ $# -gt 1 ]]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    --keep) keep+=("$(realpath "$2")"); shift 2 ;;
    --timeout) timeout="$2"; shift 2 ;;
    *) break ;;
  esac
done
if [[ $# -ne 1 || ! -f "$1" ]]; then
  echo "usage: $0 [--out DIR] [--keep DIR]... [--timeout SECONDS] SCRIPT (a file)" >&2
  exit 2
fi
script="$(realpath "$1")"
mkdir -p "$out"
out="$(realpath "$out")"

kernel="$(ls /boot/vmlinuz-*-amd64 2>/dev/null | sort -V | tail -1)"
if [[ -z "$kernel" ]]; then
  echo "$0: Debian's kernel is missing: apt-get install linux-image-amd64" >&2
  exit 2
fi
release="${kernel#/boot/vmlinuz-}"
for tool in qemu-system-x86_64 busybox cpio wine; do
  command -v "$tool" >/dev/null || {
    echo "$0: $tool is missing (see korvel.sh: the wine-test packages)" >&2
    exit 2
  }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
mkdir -p "$root"/{bin,modules,proc,sys,dev,host,host-tmp}
# The kept folders under /tmp, as words of the guest's shell.
kept_in_tmp=""
for dir in ${keep[@]+"${keep[@]}"}; do
  if [[ "$dir" == /tmp/* ]]; then kept_in_tmp+=" $(printf '%q' "$dir")"; fi
done
cp "$(command -v busybox)" "$root/bin/busybox"
# virtio over PCI and the 9p file system, in dependency order.
modules=(virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci netfs fscache
         9pnet 9pnet_virtio 9p)
for module in "${modules[@]}"; do
  file="$(modinfo -k "$release" -n "$module")"
  cp "$file" "$root/modules/"
done

cat > "$root/init" <<INIT
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for module in ${modules[*]}; do
  for file in /modules/\$module.ko*; do insmod "\$file" || echo "WINE-GUEST module \$module failed"; done
done
# multidevs=remap on the host side keeps inode numbers of different host file systems apart;
# without it Wine's loader cannot find its own libraries.
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose host /host
mount -t proc proc /host/proc
mount -t sysfs sys /host/sys
mount -t devtmpfs dev /host/dev
# This machine's /tmp stays reachable at /host-tmp for the kept folders, which are bound back
# into the guest's own /tmp.
mount -o bind /host/tmp /host-tmp
mount -t tmpfs tmp /host/tmp
for dir in$kept_in_tmp; do
  mkdir -p "/host\$dir"
  mount -o bind "/host-tmp\${dir#/tmp}" "/host\$dir" || echo "WINE-GUEST cannot keep \$dir"
done

mkdir -p /host$out
# cache=loose, as on the root: uncached 9p reads stop at msize, and Wine, reading a program's
# sections in one go, then runs pages of zeros. The guest is the share's only user while it
# runs, and everything is synced before power-off.
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose out /host$out
cp /script.sh /host/tmp/guest-script.sh
cat > /host/tmp/guest-run.sh <<'RUN'
# The prefix (some 600 MB) lies in the shared folder, on this machine's disk: the guest's
# memory is small, and Wine needs it itself.
export HOME=/tmp/home WINEPREFIX="$out/prefix" WINEDEBUG=-all WINEARCH=win32
export PATH=/usr/bin:/bin
mkdir -p "\$HOME"
rm -rf "\$WINEPREFIX"
cd /
wineboot --init >/tmp/wineboot.log 2>&1 || { echo "WINE-GUEST wineboot failed:"; cat /tmp/wineboot.log; }
wineserver -p
cd "$out"
bash /tmp/guest-script.sh
RUN
chroot /host /bin/bash /tmp/guest-run.sh </dev/null
echo "WINE-GUEST-EXIT \$?"
sync
poweroff -f
INIT
chmod +x "$root/init"
cp "$script" "$root/script.sh"
(cd "$root" && find . | cpio -o -H newc 2>/dev/null | gzip -1) > "$work/initrd.gz"

console="$work/console"
set +e
timeout "$timeout" qemu-system-x86_64 -accel tcg -m 2048 -smp 1 -nodefaults -no-reboot \
  -display none -serial "file:$console" -kernel "$kernel" -initrd "$work/initrd.gz" \
  -append 'console=ttyS0 quiet panic=1 rdinit=/init' \
  -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$out,mount_tag=out,security_model=none,multidevs=remap" </dev/null
qemu_status=$?
set -e
# The console is a terminal to the guest: drop carriage returns and the cursor escapes Wine's
# console writes.
sed -e 's/\r$//' -e 's/\x1b\[?25[lh]//g' "$console" | grep -v '^WINE-GUEST-EXIT ' || true
if [[ $qemu_status -eq 124 ]]; then
  echo "$0: the guest did not finish within $timeout s" >&2
  exit 124
fi
status="$(sed -n 's/^WINE-GUEST-EXIT \([0-9]*\).*/\1/p' "$console" | tail -1)"
exit "${status:-125}"
