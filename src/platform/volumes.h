#pragma once

#include <string>
#include <string_view>
#include <vector>

struct udev;

namespace platform {

/** The kinds of volume the drive box lists; every other mount is left out. */
enum class VolumeType { Removable, Fixed, Remote, CdRom, RamDisk };

/** One present volume: a mounted file system a user thinks of as a drive. */
struct Volume
{
    std::string mountPoint;
    VolumeType type = VolumeType::Fixed;
    /** The file system's label as stored; empty when it has none, cannot be read, or was never asked. */
    std::string label;
    /** Network volumes: the mount source (//server/share, server:/export); empty when it cannot be read. */
    std::string remoteName;

    friend bool operator==(const Volume &, const Volume &) = default;
};

/** One mount of a mount table, as libmount reads it (escapes decoded). */
struct MountEntry
{
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    /** The folder of the file system that is mounted: "/" for the whole of it, else a bind or subvolume. */
    std::string root;
    std::string mountPoint;
    std::string fileSystem;
    std::string source;
    std::string superOptions;
};

/** The mounts a mountinfo file lists, in its order; lines libmount cannot parse are skipped. */
std::vector<MountEntry> readMountTable(const std::string &mountInfoFile);

/** What the machine knows of a mounted device beyond the mount table. */
class DeviceFacts
{
public:
    virtual ~DeviceFacts() = default;
    /** True when the kernel marks the device removable or it sits on a USB bus. */
    virtual bool isRemovable(const MountEntry &mount) const = 0;
    /** The file system's label; empty when it has none or it cannot be read. Never reads the medium. */
    virtual std::string label(const MountEntry &mount) const = 0;
};

/**
 * The facts as the kernel and udev publish them, through libudev: the removable flag
 * of the device's disk (or of a device it maps), a USB bus above it, and the label
 * udev recorded when the device appeared.
 */
class MachineDeviceFacts : public DeviceFacts
{
public:
    MachineDeviceFacts();
    ~MachineDeviceFacts() override;
    MachineDeviceFacts(const MachineDeviceFacts &) = delete;
    MachineDeviceFacts &operator=(const MachineDeviceFacts &) = delete;

    bool isRemovable(const MountEntry &mount) const override;
    std::string label(const MountEntry &mount) const override;

private:
    struct ::udev *m_udev;
};

/** A label as udev encodes it for its links and properties ("My\x20Photos"), decoded. */
std::string udevDecoded(std::string_view encoded);

/**
 * The present volumes a mountinfo file describes, in mount-point order: "/" always,
 * then every visible mount of a block device, network share, CD-ROM or RAM disk.
 * Pseudo and image file systems, system trees, bind mounts and mounts hidden under
 * later ones are left out. Removable devices are never asked for a label.
 */
std::vector<Volume> volumesFrom(const std::string &mountInfoFile, const DeviceFacts &facts);

/** The volumes of this machine, from /proc/self/mountinfo; "/" alone when that cannot be read. */
std::vector<Volume> mountedVolumes();

/**
 * The mount point of the volume that holds an absolute path: the longest listed mount
 * point that is the path or one of its ancestors, "/" at least.
 */
std::string mountPointOf(const std::vector<Volume> &volumes, const std::string &path);

/**
 * The drive box's text for a volume: the mount point alone for a removable volume;
 * else the mount point, one space and "[label]" in lower case ("[]" without one);
 * a network volume shows its remote name in lower case instead, when it has one.
 */
std::string driveEntryText(const Volume &volume);

/** Lower case by Unicode rules for UTF-8 text; bytes that are not UTF-8 stay as they are. */
std::string lowerCaseText(std::string_view text);

} // namespace platform
