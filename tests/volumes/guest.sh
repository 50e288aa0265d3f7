#!/bin/bash
# Inside the VM, on the host's root under a RAM overlay: makes each volume, runs our tests with their
# temporary folder on it, and writes a table line per volume into the results share.
#   guest.sh <results folder>   (the rest comes from the kernel's command line)
results=$1
argument() { sed -n "s/.*quarimo\.$1=\([^ ]*\).*/\1/p" /proc/cmdline; }
mode=$(argument mode)
build=$(argument build)
kernel=$(argument kernel)
here=$(dirname "$(realpath "$0")")
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
export QT_QPA_PLATFORM=offscreen DM_DISABLE_UDEV=1

powerOff() {
    sync
    echo 1 >/proc/sys/kernel/sysrq
    echo o >/proc/sysrq-trigger
    sleep 60
}
say() { echo "quarimo-vm: $*" >&2; }

if [ "$mode" = probe ]; then
    touch "$results/up"
    powerOff
fi

mount -t tmpfs tmp /tmp
mount -t tmpfs run /run
mkdir -p /dev/pts /dev/shm && mount -t devpts devpts /dev/pts && mount -t tmpfs shm /dev/shm
version=$(basename "$(ls -d "$kernel"/lib/modules/*)")
mkdir -p "/lib/modules/$version" && mount --bind "$kernel/lib/modules/$version" "/lib/modules/$version"
ip link set lo up
hostname quarimo-vm

source "$here/volumes.sh"
source "$here/checks.sh"

status=0
printf '%-6s | %-22s | %-7s | %-12s | %-12s | %-12s | %s\n' volume "tests run" skipped "batch" pull "full card" \
    "reserved character" >"$results/table.txt"
for volume in $(argument volumes | tr , " "); do
    say "making $volume"
    if ! make_$volume >"$results/$volume-setup.log" 2>&1; then
        say "$volume could not be made: $(tail -n1 "$results/$volume-setup.log")"
        printf '%-6s | %s\n' "$volume" "NOT MADE: see $volume-setup.log" >>"$results/table.txt"
        status=1
        continue
    fi
    check_volume "$volume" "/volumes/$volume" || status=1
done
echo "$status" >"$results/status"
say "done, status $status"
powerOff
