#include "browser/settingsfile.h"

#include "platform/errors.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes on every way out; a close that fails on the write path is reported by the caller.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

std::string readSettingsLine(const std::string &settingsPath)
{
    // Non-blocking, so a pipe left under the file's name cannot hang start-up.
    Descriptor file(::open(settingsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        throw EInOutError::fromErrno(errno, settingsPath);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        throw EInOutError::fromErrno(errno, settingsPath);
    if (!S_ISREG(st.st_mode))
        throw EInOutError(IoCode::AccessDenied);

    std::string line;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError::fromErrno(errno, settingsPath);
        }
        if (got == 0)
            break;
        bool ended = false;
        for (ssize_t i = 0; i < got && !ended; ++i) {
            if (chunk[i] == '\n')
                ended = true;
            else if (chunk[i] != '\r')
                line.push_back(chunk[i]);
        }
        if (ended)
            break;
    }
    if (::close(file.release()) != 0)
        throw EInOutError::fromErrno(errno, settingsPath);
    return line;
}

void writeSettingsLine(const std::string &settingsPath, const std::string &line)
{
    // Writing over a folder or a read-only file is refused as the file system would refuse
    // opening it for writing; the rename below would otherwise replace a read-only file.
    struct stat existing {};
    const bool exists = ::stat(settingsPath.c_str(), &existing) == 0;
    if (exists && (S_ISDIR(existing.st_mode) || (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0))
        throw EInOutError(IoCode::AccessDenied);

    // A name of our own making, so no file of the user's is ever overwritten on the way.
    std::string temporary = settingsPath + ".XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        throw EInOutError::fromErrno(errno == EISDIR ? EACCES : errno, settingsPath);

    const std::string content = line + "\r\n";
    std::size_t written = 0;
    int failure = 0;
    while (written < content.size() && !failure) {
        const ssize_t put = ::write(file.get(), content.data() + written, content.size() - written);
        if (put < 0 && errno != EINTR)
            failure = errno;
        else if (put > 0)
            written += std::size_t(put);
    }
    // mkstemp makes the file private; the settings file keeps the mode it had, or gets the usual one.
    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    if (!failure && ::fchmod(file.get(), mode) != 0)
        failure = errno;
    if (!failure && ::fsync(file.get()) != 0 && errno != EINVAL)
        failure = errno;
    if (::close(file.release()) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temporary.c_str(), settingsPath.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        throw EInOutError::fromErrno(failure == EISDIR ? EACCES : failure, settingsPath);
    }
}
