#!/bin/bash
# Runs our own tests on real kernel volumes and shares inside a small VM without network:
#   run.sh <build folder>
# The VM boots Debian's 6.12 kernel (fetched into the build folder, never installed) with a tiny
# initramfs of our own, sees the host's root read-only over 9p under a RAM overlay and writes its
# findings into <build folder>/volumes/results. Skips, saying why, where qemu cannot run.
set -euo pipefail

build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$build/volumes
results=$work/results
log=$work/console.log
mkdir -p "$work"

skip() { echo "test-volumes: skipped: $*"; exit 0; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
[ -x "$build/tests/unit_tests" ] || { echo "test-volumes: build the tests first"; exit 1; }

# The kernel: the newest 6.12 image for Debian 12, which has 9p, ntfs3, exfat, cifs and nfsd as modules.
kernel_root=$work/kernel/root
if ! ls "$kernel_root"/boot/vmlinuz-* >/dev/null 2>&1; then
    package=$(apt-cache search --names-only '^linux-image-6\.12\.[0-9]+\+deb12-amd64-unsigned$' \
              | cut -d' ' -f1 | sort -V | tail -n1)
    [ -n "$package" ] || skip "no 6.12 kernel image in the package lists (run apt-get update)"
    rm -rf "$work/kernel" && mkdir -p "$work/kernel"
    (cd "$work/kernel" && apt-get download "$package") || skip "cannot download $package"
    dpkg-deb -x "$work"/kernel/*.deb "$kernel_root"
    rm -f "$work"/kernel/*.deb
    depmod -b "$kernel_root" "$(ls "$kernel_root/lib/modules")"
fi
version=$(ls "$kernel_root/lib/modules")
vmlinuz=$kernel_root/boot/vmlinuz-$version

# The initramfs: busybox, the modules that reach the host's root, and our init.
initrd=$work/initrd.gz
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$staging"/{bin,modules,proc,sys,dev}
cp /bin/busybox "$staging/bin/busybox"
cp "$here/init.sh" "$staging/init"
modules=$kernel_root/lib/modules/$version/kernel
for module in fs/netfs/netfs net/9p/9pnet net/9p/9pnet_virtio fs/9p/9p fs/overlayfs/overlay; do
    xz -dc "$modules/$module.ko.xz" >"$staging/modules/$(basename "$module").ko"
done
(cd "$staging" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$initrd"

memory=${VOLUMES_MEMORY:-3072}
# VOLUMES picks some of them, such as VOLUMES="vfat nfs".
volumes=$(echo ${VOLUMES:-vfat exfat ntfs3 cifs nfs} | tr " " ,)
boot() { # boot <accelerator options> <mode> <timeout>
    rm -rf "$results" && mkdir -p "$results"
    local accel=$1 mode=$2 limit=$3
    timeout --foreground -k 10 "$limit" qemu-system-x86_64 $accel -smp 2 -m "$memory" \
        -nodefaults -no-user-config -nic none -display none -no-reboot -serial stdio \
        -kernel "$vmlinuz" -initrd "$initrd" \
        -append "console=ttyS0 panic=-1 loglevel=4 rdinit=/init quarimo.script=$here/guest.sh quarimo.results=$results quarimo.mode=$mode quarimo.build=$build quarimo.kernel=$kernel_root quarimo.volumes=$volumes" \
        -fsdev local,id=hostroot,path=/,security_model=none,readonly=on,multidevs=remap \
        -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot \
        -fsdev local,id=results,path="$results",security_model=none \
        -device virtio-9p-pci,fsdev=results,mount_tag=results \
        </dev/null
}

# KVM where the guest really comes up on it (nested KVM without vmx dies early), else emulation.
# VOLUMES_ACCEL forces a choice, such as "-accel tcg".
accel=${VOLUMES_ACCEL:-}
if [ -z "$accel" ]; then
    accel="-accel tcg,thread=multi -cpu max"
    if [ -w /dev/kvm ] && boot "-accel kvm -cpu host" probe 120 >"$work/probe.log" 2>&1 && [ -f "$results/up" ]; then
        accel="-accel kvm -cpu host"
    fi
fi
echo "test-volumes: booting $version with ${accel%% -cpu*}"
started=$(date +%s)
status=0
boot "$accel" tests "${VOLUMES_TIMEOUT:-7200}" 2>&1 | tee "$log" || status=$?
echo "test-volumes: the VM ran $(( $(date +%s) - started )) s"
[ -f "$results/table.txt" ] && cat "$results/table.txt"
grep -q 'quarimo-vm: kernel up' "$log" || skip "qemu could not run the VM: $(grep -v '^\[' "$log" | tail -n1)"
if [ ! -f "$results/status" ]; then
    echo "test-volumes: the VM ended without a result (exit $status); its console is in $log"
    exit 1
fi
exit "$(cat "$results/status")"
