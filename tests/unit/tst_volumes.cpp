#include "platform/volumes.h"
#include "temporaryfolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sched.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::Volume;
using platform::VolumeType;

namespace {

struct Device
{
    bool removable = false;
    std::string label;
};

// Device facts given as data, by mount source; remembers which devices were asked for a label.
class GivenFacts : public platform::DeviceFacts
{
public:
    explicit GivenFacts(std::map<std::string, Device> devices = {}) : m_devices(std::move(devices)) {}

    bool isRemovable(const platform::MountEntry &mount) const override
    {
        const auto found = m_devices.find(mount.source);
        return found != m_devices.end() && found->second.removable;
    }
    std::string label(const platform::MountEntry &mount) const override
    {
        askedForLabel.insert(mount.source);
        const auto found = m_devices.find(mount.source);
        return found == m_devices.end() ? std::string() : found->second.label;
    }

    mutable std::set<std::string> askedForLabel;

private:
    std::map<std::string, Device> m_devices;
};

const std::string rootLine = "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n";

// A mountinfo text written to a file of its own, for libmount to parse as it parses the kernel's.
class MountInfoFile
{
public:
    explicit MountInfoFile(const std::string &text)
    {
        char pattern[] = "/tmp/tst_volumes_mountinfo_XXXXXX";
        const int fd = ::mkstemp(pattern);
        m_path = pattern;
        if (fd >= 0)
            ::close(fd);
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~MountInfoFile() { fs::remove(m_path); }
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

std::vector<platform::MountEntry> mountsOf(const std::string &text)
{
    return platform::readMountTable(MountInfoFile(text).path());
}

std::vector<Volume> volumesOf(const std::string &text, const platform::DeviceFacts &facts)
{
    return platform::volumesFrom(MountInfoFile(text).path(), facts);
}

std::vector<std::string> entryTexts(const std::vector<Volume> &volumes)
{
    std::vector<std::string> texts;
    for (const Volume &volume : volumes)
        texts.push_back(platform::driveEntryText(volume));
    return texts;
}

TEST(MountInfo, ParsesFieldsEscapesAndOptionalFields)
{
    const auto mounts = mountsOf(
        "36 35 98:0 /mnt1 /mnt/my\\040photos rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue\n"
        "garbage line\n"
        "40 27 0:38 / /x rw - cifs //srv/a\\134b rw\n");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].id, 36);
    EXPECT_EQ(mounts[0].parentId, 35);
    EXPECT_EQ(mounts[0].major, 98u);
    EXPECT_EQ(mounts[0].minor, 0u);
    EXPECT_EQ(mounts[0].root, "/mnt1");
    EXPECT_EQ(mounts[0].mountPoint, "/mnt/my photos");
    EXPECT_EQ(mounts[0].fileSystem, "ext3");
    EXPECT_EQ(mounts[0].source, "/dev/root");
    EXPECT_EQ(mounts[0].superOptions, "rw,errors=continue");
    EXPECT_EQ(mounts[1].source, "//srv/a\\b");
}

struct ListedCase
{
    const char *name;
    std::string line;
    Device device;
    VolumeType type;
    std::string text;
};

void PrintTo(const ListedCase &c, std::ostream *out)
{
    *out << c.name;
}

class ListedVolume : public testing::TestWithParam<ListedCase>
{
};

TEST_P(ListedVolume, HasItsTypeAndEntryText)
{
    const ListedCase &c = GetParam();
    const platform::MountEntry mount = mountsOf(c.line).at(0);
    GivenFacts facts({{"/dev/vda", {}}, {mount.source, c.device}});
    const std::vector<Volume> volumes = volumesOf(rootLine + c.line, facts);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
    EXPECT_EQ(volumes[1].mountPoint, mount.mountPoint);
    EXPECT_EQ(volumes[1].type, c.type);
    EXPECT_EQ(platform::driveEntryText(volumes[1]), c.text);
    if (c.type == VolumeType::Removable)
        EXPECT_FALSE(facts.askedForLabel.count(mount.source)) << "a removable medium is never asked";
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ListedVolume,
    testing::Values(
        ListedCase{"FixedWithLabel", "40 27 8:1 / /data rw - ext4 /dev/sda1 rw\n", {false, "DATA"},
                   VolumeType::Fixed, "/data [data]"},
        ListedCase{"FixedWithoutLabel", "40 27 8:2 / /srv rw - xfs /dev/sda2 rw\n", {}, VolumeType::Fixed,
                   "/srv []"},
        ListedCase{"FixedLabelKeepsSpacesAndLowersUnicode", "40 27 8:3 / /mnt/été rw - ext4 /dev/sda3 rw\n",
                   {false, "ÉTÉ 2015 Photos"}, VolumeType::Fixed, "/mnt/été [été 2015 photos]"},
        ListedCase{"RemovableShowsItsMountPointAlone", "40 27 8:17 / /media/ann/STICK rw - vfat /dev/sdb1 rw\n",
                   {true, "STICK"}, VolumeType::Removable, "/media/ann/STICK"},
        ListedCase{"RemovableUnderRunMedia", "40 27 8:33 / /run/media/ann/CARD rw - exfat /dev/sdc1 rw\n",
                   {true, ""}, VolumeType::Removable, "/run/media/ann/CARD"},
        ListedCase{"NtfsThroughFuseNamesItsDevice", "40 27 0:52 / /mnt/win rw - fuseblk /dev/sdd1 rw\n",
                   {false, "Windows"}, VolumeType::Fixed, "/mnt/win [windows]"},
        ListedCase{"BtrfsSubvolumeIsAVolume",
                   "40 27 0:33 /@home /home rw - btrfs /dev/nvme0n1p2 rw,subvolid=257,subvol=/@home\n",
                   {false, "System"}, VolumeType::Fixed, "/home [system]"},
        ListedCase{"CdRomWithLabel", "40 27 11:0 / /media/ann/cd ro - iso9660 /dev/sr0 ro\n",
                   {true, "HOLIDAY_2015"}, VolumeType::CdRom, "/media/ann/cd [holiday_2015]"},
        ListedCase{"DvdWithoutLabel", "40 27 11:0 / /media/ann/dvd ro - udf /dev/sr0 ro\n", {}, VolumeType::CdRom,
                   "/media/ann/dvd []"},
        ListedCase{"SambaShareShowsItsRemoteName", "40 27 0:60 / /mnt/nas rw - cifs //NAS/Photos rw,vers=3.1.1\n",
                   {}, VolumeType::Remote, "/mnt/nas //nas/photos"},
        ListedCase{"NfsExport", "40 27 0:61 / /mnt/export rw - nfs4 Server:/Export/Pics rw\n", {},
                   VolumeType::Remote, "/mnt/export server:/export/pics"},
        ListedCase{"SshfsFolder", "40 27 0:62 / /home/ann/remote rw - fuse.sshfs Ann@Host:/Pics rw\n", {},
                   VolumeType::Remote, "/home/ann/remote ann@host:/pics"},
        ListedCase{"NetworkWithoutRemoteNameShowsTheLabelText", "40 27 0:63 / /mnt/share rw - nfs none rw\n",
                   {false, "Share"}, VolumeType::Remote, "/mnt/share [share]"},
        ListedCase{"RamDisk", "40 27 0:64 / /mnt/ram rw - tmpfs tmpfs rw,size=1g\n", {}, VolumeType::RamDisk,
                   "/mnt/ram []"},
        ListedCase{"RamfsRamDisk", "40 27 0:65 / /scratch rw - ramfs ramfs rw\n", {}, VolumeType::RamDisk,
                   "/scratch []"}),
    [](const testing::TestParamInfo<ListedCase> &info) { return info.param.name; });

struct LeftOutCase
{
    const char *name;
    std::string lines;
};

void PrintTo(const LeftOutCase &c, std::ostream *out)
{
    *out << c.name;
}

class LeftOutMount : public testing::TestWithParam<LeftOutCase>
{
};

TEST_P(LeftOutMount, IsNotListed)
{
    GivenFacts facts;
    const std::vector<Volume> volumes = volumesOf(rootLine + GetParam().lines, facts);
    EXPECT_EQ(entryTexts(volumes), std::vector<std::string>{"/ []"});
}

INSTANTIATE_TEST_SUITE_P(
    PseudoSystemAndBind, LeftOutMount,
    testing::Values(
        LeftOutCase{"Proc", "22 27 0:21 / /proc rw - proc proc rw\n"},
        LeftOutCase{"Sysfs", "23 27 0:22 / /sys rw - sysfs sysfs rw\n"},
        LeftOutCase{"Cgroup", "41 23 0:38 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"},
        LeftOutCase{"Devpts", "26 24 0:24 / /dev/pts rw - devpts devpts rw\n"},
        LeftOutCase{"Tracefs", "45 23 0:12 / /sys/kernel/tracing rw - tracefs tracefs rw\n"},
        LeftOutCase{"SharedMemory", "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"},
        LeftOutCase{"RunTmpfs", "28 27 0:25 / /run rw - tmpfs tmpfs rw\n"},
        LeftOutCase{"UserRuntimeFolder", "50 28 0:49 / /run/user/1000 rw - tmpfs tmpfs rw\n"},
        LeftOutCase{"DesktopFuse", "51 50 0:50 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"},
        LeftOutCase{"SnapImage", "60 27 7:1 / /snap/core22/1380 ro - squashfs /dev/loop1 ro\n"},
        LeftOutCase{"OverlayBelowRoot", "61 27 0:70 / /var/lib/containers/x rw - overlay overlay rw\n"},
        LeftOutCase{"BindOfAFolder", "62 27 254:0 /srv/photos /home/ann/photos rw - ext4 /dev/vda rw\n"},
        LeftOutCase{"BindOfTheWholeRootAgain", "63 27 254:0 / /mnt/rootagain rw - ext4 /dev/vda rw\n"},
        LeftOutCase{"ContainerFileBind",
                    "64 27 8:1 /var/lib/docker/containers/ab/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"},
        LeftOutCase{"BtrfsFolderBind",
                    "65 27 0:33 /@home/ann/pics /pics rw - btrfs /dev/sda2 rw,subvolid=257,subvol=/@home\n"},
        LeftOutCase{"AutomountPoint", "70 27 0:45 / /net rw - autofs systemd-1 rw\n"}),
    [](const testing::TestParamInfo<LeftOutCase> &info) { return info.param.name; });

TEST(Volumes, AreInMountPointOrderWithTheRootFirst)
{
    GivenFacts facts({{"/dev/sdb1", {true, ""}}});
    const std::vector<Volume> volumes = volumesOf(
        "40 27 0:61 / /mnt/nas rw - nfs nas:/photos rw\n"
        "41 27 8:17 / /media/ann/STICK rw - vfat /dev/sdb1 rw\n"
        "42 27 8:1 / /home rw - ext4 /dev/sda1 rw\n" + rootLine
            + "43 27 8:2 / /boot rw - ext4 /dev/sda2 rw\n"
              "44 43 8:3 / /boot/efi rw - vfat /dev/sda3 rw\n",
        facts);
    EXPECT_EQ(entryTexts(volumes), (std::vector<std::string>{"/ []", "/boot []", "/boot/efi []", "/home []",
                                                             "/media/ann/STICK", "/mnt/nas nas:/photos"}));
}

TEST(Volumes, ListTheRootEvenWhenItIsNoDiskOrMissing)
{
    GivenFacts facts;
    EXPECT_EQ(entryTexts(volumesOf("1 0 0:30 / / rw - overlay overlay rw\n", facts)),
              std::vector<std::string>{"/ []"});
    EXPECT_EQ(entryTexts(volumesOf("", facts)), std::vector<std::string>{"/ []"});
    EXPECT_EQ(entryTexts(volumesOf("1 0 0:2 / / rw - tmpfs none rw\n", facts)),
              std::vector<std::string>{"/ []"});
    EXPECT_EQ(volumesOf("1 0 0:2 / / rw - tmpfs none rw\n", facts).at(0).type, VolumeType::RamDisk);
}

TEST(Volumes, ASecondMountOfAFileSystemIsABindOfTheFirst)
{
    GivenFacts facts({{"/dev/sda1", {false, "Data"}}});
    const std::vector<Volume> volumes = volumesOf(rootLine
                                                                  + "66 27 8:1 / /data rw - ext4 /dev/sda1 rw\n"
                                                                    "67 27 8:1 / /data2 rw - ext4 /dev/sda1 rw\n"
                                                                    "68 27 0:70 / /mnt/ram rw - tmpfs tmpfs rw\n"
                                                                    "69 27 0:71 / /mnt/ram2 rw - tmpfs tmpfs rw\n",
                                                              facts);
    EXPECT_EQ(entryTexts(volumes), (std::vector<std::string>{"/ []", "/data [data]", "/mnt/ram []", "/mnt/ram2 []"}));
}

TEST(Volumes, AMountCoveredByALaterOneShowsTheLaterOne)
{
    // An automount point the network share was mounted on, and a disk hidden under another.
    const std::vector<Volume> volumes = volumesOf(rootLine
                                                                  + "40 27 0:45 / /mnt/nas rw - autofs systemd-1 rw\n"
                                                                    "41 40 0:61 / /mnt/nas rw - nfs nas:/photos rw\n"
                                                                    "42 27 8:1 / /mnt/disk rw - ext4 /dev/sda1 rw\n"
                                                                    "43 42 8:2 / /mnt/disk/inner rw - ext4 /dev/sda2 rw\n"
                                                                    "44 42 8:3 / /mnt/disk rw - ext4 /dev/sdc1 rw\n",
                                                              GivenFacts({{"/dev/sdc1", {false, "Top"}}}));
    EXPECT_EQ(entryTexts(volumes), (std::vector<std::string>{"/ []", "/mnt/disk [top]", "/mnt/nas nas:/photos"}));
}

TEST(Volumes, AMountBelowAFolderMountedOverLaterIsHidden)
{
    // /media/ann/STICK was mounted first; then something was mounted over /media itself.
    const std::vector<Volume> volumes = volumesOf(rootLine
                                                                  + "40 27 8:17 / /media/ann/STICK rw - vfat /dev/sdb1 rw\n"
                                                                    "41 27 0:70 / /media rw - tmpfs tmpfs rw\n"
                                                                    "42 41 8:33 / /media/cam rw - vfat /dev/sdc1 rw\n"
                                                                    "43 27 8:1 / /srv rw - ext4 /dev/sda1 rw\n",
                                                              GivenFacts());
    EXPECT_EQ(entryTexts(volumes), (std::vector<std::string>{"/ []", "/media []", "/media/cam []", "/srv []"}));
}

TEST(MountPointOf, IsTheLongestMountPointThatHoldsThePath)
{
    const std::vector<Volume> volumes{{"/", VolumeType::Fixed, {}, {}},
                                      {"/media/a", VolumeType::Removable, {}, {}},
                                      {"/media/a/b", VolumeType::Fixed, {}, {}},
                                      {"/mnt", VolumeType::Fixed, {}, {}}};
    const std::pair<std::string, std::string> cases[] = {
        {"/", "/"},
        {"/home/ann", "/"},
        {"/media/a", "/media/a"},
        {"/media/a/", "/media/a"},
        {"/media/a/photos", "/media/a"},
        {"/media/ab", "/"},
        {"/media/a/b/c", "/media/a/b"},
        {"/mnt", "/mnt"},
        {"/mntx", "/"},
    };
    for (const auto &[path, mountPoint] : cases)
        EXPECT_EQ(platform::mountPointOf(volumes, path), mountPoint) << path;
    EXPECT_EQ(platform::mountPointOf({}, "/home"), "/");
}

TEST(LowerCaseText, LowersLettersAndKeepsBytesThatAreNotUtf8)
{
    EXPECT_EQ(platform::lowerCaseText("DATA Disk 1"), "data disk 1");
    EXPECT_EQ(platform::lowerCaseText("ÄÖÜ ΣΟΦΊΑ"), "äöü σοφία");
    EXPECT_EQ(platform::lowerCaseText("A\xC9\xFF"
                                      "B"),
              "a\xC9\xFF"
              "b");
}

TEST(UdevDecoded, DecodesHexEscapesAndKeepsTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"OTHER", "OTHER"},
        {"My\\x20Photos\\x2f2015", "My Photos/2015"},
        {"\\x45\\x74\\xC3\\xa9", "Et\xC3\xA9"},
        {"cut\\x2", "cut\\x2"},
        {"bad\\xZ1 and \\y20", "bad\\xZ1 and \\y20"},
    };
    for (const auto &[encoded, label] : cases)
        EXPECT_EQ(platform::udevDecoded(encoded), label) << encoded;
}

// What sysfs says of a block device, read directly: the flag of its disk or a USB bus on its path.
bool removableBySysfs(const fs::path &device)
{
    const fs::path disk = fs::exists(device / "partition") ? device.parent_path() : device;
    std::string flag;
    std::ifstream(disk / "removable") >> flag;
    return flag == "1" || device.string().find("/usb") != std::string::npos;
}

TEST(MachineFacts, AgreeWithSysfsOnEveryBlockDeviceOfThisMachine)
{
    const platform::MachineDeviceFacts machine;
    int checked = 0;
    std::error_code error;
    for (const fs::directory_entry &link : fs::directory_iterator("/sys/class/block", error)) {
        const fs::path device = fs::canonical(link.path());
        if (!fs::is_empty(device / "slaves", error) && !error)
            continue; // a mapped device: its answer is that of what it maps
        std::string number;
        std::ifstream(device / "dev") >> number;
        const std::string line =
            "1 0 " + number + " / /media/x rw - ext4 /dev/" + link.path().filename().string() + " rw\n";
        EXPECT_EQ(machine.isRemovable(mountsOf(line).at(0)), removableBySysfs(device)) << device;
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "this machine shows no block devices";
}

TEST(MachineFacts, KnowNothingOfMountsWithoutADevice)
{
    const platform::MachineDeviceFacts machine;
    for (const char *line : {"1 0 0:60 / /mnt/nas rw - cifs //nas/p rw\n", "1 0 0:64 / /mnt/ram rw - tmpfs tmpfs rw\n",
                             "1 0 0:33 / /home rw - btrfs /dev/no-such-disk rw\n",
                             "1 0 4095:1048575 / /data rw - ext4 /dev/sdzz9 rw\n"}) {
        const platform::MountEntry mount = mountsOf(line).at(0);
        EXPECT_FALSE(machine.isRemovable(mount)) << line;
        EXPECT_EQ(machine.label(mount), "") << line;
    }
}

// A fake sysfs and udev database in a temporary folder. libudev reads only the real /sys and
// /run/udev, so a forked child mounts the fake ones over them in a mount namespace of its own
// and asks the real code there; the parent checks the answers.
class FakeDeviceTree : public testing::Test
{
protected:
    static constexpr int notPermitted = 77;

    void SetUp() override
    {
        for (const char *folder : {"sys/dev/block", "sys/class/block", "run/udev/data"})
            fs::create_directories(m_root / folder);
    }

    // A folder under /sys/devices as the kernel makes it; libudev needs the uevent file and
    // takes the subsystem from the last component of the link's target.
    fs::path addDevice(const std::string &path, const std::string &subsystem, const std::string &uevent)
    {
        const fs::path folder = m_root / "sys/devices" / path;
        fs::create_directories(folder);
        write(folder / "uevent", uevent);
        fs::create_directory_symlink("/sys/class/" + subsystem, folder / "subsystem");
        return folder;
    }
    // A block device, found by number and by name, with a node in the child's /dev.
    fs::path addBlock(const std::string &path, unsigned major, unsigned minor, const std::string &type)
    {
        const std::string name = fs::path(path).filename().string();
        const std::string number = std::to_string(major) + ":" + std::to_string(minor);
        const fs::path folder = addDevice(path, "block",
                                          "MAJOR=" + std::to_string(major) + "\nMINOR=" + std::to_string(minor)
                                              + "\nDEVNAME=" + name + "\nDEVTYPE=" + type + "\n");
        fs::create_directory_symlink("/sys/devices/" + path, m_root / "sys/dev/block" / number);
        fs::create_directory_symlink("/sys/devices/" + path, m_root / "sys/class/block" / name);
        m_nodes.emplace_back("/dev/" + name, makedev(major, minor));
        return folder;
    }
    fs::path addDisk(const std::string &path, unsigned major, unsigned minor, bool removableFlag)
    {
        const fs::path folder = addBlock(path, major, minor, "disk");
        write(folder / "removable", removableFlag ? "1\n" : "0\n");
        return folder;
    }
    void addUdevData(unsigned major, unsigned minor, const std::string &lines)
    {
        write(m_root / "run/udev/data" / ("b" + std::to_string(major) + ":" + std::to_string(minor)), lines);
    }
    static void write(const fs::path &file, const std::string &text) { std::ofstream(file) << text; }

    struct ChildReport
    {
        int exitCode = -1; // -1: the child did not exit by itself
        std::string text;  // the answers, one line per mount, or why the child gave up
    };

    ChildReport askInChild(const std::vector<platform::MountEntry> &mounts) const
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return {-1, "pipe failed"};
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ends[0]);
            answerInChild(mounts, ends[1]);
        }
        ::close(ends[1]);
        ChildReport report;
        char buffer[4096];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            report.text.append(buffer, static_cast<std::size_t>(n));
        ::close(ends[0]);
        if (child < 0)
            report.text = "fork failed";
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
            report.exitCode = WEXITSTATUS(status);
        return report;
    }

private:
    [[noreturn]] static void reply(int out, std::string_view text, int exitCode)
    {
        while (!text.empty()) {
            const ssize_t n = ::write(out, text.data(), text.size());
            if (n <= 0)
                break;
            text.remove_prefix(static_cast<std::size_t>(n));
        }
        ::_exit(exitCode); // never back into the test runner
    }

    [[noreturn]] void answerInChild(const std::vector<platform::MountEntry> &mounts, int out) const
    {
        const auto need = [out](bool done, const std::string &what) {
            const int error = errno;
            if (!done)
                reply(out, what + ": " + std::strerror(error), error == EPERM || error == EACCES ? notPermitted : 1);
        };
        need(::unshare(CLONE_NEWNS) == 0, "unshare(CLONE_NEWNS)");
        // Private, so that nothing mounted here shows in the parent's namespace.
        need(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0, "making / private");
        need(::mount((m_root / "sys").c_str(), "/sys", nullptr, MS_BIND, nullptr) == 0, "binding over /sys");
        need(::mount((m_root / "run").c_str(), "/run", nullptr, MS_BIND, nullptr) == 0, "binding over /run");
        need(::mount("tmpfs", "/dev", "tmpfs", 0, "mode=0755") == 0, "mounting a tmpfs on /dev");
        for (const auto &[node, number] : m_nodes)
            need(::mknod(node.c_str(), S_IFBLK | 0600, number) == 0, "mknod " + node);
        // libudev refuses device folders that are not on sysfs unless told this is a test.
        ::setenv("SYSTEMD_DEVICE_VERIFY_SYSFS", "0", 1);
        const platform::MachineDeviceFacts machine;
        std::string answers;
        for (const platform::MountEntry &mount : mounts) {
            answers += machine.isRemovable(mount) ? "removable" : "fixed";
            answers += " [" + machine.label(mount) + "]\n";
        }
        reply(out, answers, 0);
    }

    TemporaryFolder m_folder{"tst_volumes_udev"};
    const fs::path m_root = m_folder.path();
    std::vector<std::pair<std::string, dev_t>> m_nodes;
};

TEST_F(FakeDeviceTree, TellsRemovableDevicesAndLabelsAsLibudevReadsThem)
{
    const std::string sata = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/";
    addDisk(sata + "sdq", 65, 0, false);
    addBlock(sata + "sdq/sdq1", 65, 1, "partition");
    addBlock(sata + "sdq/sdq2", 65, 2, "partition");
    addUdevData(65, 1, "E:ID_FS_TYPE=ext4\nE:ID_FS_LABEL_ENC=My\\x20Photos\\x2f2015\n");
    addUdevData(65, 2, "E:ID_FS_TYPE=xfs\n");
    // A stick: the disk's flag says fixed, the USB device above it says otherwise.
    const std::string usb = "pci0000:00/0000:00:14.0/usb2/2-1";
    addDevice(usb, "usb", "DEVTYPE=usb_device\n");
    addDevice(usb + "/2-1:1.0", "usb", "DEVTYPE=usb_interface\n");
    const std::string stick = usb + "/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdr";
    addDisk(stick, 65, 16, false);
    addBlock(stick + "/sdr1", 65, 17, "partition");
    addDisk("pci0000:00/0000:00:1a.0/mmc_host/mmc0/mmc0:0001/block/mmcblk0", 179, 0, true);
    addBlock("pci0000:00/0000:00:1a.0/mmc_host/mmc0/mmc0:0001/block/mmcblk0/mmcblk0p1", 179, 1, "partition");
    // An encrypted stick: the mapped device has no bus of its own, the partition it maps has.
    const fs::path mapped = addDisk("virtual/block/dm-7", 254, 7, false);
    fs::create_directory(mapped / "slaves");
    fs::create_directory_symlink("/sys/devices/" + stick + "/sdr1", mapped / "slaves/sdr1");

    const std::pair<std::string, std::string> cases[] = {
        {"1 0 65:1 / /data rw - ext4 /dev/sdq1 rw", "fixed [My Photos/2015]"},
        {"1 0 65:2 / /srv rw - xfs /dev/sdq2 rw", "fixed []"},
        {"1 0 65:17 / /media/s rw - vfat /dev/sdr1 rw", "removable []"},
        {"1 0 179:1 / /media/c rw - exfat /dev/mmcblk0p1 rw", "removable []"},
        {"1 0 254:7 / /media/x rw - ext4 /dev/mapper/luks-x rw", "removable []"},
        // Anonymous device numbers (fuseblk, btrfs): the device is found through its node.
        {"1 0 0:51 / /media/n rw - fuseblk /dev/sdr1 rw", "removable []"},
        {"1 0 0:33 / /home rw - btrfs /dev/sdq1 rw", "fixed [My Photos/2015]"},
        {"1 0 0:60 / /mnt/nas rw - cifs //nas/p rw", "fixed []"},
        {"1 0 0:64 / /mnt/ram rw - tmpfs tmpfs rw", "fixed []"},
    };
    std::vector<platform::MountEntry> mounts;
    for (const auto &[line, answer] : cases)
        mounts.push_back(mountsOf(line + "\n").at(0));

    const ChildReport report = askInChild(mounts);
    if (report.exitCode == notPermitted)
        GTEST_SKIP() << "this process may not mount a fake /sys in a namespace of its own (needs root): "
                     << report.text;
    ASSERT_EQ(report.exitCode, 0) << report.text;
    std::istringstream answers(report.text);
    for (const auto &[line, answer] : cases) {
        std::string given;
        std::getline(answers, given);
        EXPECT_EQ(given, answer) << line;
    }
}

TEST(MachineVolumes, IncludeTheRootAndOnlyFolders)
{
    const std::vector<Volume> volumes = platform::mountedVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().mountPoint, "/");
    EXPECT_TRUE(std::is_sorted(volumes.begin(), volumes.end(),
                               [](const Volume &a, const Volume &b) { return a.mountPoint < b.mountPoint; }));
    for (const Volume &volume : volumes)
        EXPECT_TRUE(fs::is_directory(volume.mountPoint)) << volume.mountPoint;
    EXPECT_EQ(platform::mountPointOf(volumes, fs::current_path().string()).front(), '/');
}

} // namespace
