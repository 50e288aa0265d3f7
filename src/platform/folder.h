#pragma once

#include <fcntl.h>
#include <string>

namespace platform {

/**
 * A folder held open while a batch works on its entries: one O_PATH descriptor, so the
 * kernel walks the folder's path once instead of at every open, test and move, and the
 * folder's name-length limit, asked once. The descriptor follows the folder itself.
 *
 * A folder that cannot be opened is not an error here: every operation on its entries then
 * goes by the joined path, as it would without the descriptor, and fails the same way.
 */
class Folder
{
public:
    explicit Folder(std::string path);
    ~Folder();

    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const std::string &path() const noexcept { return m_path; }

    /** The longest entry name the folder's file system takes (NAME_MAX when it does not say). */
    long nameMax() const noexcept { return m_nameMax; }

    /** path() + "/" + name: how messages and the fallback name an entry. */
    std::string pathOf(const std::string &name) const;

    /**
     * Calls `call(dirfd, relative)` with the descriptor and the bare name, or with AT_FDCWD
     * and the joined path when the folder could not be opened; returns what it returns.
     */
    template <typename Call>
    auto onEntry(const std::string &name, Call &&call) const
    {
        if (m_fd >= 0)
            return call(m_fd, name.c_str());
        const std::string joined = pathOf(name);
        return call(AT_FDCWD, joined.c_str());
    }

private:
    std::string m_path;
    int m_fd = -1;
    long m_nameMax;
};

} // namespace platform
