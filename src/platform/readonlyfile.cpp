#include "platform/readonlyfile.h"

#include "platform/errors.h"
#include "platform/folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Positions reach 2^31 and beyond (a 32-bit offset added to a base); a narrower off_t would wrap them.
static_assert(sizeof(off_t) >= sizeof(std::int64_t));

namespace platform {

ReadOnlyFile::ReadOnlyFile(const Folder &folder, const std::string &name) : m_name(name), m_folder(folder)
{
    folder.onEntry(name, [this](int at, const char *relative) { open(at, relative); });
}

void ReadOnlyFile::open(int at, const char *relative)
{
    // O_NONBLOCK: a FIFO that carries a photo's name must not hold the window until a
    // writer comes; its first read then fails instead. Regular files ignore the flag.
    do
        m_fd = ::openat(at, relative, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        fail(errno);
}

void ReadOnlyFile::fail(int err) const
{
    // The whole path is made only now: "not found" tells a missing file from a missing folder by it.
    throw EInOutError::fromErrno(err, m_folder.pathOf(m_name));
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // leaving on a failure already on its way: that one is reported
}

std::size_t ReadOnlyFile::readAt(std::int64_t position, void *buffer, std::size_t size)
{
    if (position < 0)
        fail(EINVAL);
    if (m_fd < 0)
        fail(EBADF);
    ssize_t delivered;
    do
        delivered = ::pread(m_fd, buffer, size, static_cast<off_t>(position));
    while (delivered < 0 && errno == EINTR);
    if (delivered < 0)
        fail(errno);
    return static_cast<std::size_t>(delivered);
}

std::optional<std::int64_t> ReadOnlyFile::regularFileSize() const
{
    struct stat info{};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::int64_t(info.st_size);
}

void ReadOnlyFile::close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1; // Linux releases the descriptor even when close reports a failure: never close twice
    // EINTR: the descriptor is gone and nothing was written, so there is nothing to lose.
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
}

} // namespace platform
