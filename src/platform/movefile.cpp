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

// The flag or the call itself is unknown to this file system: FAT, and the network and FUSE
// file systems (FUSE, NFS and CIFS answer EINVAL).
bool flagRefused(int err)
{
    return err == EINVAL || err == ENOSYS;
}

bool hardLinksRefused(int err)
{
    return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == ENOSYS || err == EMLINK;
}

} // namespace

int MoveCalls::renameNoReplace(int folder, const char *from, const char *to)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(::syscall(SYS_renameat2, folder, from, folder, to, RENAME_NOREPLACE));
#endif
}

int MoveCalls::link(int folder, const char *from, const char *to)
{
    return ::linkat(folder, from, folder, to, 0);
}

int MoveCalls::unlink(int folder, const char *name)
{
    return ::unlinkat(folder, name, 0);
}

int MoveCalls::statAt(int folder, const char *name, struct stat *st, int flags)
{
    return ::fstatat(folder, name, st, flags);
}

int MoveCalls::rename(int folder, const char *from, const char *to)
{
    return ::renameat(folder, from, folder, to);
}

MoveCalls &MoveCalls::system()
{
    static MoveCalls calls;
    return calls;
}

// Both names relative to `at`, the folder's descriptor or AT_FDCWD.
int NoReplaceMover::moveAt(int at, const char *source, const char *target) noexcept
{
    if (m_method == MoveMethod::RenameNoReplace) {
        if (m_calls.renameNoReplace(at, source, target) == 0)
            return 0;
        if (!flagRefused(errno))
            return errno;
        m_method = MoveMethod::LinkUnlink;
    }

    if (m_method == MoveMethod::LinkUnlink) {
        // linkat never replaces: an existing target fails with EEXIST.
        if (m_calls.link(at, source, target) == 0) {
            if (m_calls.unlink(at, source) == 0)
                return 0;
            // Never leave the file under two names: take the new one away again.
            const int err = errno;
            m_calls.unlink(at, target);
            return err;
        }
        if (!hardLinksRefused(errno))
            return errno;
        m_method = MoveMethod::CheckThenRename;
    }

    // Last resort, for file systems with neither the flag nor hard links (exfat-fuse refuses
    // the flag with EINVAL and link with EPERM, so every move there ends up here; the lookup
    // matches names without regard to case there too). This leaves a race:
    // a file that another process creates under the new name between the check and the
    // renameat is replaced by the move and lost. Nothing in this program creates files in
    // the folder meanwhile, so only an outside program could lose a file that way.
    // The check does not follow links: a link under the new name, dangling or not, is taken.
    struct stat st {};
    if (m_calls.statAt(at, target, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return m_calls.rename(at, source, target) == 0 ? 0 : errno;
}

int NoReplaceMover::moveUnchecked(const std::string &from, const std::string &to) noexcept
{
    try {
        return m_folder.onEntries(from, to, [this](int at, const char *source, const char *target) {
            return moveAt(at, source, target);
        });
    } catch (...) {
        return ENOMEM; // only the joined paths of a folder without descriptor allocate
    }
}

int NoReplaceMover::move(const std::string &oldName, const std::string &newName) noexcept
{
    if (const int refused = nameRefusal(m_folder, oldName))
        return refused;
    if (const int refused = nameRefusal(m_folder, newName))
        return refused;
    return moveUnchecked(oldName, newName);
}

int moveFileInFolder(const Folder &folder, const std::string &oldName, const std::string &newName) noexcept
{
    return NoReplaceMover(folder).move(oldName, newName);
}

int moveNoReplace(const Folder &folder, const std::string &from, const std::string &to, MoveMethod first) noexcept
{
    return NoReplaceMover(folder, first).moveUnchecked(from, to);
}

} // namespace platform
