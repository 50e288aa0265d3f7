#include "app/browser/settingsfile.h"

#include "platform/errors.h"

#include <cerrno>
#include <fcntl.h>
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

} // namespace

std::string readSettingsLine(const std::string &settingsPath)
{
    Descriptor file(::open(settingsPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw EInOutError::fromErrno(errno, settingsPath);

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
    const std::string temporary = settingsPath + ".new";
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.get() < 0)
        throw EInOutError::fromErrno(errno, temporary);

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
    if (!failure && ::fsync(file.get()) != 0 && errno != EINVAL)
        failure = errno;
    if (::close(file.release()) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temporary.c_str(), settingsPath.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        throw EInOutError::fromErrno(failure, settingsPath);
    }
}
