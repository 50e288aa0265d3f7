#include "platform/workdir.h"

#include "platform/errors.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string currentDirectory()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return buffer.data();
        if (errno != ERANGE)
            throw EInOutError::fromErrno(errno);
        buffer.resize(buffer.size() * 2);
    }
}

void setCurrentDirectory(const std::string &path)
{
    if (const int err = trySetCurrentDirectory(path))
        throw EInOutError::fromErrno(err, path);
}

int trySetCurrentDirectory(const std::string &path) noexcept
{
    if (path.empty())
        return ENOENT;
    return ::chdir(path.c_str()) == 0 ? 0 : errno;
}

bool folderExists(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace platform
