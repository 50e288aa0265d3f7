#include "platform/movefile.h"

#include "platform/folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#include <linux/fs.h>
#endif

namespace platform {

namespace {

bool isEntryName(const std::string &name, long limit)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return false;
    return static_cast<long>(name.size()) <= limit;
}

int renameNoReplace(int folder, const char *from, const char *to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(::syscall(SYS_renameat2, folder, from, folder, to, RENAME_NOREPLACE));
#endif
}

// The flag or the call itself is unknown to this file system (FAT, some network and FUSE ones).
bool flagRefused(int err)
{
    return err == EINVAL || err == ENOSYS;
}

bool hardLinksRefused(int err)
{
    return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == ENOSYS || err == EMLINK;
}

// Both names relative to `folder`, a descriptor or AT_FDCWD.
int moveNoReplaceAt(int folder, const char *source, const char *target, MoveMethod first) noexcept
{
    if (first == MoveMethod::RenameNoReplace) {
        if (renameNoReplace(folder, source, target) == 0)
            return 0;
        if (!flagRefused(errno))
            return errno;
        first = MoveMethod::LinkUnlink;
    }

    if (first == MoveMethod::LinkUnlink) {
        // linkat never replaces: an existing target fails with EEXIST.
        if (::linkat(folder, source, folder, target, 0) == 0) {
            if (::unlinkat(folder, source, 0) == 0)
                return 0;
            // Never leave the file under two names: take the new one away again.
            const int err = errno;
            ::unlinkat(folder, target, 0);
            return err;
        }
        if (!hardLinksRefused(errno))
            return errno;
    }

    // Last resort, for file systems with neither the flag nor hard links (exfat-fuse refuses
    // the flag with EINVAL and link with EPERM, so every move there ends up here; the lookup
    // matches names without regard to case there too). This leaves a race:
    // a file that another process creates under the new name between the check and the
    // renameat is replaced by the move and lost. Nothing in this program creates files in
    // the folder meanwhile, so only an outside program could lose a file that way.
    struct stat st {};
    if (::fstatat(folder, target, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(folder, source, folder, target) == 0 ? 0 : errno;
}

} // namespace

bool isNameInFolder(const std::string &folder, const std::string &name)
{
    return isNameInFolder(Folder(folder), name);
}

bool isNameInFolder(const Folder &folder, const std::string &name)
{
    return isEntryName(name, folder.nameMax());
}

std::string joinPath(const std::string &folder, const std::string &name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool fileExistsHere(const std::string &name)
{
    return fileExistsIn(Folder("."), name);
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

int moveNoReplace(const std::string &from, const std::string &to, MoveMethod first) noexcept
{
    return moveNoReplaceAt(AT_FDCWD, from.c_str(), to.c_str(), first);
}

int moveNoReplace(const Folder &folder, const std::string &from, const std::string &to, MoveMethod first) noexcept
{
    try {
        return folder.onEntry(from, [&](int at, const char *source) {
            if (at != AT_FDCWD)
                return moveNoReplaceAt(at, source, to.c_str(), first);
            return moveNoReplace(source, folder.pathOf(to), first);
        });
    } catch (...) {
        return ENOMEM; // only the joined paths of a folder without descriptor allocate
    }
}

int moveFileInFolder(const std::string &folder, const std::string &oldName, const std::string &newName) noexcept
{
    try {
        return moveFileInFolder(Folder(folder), oldName, newName);
    } catch (...) {
        return ENOMEM; // only the folder's path allocates
    }
}

int moveFileInFolder(const Folder &folder, const std::string &oldName, const std::string &newName) noexcept
{
    if (!isNameInFolder(folder, oldName) || !isNameInFolder(folder, newName))
        return EINVAL;
    return moveNoReplace(folder, oldName, newName);
}

} // namespace platform
