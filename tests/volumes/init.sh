#!/bin/busybox sh
# The VM's first process: mounts the host's root (read-only, over 9p) under a RAM overlay and hands
# over to the test script inside it. Any failure here powers the VM off, so the host never waits long.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
exec </dev/console >/dev/console 2>&1
echo "quarimo-vm: kernel up"

fail() { echo "quarimo-vm: $*"; poweroff -f; }
argument() { sed -n "s/.*quarimo\.$1=\([^ ]*\).*/\1/p" /proc/cmdline; }

for module in netfs 9pnet 9pnet_virtio 9p overlay; do
    insmod /modules/$module.ko || fail "cannot load $module"
done
mkdir -p /host /ram /root
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose hostroot /host || fail "no host root"
mount -t tmpfs -o size=75% ram /ram || fail "no RAM for the overlay"
mkdir -p /ram/upper /ram/work
mount -t overlay -o lowerdir=/host,upperdir=/ram/upper,workdir=/ram/work,xino=off overlay /root \
    || fail "no overlay on the host root"
results=$(argument results)
mkdir -p /root$results
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 results /root$results || fail "no results share"
script=$(argument script)
for fs in proc sys dev; do mount --move /$fs /root/$fs; done
echo "quarimo-vm: root ready"
exec switch_root /root /bin/bash "$script" "$results"
