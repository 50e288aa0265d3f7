#include "platform/readonlyfile.h"

#include "platform/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

// Positions reach 2^31 and beyond (a 32-bit offset added to a base); a narrower off_t would wrap them.
static_assert(sizeof(off_t) >= sizeof(std::int64_t));

namespace platform {

ReadOnlyFile::ReadOnlyFile(const std::string &path) : m_path(path)
{
    // O_NONBLOCK: a FIFO that carries a photo's name must not hold the window until a
    // writer comes; its first read then fails instead. Regular files ignore the flag.
    do
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        throw EInOutError::fromErrno(errno, path);
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // leaving on a failure already on its way: that one is reported
}

std::size_t ReadOnlyFile::readAt(std::int64_t position, void *buffer, std::size_t size)
{
    if (position < 0)
        throw EInOutError::fromErrno(EINVAL, m_path);
    if (m_fd < 0)
        throw EInOutError::fromErrno(EBADF, m_path);
    ssize_t delivered;
    do
        delivered = ::pread(m_fd, buffer, size, static_cast<off_t>(position));
    while (delivered < 0 && errno == EINTR);
    if (delivered < 0)
        throw EInOutError::fromErrno(errno, m_path);
    return static_cast<std::size_t>(delivered);
}

void ReadOnlyFile::close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1; // Linux releases the descriptor even when close reports a failure: never close twice
    // EINTR: the descriptor is gone and nothing was written, so there is nothing to lose.
    if (::close(fd) != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, m_path);
}

} // namespace platform
