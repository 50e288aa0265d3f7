#include "platform/folder.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace platform {

Folder::Folder(std::string path, Access access) : m_path(std::move(path))
{
    if (!m_path.empty() && access == Access::ByDescriptor) {
        do
            m_fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
    }
    errno = 0;
    const long limit = m_fd >= 0 ? ::fpathconf(m_fd, _PC_NAME_MAX) : ::pathconf(m_path.c_str(), _PC_NAME_MAX);
    struct statfs volume {};
    const int asked = m_fd >= 0 ? ::fstatfs(m_fd, &volume) : ::statfs(m_path.c_str(), &volume);
    m_nameLimit = nameLimitFor(asked == 0 ? static_cast<unsigned long>(volume.f_type) : 0, limit > 0 ? limit : NAME_MAX);
}

Folder::~Folder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Folder::sync() const noexcept
{
    // The held descriptor is O_PATH, which fsync refuses: the folder is opened for reading
    // through it, so the folder synced is the one held even if its path now names another.
    int fd;
    do
        fd = m_fd >= 0 ? ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                       : ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP)
        err = 0;
    return err;
}

std::string Folder::pathOf(const std::string &name) const
{
    return joinPath(m_path, name);
}

std::string joinPath(const std::string &folder, const std::string &name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::pair<std::string, std::string> splitPath(const std::string &path)
{
    const std::string::size_type cut = path.rfind('/');
    if (cut == std::string::npos)
        return {".", path};
    return {cut == 0 ? "/" : path.substr(0, cut), path.substr(cut + 1)};
}

int nameRefusal(const Folder &folder, const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return EINVAL;
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return EINVAL;
    return nameLengthError(name, folder.nameLimit());
}

bool isNameInFolder(const Folder &folder, const std::string &name)
{
    return nameRefusal(folder, name) == 0;
}

bool fileExistsIn(const Folder &folder, const std::string &name)
{
    if (!isNameInFolder(folder, name))
        return false;
    // The lookup is the file system's own, so a FAT or exFAT volume (and an ext4 case-folding
    // folder) finds "HOLIDAY.JPG" for "holiday.jpg" here; checked on an exFAT card image
    // mounted through exfat-fuse.
    return folder.onEntry(name, [](int at, const char *entry) {
        struct stat st {};
        return ::fstatat(at, entry, &st, 0) == 0 && !S_ISDIR(st.st_mode);
    });
}

} // namespace platform
