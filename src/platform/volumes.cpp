#include "platform/volumes.h"

#include "platform/hexdigit.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <locale.h>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>
#include <wctype.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

// mountinfo writes space, tab, newline and backslash in paths as "\" and three octal digits.
std::string decodeOctalEscapes(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
            if (isOctal(field[i + 1]) && isOctal(field[i + 2]) && isOctal(field[i + 3])) {
                out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// udev names its by-label links with unsafe bytes as "\x" and two hex digits ("My\x20Photos").
std::string decodeUdevEscapes(std::string_view name)
{
    const auto hex = hexDigitValue;
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x'
            && hex(name[i + 2]) >= 0 && hex(name[i + 3]) >= 0) {
            out += static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

template<typename T>
bool parseNumber(std::string_view text, T &value)
{
    if (text.empty())
        return false;
    T result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<T>(c - '0');
    }
    value = result;
    return true;
}

// A mountinfo line: id parent major:minor root mount-point options [optional fields...] - type source super-options
std::optional<MountEntry> parseLine(std::string_view line)
{
    const std::vector<std::string_view> fields = splitFields(line);
    const auto separator = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (separator == fields.end() || separator - fields.begin() < 6 || fields.end() - separator < 3)
        return std::nullopt;
    MountEntry entry;
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (!parseNumber(fields[0], entry.id) || !parseNumber(fields[1], entry.parentId) || colon == std::string_view::npos
        || !parseNumber(device.substr(0, colon), entry.major) || !parseNumber(device.substr(colon + 1), entry.minor))
        return std::nullopt;
    entry.root = decodeOctalEscapes(fields[3]);
    entry.mountPoint = decodeOctalEscapes(fields[4]);
    entry.fileSystem = decodeOctalEscapes(separator[1]);
    entry.source = decodeOctalEscapes(separator[2]);
    if (fields.end() - separator > 3)
        entry.superOptions = decodeOctalEscapes(separator[3]);
    return entry;
}

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> list)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool isCdFileSystem(std::string_view type)
{
    return isOneOf(type, {"iso9660", "udf"});
}

bool isNetworkFileSystem(std::string_view type)
{
    return isOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "coda", "ceph", "glusterfs",
                          "lustre", "9p", "fuse.sshfs", "fuse.curlftpfs", "fuse.rclone", "fuse.glusterfs"});
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

std::string superOption(std::string_view options, std::string_view key)
{
    std::size_t pos = 0;
    while (pos <= options.size()) {
        const std::size_t end = std::min(options.find(',', pos), options.size());
        const std::string_view option = options.substr(pos, end - pos);
        if (option.size() > key.size() && option.starts_with(key) && option[key.size()] == '=')
            return std::string(option.substr(key.size() + 1));
        pos = end + 1;
    }
    return {};
}

// A mount of a folder inside a file system is a bind mount; a btrfs subvolume mounted by name is not.
bool mountsWholeFileSystem(const MountEntry &mount)
{
    return mount.root == "/" || mount.root == superOption(mount.superOptions, "subvol");
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
    if (isCdFileSystem(mount.fileSystem))
        return VolumeType::CdRom;
    if (isNetworkFileSystem(mount.fileSystem))
        return VolumeType::Remote;
    if (isRamFileSystem(mount.fileSystem))
        return VolumeType::RamDisk;
    if (isImageFileSystem(mount.fileSystem) || !isBlockBacked(mount))
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

std::string readWholeFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

locale_t utf8Locale()
{
    // Case mapping by Unicode rules whatever locale the process runs in.
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

char32_t lowerCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    if (const locale_t locale = utf8Locale())
        return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(c), locale));
    return c;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at text[i] and its code point; 0 when it is not one.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t &c)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text)
{
    std::vector<MountEntry> mounts;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        if (std::optional<MountEntry> entry = parseLine(text.substr(pos, end - pos)))
            mounts.push_back(std::move(*entry));
        pos = end + 1;
    }
    return mounts;
}

MachineDeviceFacts::MachineDeviceFacts(std::string sysRoot, std::string byLabelFolder)
    : m_sysRoot(std::move(sysRoot)), m_byLabelFolder(std::move(byLabelFolder))
{
}

namespace {

// The kernel's name of the device a mount comes from ("sdb1", "dm-0", "nvme0n1p2"); empty for none.
std::string deviceName(const MountEntry &mount)
{
    if (!mount.source.starts_with("/dev/"))
        return {};
    std::error_code error;
    const fs::path resolved = fs::canonical(mount.source, error);
    return (error ? fs::path(mount.source) : resolved).filename().string();
}

bool flagSet(const fs::path &file)
{
    return readWholeFile(file).starts_with('1');
}

bool removableFolder(const fs::path &folder, const fs::path &sysRoot, int depth)
{
    std::error_code error;
    const std::string below = folder.string().substr(std::min(sysRoot.string().size(), folder.string().size()));
    if (below.find("/usb") != std::string::npos)
        return true;
    // A partition has no flag of its own: the disk that holds it has.
    const fs::path disk = fs::exists(folder / "partition", error) ? folder.parent_path() : folder;
    if (flagSet(disk / "removable"))
        return true;
    // A mapped device (encrypted, LVM) is removable when what it maps is.
    if (depth < 4) {
        for (const fs::directory_entry &slave : fs::directory_iterator(folder / "slaves", error)) {
            const fs::path target = fs::canonical(slave.path(), error);
            if (!error && removableFolder(target, sysRoot, depth + 1))
                return true;
        }
    }
    return false;
}

} // namespace

std::string MachineDeviceFacts::deviceFolder(const MountEntry &mount) const
{
    std::error_code error;
    if (mount.major != 0) {
        const fs::path byNumber = fs::path(m_sysRoot) / "dev" / "block"
                                  / (std::to_string(mount.major) + ":" + std::to_string(mount.minor));
        const fs::path folder = fs::canonical(byNumber, error);
        if (!error)
            return folder.string();
    }
    // File systems that show an anonymous device number (btrfs, fuseblk) still name their device.
    const std::string name = deviceName(mount);
    if (name.empty())
        return {};
    const fs::path folder = fs::canonical(fs::path(m_sysRoot) / "class" / "block" / name, error);
    return error ? std::string() : folder.string();
}

bool MachineDeviceFacts::isRemovable(const MountEntry &mount) const
{
    const std::string folder = deviceFolder(mount);
    if (folder.empty())
        return false;
    std::error_code error;
    fs::path sysRoot = fs::canonical(m_sysRoot, error);
    if (error)
        sysRoot = m_sysRoot;
    return removableFolder(folder, sysRoot, 0);
}

std::string MachineDeviceFacts::label(const MountEntry &mount) const
{
    std::string name = deviceName(mount);
    if (name.empty() && mount.major != 0) {
        const std::string folder = deviceFolder(mount);
        name = fs::path(folder).filename().string();
    }
    if (name.empty())
        return {};
    std::error_code error;
    for (const fs::directory_entry &link : fs::directory_iterator(m_byLabelFolder, error)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(link.path(), linkError);
        if (!linkError && target.filename() == name)
            return decodeUdevEscapes(link.path().filename().string());
    }
    return {};
}

std::vector<Volume> volumesFrom(std::string_view mountInfo, const DeviceFacts &facts)
{
    const std::vector<MountEntry> mounts = parseMountInfo(mountInfo);
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
    const std::string text = readWholeFile("/proc/self/mountinfo");
    return volumesFrom(text, MachineDeviceFacts());
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
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += static_cast<char>(lowerCodePoint(static_cast<unsigned char>(text[i])));
            ++i;
        } else if (const std::size_t length = decodeUtf8(text, i, c)) {
            appendUtf8(out, lowerCodePoint(c));
            i += length;
        } else {
            out += text[i]; // not UTF-8: kept byte for byte
            ++i;
        }
    }
    return out;
}

} // namespace platform
