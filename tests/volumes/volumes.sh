# The volumes, each mounted at /volumes/<name>. The vfat card sits on device-mapper so that it can
# be pulled (its table swapped for the error target) while a batch runs.
mkdir -p /images /volumes /srv

loop_image() { # loop_image <name> <size>: a fresh image on a loop device, the device's path printed
    truncate -s "$2" "/images/$1.img"
    losetup --find --show "/images/$1.img"
}

make_vfat() {
    modprobe loop && modprobe dm-mod && modprobe vfat && modprobe nls_cp437 && modprobe nls_utf8 || return 1
    local device
    device=$(loop_image vfat 600M) || return 1
    echo "0 $(blockdev --getsz "$device") linear $device 0" | dmsetup create card || return 1
    mkfs.vfat -F 32 -n CARD /dev/mapper/card || return 1
    mount_vfat
}
mount_vfat() {
    mkdir -p /volumes/vfat && mount -t vfat -o utf8,errors=continue /dev/mapper/card /volumes/vfat
}

make_exfat() {
    modprobe loop && modprobe exfat || return 1
    local device
    device=$(loop_image exfat 600M) || return 1
    mkfs.exfat -L CARD "$device" || return 1
    mkdir -p /volumes/exfat && mount -t exfat "$device" /volumes/exfat
}

make_ntfs3() {
    modprobe loop && modprobe ntfs3 || return 1
    local device
    device=$(loop_image ntfs3 600M) || return 1
    mkntfs -Q -F -L DISK "$device" || return 1
    mkdir -p /volumes/ntfs3 && mount -t ntfs3 "$device" /volumes/ntfs3
}

# A Samba share exported inside the VM, mounted over the VM's own loopback by the kernel's client.
make_cifs() {
    modprobe cifs || return 1
    mkdir -p /srv/cifs && mount -t tmpfs cifs /srv/cifs && mkdir -p /var/lib/samba/private /var/cache/samba /run/samba /var/log/samba /volumes/cifs
    cat >/etc/samba/quarimo.conf <<'CONF'
[global]
    interfaces = lo
    bind interfaces only = yes
    disable netbios = yes
    smb ports = 445
    server role = standalone server
    passdb backend = tdbsam
    map to guest = never
    log level = 1
[photos]
    path = /srv/cifs
    read only = no
    force user = root
CONF
    printf 'quarimo\nquarimo\n' | smbpasswd -c /etc/samba/quarimo.conf -a -s root || return 1
    smbd -D -s /etc/samba/quarimo.conf || return 1
    for _ in $(seq 50); do ss -ltn | grep -q ':445 ' && break; sleep 0.2; done
    mount -t cifs //127.0.0.1/photos /volumes/cifs -o vers=3.1.1,username=root,password=quarimo
}

# An NFS 4.2 export served by the VM's own nfsd, mounted over its loopback.
make_nfs() {
    modprobe nfsd && modprobe nfsv4 || return 1
    mkdir -p /srv/nfs && mount -t tmpfs nfs /srv/nfs && mkdir -p /volumes/nfs /var/lib/nfs/v4recovery /run/rpc_pipefs
    mountpoint -q /proc/fs/nfsd || mount -t nfsd nfsd /proc/fs/nfsd || return 1
    mount -t rpc_pipefs sunrpc /run/rpc_pipefs 2>/dev/null
    # The export is the NFS 4 root itself: the root above it, an overlay, cannot be exported.
    echo "/srv/nfs 127.0.0.1(rw,sync,no_subtree_check,no_root_squash,fsid=0)" >/etc/exports
    rpcbind -w 2>/dev/null || rpcbind || return 1
    exportfs -ra || return 1
    rpc.mountd || return 1
    rpc.nfsd -N 3 8 || return 1
    mount -t nfs4 -o vers=4.2 127.0.0.1:/ /volumes/nfs
}
