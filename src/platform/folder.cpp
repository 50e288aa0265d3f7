#include "platform/folder.h"

#include "platform/movefile.h"

#include <cerrno>
#include <climits>
#include <unistd.h>
#include <utility>

namespace platform {

Folder::Folder(std::string path) : m_path(std::move(path))
{
    if (!m_path.empty()) {
        do
            m_fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
    }
    errno = 0;
    const long limit = m_fd >= 0 ? ::fpathconf(m_fd, _PC_NAME_MAX) : ::pathconf(m_path.c_str(), _PC_NAME_MAX);
    m_nameMax = limit > 0 ? limit : NAME_MAX;
}

Folder::~Folder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string Folder::pathOf(const std::string &name) const
{
    return joinPath(m_path, name);
}

} // namespace platform
