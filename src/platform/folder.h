#pragma once

#include "platform/namelimit.h"

#include <fcntl.h>
#include <string>
#include <utility>

namespace platform {

/**
 * A folder held open while a batch works on its entries: one O_PATH descriptor, so the
 * kernel walks the folder's path once instead of at every open, test and move, and the
 * folder's name-length limit, asked once. The descriptor follows the folder itself. This is
 * the one way the program opens, tests, reads and moves the files of a folder.
 *
 * A folder that cannot be opened is not an error here: every operation on its entries then
 * goes by the joined path, as it would without the descriptor, and fails the same way.
 */
class Folder
{
public:
    /** ByPath opens no descriptor: every entry goes by its joined path, as a whole path would. */
    enum class Access { ByDescriptor, ByPath };

    explicit Folder(std::string path, Access access = Access::ByDescriptor);
    ~Folder();

    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const std::string &path() const noexcept { return m_path; }

    /**
     * The longest entry name the folder's file system takes (NAME_MAX when it does not say),
     * counted in nameLimit()'s units: 255 UTF-16 units on FAT and exFAT.
     */
    long nameMax() const noexcept { return m_nameLimit.max; }
    const NameLimit &nameLimit() const noexcept { return m_nameLimit; }

    /**
     * Asks the file system to write the folder's entries to the medium (fsync of the folder),
     * so renames made in it survive a card pulled or a power cut. Returns 0 or the errno value;
     * a volume that keeps no sync of its own (EINVAL, ENOSYS, ENOTSUP) counts as synced.
     */
    int sync() const noexcept;

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

    /**
     * The same for two entries at once (a move): `call(dirfd, first, second)`, both relative
     * to the descriptor, or both joined paths with AT_FDCWD.
     */
    template <typename Call>
    auto onEntries(const std::string &first, const std::string &second, Call &&call) const
    {
        if (m_fd >= 0)
            return call(m_fd, first.c_str(), second.c_str());
        const std::string joinedFirst = pathOf(first);
        const std::string joinedSecond = pathOf(second);
        return call(AT_FDCWD, joinedFirst.c_str(), joinedSecond.c_str());
    }

private:
    std::string m_path;
    int m_fd = -1;
    NameLimit m_nameLimit;
};

/** `folder` + "/" + `name`, without doubling the "/" of the root. */
std::string joinPath(const std::string &folder, const std::string &name);

/**
 * A path cut into its folder and its last name: "/a/b.jpg" gives "/a" and "b.jpg", "/b.jpg"
 * gives "/" and "b.jpg", a bare "b.jpg" gives "." and "b.jpg". For the few callers that are
 * handed a whole path (benchmarks, the fuzz target).
 */
std::pair<std::string, std::string> splitPath(const std::string &path);

/**
 * True when `name` can only name an entry of `folder` itself: not empty, no "/" and no
 * NUL byte, neither "." nor "..", and no longer than the folder's file system allows.
 */
bool isNameInFolder(const Folder &folder, const std::string &name);

/**
 * Why `name` could not be an entry of `folder`: 0 when isNameInFolder holds, ENAMETOOLONG
 * when it is only too long for the folder's file system, else EINVAL.
 */
int nameRefusal(const Folder &folder, const std::string &name);

/**
 * True when something that is not a folder exists under the bare `name` in `folder`. The
 * file system's own name matching decides: on FAT and exFAT, and in case-folding folders, a
 * name that differs only in letter case is found. A name that could not be an entry of the
 * folder (see isNameInFolder) is never found.
 */
bool fileExistsIn(const Folder &folder, const std::string &name);

} // namespace platform
