#pragma once

#include <string>
#include <string_view>
#include <vector>

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

/** One line of /proc/<pid>/mountinfo, its octal escapes decoded. */
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

/** The mounts a mountinfo text lists, in its order; malformed lines are skipped. */
std::vector<MountEntry> parseMountInfo(std::string_view text);

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
 * The facts as the kernel and udev publish them: the device's sysfs folder (its
 * "removable" flag, or a USB bus on its path) and the links in /dev/disk/by-label.
 * The two folders can be moved for tests.
 */
class MachineDeviceFacts : public DeviceFacts
{
public:
    explicit MachineDeviceFacts(std::string sysRoot = "/sys", std::string byLabelFolder = "/dev/disk/by-label");

    bool isRemovable(const MountEntry &mount) const override;
    std::string label(const MountEntry &mount) const override;

private:
    std::string deviceFolder(const MountEntry &mount) const;

    std::string m_sysRoot;
    std::string m_byLabelFolder;
};

/**
 * The present volumes a mountinfo text describes, in mount-point order: "/" always,
 * then every visible mount of a block device, network share, CD-ROM or RAM disk.
 * Pseudo and image file systems, system trees, bind mounts and mounts hidden under
 * later ones are left out. Removable devices are never asked for a label.
 */
std::vector<Volume> volumesFrom(std::string_view mountInfo, const DeviceFacts &facts);

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
