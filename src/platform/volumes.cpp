#include "platform/volumes.h"

#include "platform/hexdigit.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <libmount/libmount.h>
#include <libudev.h>
#include <locale.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <tuple>
#include <wchar.h>
#include <wctype.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> list)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool isCdFileSystem(std::string_view type)
{
    return isOneOf(type, {"iso9660", "udf"});
}

// libmount knows the common network file systems; these remote ones it counts as local.
bool isNetworkFileSystem(const char *type)
{
    return mnt_fstype_is_netfs(type) || isOneOf(type, {"ceph", "lustre", "coda", "fuse.glusterfs", "fuse.rclone"});
}

bool isRamFileSystem(std::string_view type)
{
    return isOneOf(type, {"tmpfs", "ramfs"});
}

// Read-only images that packaging systems mount by the dozen (snaps, app images).
bool isImageFileSystem(std::string_view type)
{
    return isOneOf(type, {"squashfs", "erofs", "cramfs"});
}

bool isBlockBacked(const MountEntry &mount)
{
    return mount.major != 0 || mount.source.starts_with("/dev/") || mount.fileSystem == "zfs";
}

bool isAtOrBelow(std::string_view path, std::string_view folder)
{
    if (folder == "/")
        return path.starts_with('/');
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

// The kernel's and the init system's own trees; removable media that udisks mounts under /run/media stay.
bool isInSystemTree(std::string_view mountPoint)
{
    if (isAtOrBelow(mountPoint, "/run/media"))
        return false;
    for (std::string_view tree : {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock"}) {
        if (isAtOrBelow(mountPoint, tree))
            return true;
    }
    return false;
}

// A mount of a folder inside a file system is a bind mount; a btrfs subvolume mounted by name is not.
bool mountsWholeFileSystem(const MountEntry &mount)
{
    char *subvolume = nullptr;
    std::size_t size = 0;
    return mount.root == "/"
           || (mnt_optstr_get_option(mount.superOptions.c_str(), "subvol", &subvolume, &size) == 0 && subvolume
               && mount.root == std::string_view(subvolume, size));
}

// A mount is hidden when another is mounted on the same point on top of it, when another on the
// same file system is mounted on a folder above its mount point (the path now leads elsewhere), or
// when a mount it hangs from is hidden that way by anything but the chain that leads to it.
std::vector<bool> visibility(const std::vector<MountEntry> &mounts)
{
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::map<int, std::size_t> byId;
    for (std::size_t i = 0; i < mounts.size(); ++i)
        byId.emplace(mounts[i].id, i);
    const auto parentOf = [&](std::size_t i) {
        const auto parent = byId.find(mounts[i].parentId);
        return parent == byId.end() || parent->second == i ? none : parent->second;
    };
    std::vector<std::size_t> coveredBy(mounts.size(), none);
    std::vector<bool> buried(mounts.size(), false);
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const std::size_t parent = parentOf(i);
        if (parent != none && mounts[parent].mountPoint == mounts[i].mountPoint)
            coveredBy[parent] = i;
        for (std::size_t j = 0; j < mounts.size(); ++j) {
            if (j != i && parentOf(j) == parent && mounts[j].mountPoint != mounts[i].mountPoint
                && isAtOrBelow(mounts[i].mountPoint, mounts[j].mountPoint))
                buried[i] = true;
        }
    }
    std::vector<bool> visible(mounts.size(), false);
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        bool seen = coveredBy[i] == none && !buried[i];
        // A mount tree is shallow; the bound only guards against a malformed text that loops.
        for (std::size_t at = i, depth = 0; seen && depth < mounts.size(); ++depth) {
            const std::size_t parent = parentOf(at);
            if (parent == none)
                break;
            seen = (coveredBy[parent] == none || coveredBy[parent] == at) && !buried[parent];
            at = parent;
        }
        visible[i] = seen;
    }
    return visible;
}

std::optional<VolumeType> typeOf(const MountEntry &mount, const DeviceFacts &facts)
{
    const char *type = mount.fileSystem.c_str();
    if (isCdFileSystem(type))
        return VolumeType::CdRom;
    if (isNetworkFileSystem(type))
        return VolumeType::Remote;
    if (isRamFileSystem(type))
        return VolumeType::RamDisk;
    if (mnt_fstype_is_pseudofs(type) || isImageFileSystem(type) || !isBlockBacked(mount))
        return std::nullopt;
    return facts.isRemovable(mount) ? VolumeType::Removable : VolumeType::Fixed;
}

Volume volumeOf(const MountEntry &mount, VolumeType type, const DeviceFacts &facts)
{
    Volume volume{mount.mountPoint, type, {}, {}};
    if (type == VolumeType::Removable)
        return volume; // never asked: a label read must not wait for a medium
    if (type == VolumeType::Remote && !mount.source.empty() && mount.source != "none" && mount.source != "-")
        volume.remoteName = mount.source;
    else
        volume.label = facts.label(mount);
    return volume;
}

using UdevDevice = std::unique_ptr<udev_device, decltype(&udev_device_unref)>;

UdevDevice deviceOf(udev *context, const MountEntry &mount)
{
    // btrfs and fuseblk show an anonymous device number, but still name their device node.
    dev_t number = makedev(mount.major, mount.minor);
    struct stat node{};
    if (mount.major == 0 && mount.source.starts_with("/dev/") && ::stat(mount.source.c_str(), &node) == 0
        && S_ISBLK(node.st_mode))
        number = node.st_rdev;
    udev_device *device = context && major(number) != 0 ? udev_device_new_from_devnum(context, 'b', number) : nullptr;
    return UdevDevice(device, &udev_device_unref);
}

bool isRemovableDevice(udev *context, udev_device *device, int depth)
{
    if (udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device"))
        return true;
    // A partition has no flag of its own: the disk that holds it has.
    const char *type = udev_device_get_devtype(device);
    udev_device *disk = type && std::string_view(type) == "partition"
                            ? udev_device_get_parent_with_subsystem_devtype(device, "block", "disk")
                            : device;
    const char *flag = disk ? udev_device_get_sysattr_value(disk, "removable") : nullptr;
    if (flag && flag[0] == '1')
        return true;
    // A mapped device (encrypted, LVM) is removable when what it maps is. libudev has no call
    // for the devices below one; sysfs lists them in its "slaves" folder. The bound guards
    // against a loop.
    if (depth >= 4)
        return false;
    std::error_code error;
    const fs::path slaves = fs::path(udev_device_get_syspath(device)) / "slaves";
    for (const fs::directory_entry &slave : fs::directory_iterator(slaves, error)) {
        const std::string name = slave.path().filename().string();
        const UdevDevice below(udev_device_new_from_subsystem_sysname(context, "block", name.c_str()), &udev_device_unref);
        if (below && isRemovableDevice(context, below.get(), depth + 1))
            return true;
    }
    return false;
}

} // namespace

std::vector<MountEntry> readMountTable(const std::string &mountInfoFile)
{
    std::vector<MountEntry> mounts;
    const std::unique_ptr<libmnt_table, decltype(&mnt_unref_table)> table(mnt_new_table(), &mnt_unref_table);
    const std::unique_ptr<libmnt_iter, decltype(&mnt_free_iter)> iter(mnt_new_iter(MNT_ITER_FORWARD), &mnt_free_iter);
    if (!table || !iter || mnt_table_parse_file(table.get(), mountInfoFile.c_str()) != 0)
        return mounts;
    const auto text = [](const char *value) { return std::string(value ? value : ""); };
    libmnt_fs *fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
        const dev_t number = mnt_fs_get_devno(fs);
        mounts.push_back({mnt_fs_get_id(fs), mnt_fs_get_parent_id(fs), major(number), minor(number),
                          text(mnt_fs_get_root(fs)), text(mnt_fs_get_target(fs)), text(mnt_fs_get_fstype(fs)),
                          text(mnt_fs_get_source(fs)), text(mnt_fs_get_fs_options(fs))});
    }
    return mounts;
}

MachineDeviceFacts::MachineDeviceFacts() : m_udev(udev_new())
{
}

MachineDeviceFacts::~MachineDeviceFacts()
{
    udev_unref(m_udev);
}

bool MachineDeviceFacts::isRemovable(const MountEntry &mount) const
{
    const UdevDevice device = deviceOf(m_udev, mount);
    return device && isRemovableDevice(m_udev, device.get(), 0);
}

std::string MachineDeviceFacts::label(const MountEntry &mount) const
{
    const UdevDevice device = deviceOf(m_udev, mount);
    const char *encoded = device ? udev_device_get_property_value(device.get(), "ID_FS_LABEL_ENC") : nullptr;
    return encoded ? udevDecoded(encoded) : std::string();
}

// Neither libudev nor libblkid exports its decoder: unsafe bytes are "\x" and two hex digits.
std::string udevDecoded(std::string_view encoded)
{
    const auto hex = hexDigitValue;
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x' && hex(encoded[i + 2]) >= 0
            && hex(encoded[i + 3]) >= 0) {
            out += static_cast<char>(hex(encoded[i + 2]) * 16 + hex(encoded[i + 3]));
            i += 3;
            continue;
        }
        out += encoded[i];
    }
    return out;
}

std::vector<Volume> volumesFrom(const std::string &mountInfoFile, const DeviceFacts &facts)
{
    const std::vector<MountEntry> mounts = readMountTable(mountInfoFile);
    const std::vector<bool> visible = visibility(mounts);
    std::vector<Volume> volumes;
    std::set<std::tuple<unsigned, unsigned, std::string>> filesystemsSeen;
    bool haveRoot = false;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry &mount = mounts[i];
        const bool isRoot = mount.mountPoint == "/";
        if (!visible[i] || (isRoot && haveRoot))
            continue;
        if (!isRoot && (isInSystemTree(mount.mountPoint) || !mountsWholeFileSystem(mount)))
            continue;
        // The same file system mounted a second time is a bind mount of the first.
        if (!filesystemsSeen.emplace(mount.major, mount.minor, mount.root).second && !isRoot)
            continue;
        std::optional<VolumeType> type = typeOf(mount, facts);
        if (!type && isRoot)
            type = VolumeType::Fixed; // an overlay or other root the user still knows as the system drive
        if (!type)
            continue;
        volumes.push_back(volumeOf(mount, *type, facts));
        haveRoot = haveRoot || isRoot;
    }
    if (!haveRoot)
        volumes.push_back(Volume{"/", VolumeType::Fixed, {}, {}});
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume &a, const Volume &b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

std::vector<Volume> mountedVolumes()
{
    return volumesFrom("/proc/self/mountinfo", MachineDeviceFacts());
}

std::string mountPointOf(const std::vector<Volume> &volumes, const std::string &path)
{
    std::string best = "/";
    for (const Volume &volume : volumes) {
        if (volume.mountPoint.size() > best.size() && isAtOrBelow(path, volume.mountPoint))
            best = volume.mountPoint;
    }
    return best;
}

std::string driveEntryText(const Volume &volume)
{
    if (volume.type == VolumeType::Removable)
        return volume.mountPoint;
    if (volume.type == VolumeType::Remote && !volume.remoteName.empty())
        return volume.mountPoint + " " + lowerCaseText(volume.remoteName);
    return volume.mountPoint + " [" + lowerCaseText(volume.label) + "]";
}

std::string lowerCaseText(std::string_view text)
{
    // Case mapping by Unicode rules whatever locale the process runs in.
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    const locale_t previous = ::uselocale(utf8 ? utf8 : LC_GLOBAL_LOCALE);
    std::string out;
    std::mbstate_t state{};
    for (std::size_t i = 0; i < text.size();) {
        wchar_t c = 0;
        // 0 for a zero byte, (size_t)-1 or -2 for bytes that are not UTF-8, which fail the test below.
        const std::size_t length = std::max<std::size_t>(::mbrtowc(&c, text.data() + i, text.size() - i, &state), 1);
        const auto lower = static_cast<wchar_t>(::towlower(static_cast<wint_t>(c)));
        char lowered[MB_LEN_MAX];
        std::mbstate_t loweredState{};
        const std::size_t written =
            length <= text.size() - i ? ::wcrtomb(lowered, lower, &loweredState) : static_cast<std::size_t>(-1);
        if (written == static_cast<std::size_t>(-1)) {
            state = {};
            out += text[i++]; // not UTF-8: kept byte for byte
            continue;
        }
        out.append(lowered, written);
        i += length;
    }
    ::uselocale(previous);
    return out;
}

} // namespace platform
