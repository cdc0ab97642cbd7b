#!/bin/sh
# The guest's /init: the least a script needs (proc, sys, devtmpfs, tmp), then the group's
# script, then the closing line the host waits for, then power off. Nothing here may ask the
# console anything: it is a terminal, and a question would wait for ever.
/bin/busybox --install -s /bin
export PATH=/rig/bin:/rig/files:/bin:/sbin:/usr/bin
export HOME=/root
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
chmod 1777 /tmp
# Kernel messages would land in the middle of the verdict lines; the script can read dmesg.
echo 1 >/proc/sys/kernel/printk

echo "RIG START $(uname -r)"
(
  . /rig/lib.sh
  . /rig/case.sh
) </dev/null
status=$?
if [ "$status" -ne 0 ]; then
  echo "RIG FAIL script: the group's script ended with status $status"
fi
if [ -e /tmp/rig-failed ] || [ "$status" -ne 0 ]; then
  echo "RIG NOTE kernel messages:"
  dmesg | tail -n 40 | sed 's/^/  | /'
fi
echo "RIG DONE"
poweroff -f
