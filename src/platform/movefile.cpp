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

// An answer that may mean this volume does not take the method at all, rather than that this
// one move failed: then a later method is tried for the same file. The flag or the call itself
// is unknown to FAT and to the network and FUSE file systems (FUSE, NFS and CIFS answer
// EINVAL); hard links to exFAT, FAT and SMB shares (EPERM, EOPNOTSUPP). But vfat also answers
// EINVAL for a character it cannot hold in one name, fs.protected_hardlinks gives EPERM for
// one file, and EMLINK is the limit of one file: such an answer lets the move go on, and
// proves nothing by itself.
bool mayRefuseMethod(MoveMethod method, int err)
{
    switch (method) {
    case MoveMethod::RenameNoReplace:
        return err == EINVAL || err == ENOSYS;
    case MoveMethod::LinkUnlink:
        return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == ENOSYS || err == EMLINK;
    case MoveMethod::CheckThenRename:
        break;
    }
    return false;
}

MoveMethod nextMethod(MoveMethod method)
{
    return method == MoveMethod::RenameNoReplace ? MoveMethod::LinkUnlink : MoveMethod::CheckThenRename;
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
    for (MoveMethod method = m_method;; method = nextMethod(method)) {
        const Attempt attempt = moveBy(method, at, source, target);
        if (attempt.err == 0) {
            // The methods before this one were refused for this file. That is the volume's
            // refusal unless the method the mover had has already moved a file here.
            if (!m_methodWorked)
                m_method = method;
            m_methodWorked = true;
            return 0;
        }
        // An answer that cannot be a method's refusal (a taken name, a full volume, a pulled
        // card), and the last method's answer whatever it is, tells what is wrong with this
        // move: the one to report.
        if (!attempt.methodMayBeRefused)
            return attempt.err;
    }
}

NoReplaceMover::Attempt NoReplaceMover::moveBy(MoveMethod method, int at, const char *source,
                                               const char *target) noexcept
{
    switch (method) {
    case MoveMethod::RenameNoReplace:
        if (m_calls.renameNoReplace(at, source, target) == 0)
            return {};
        return {errno, mayRefuseMethod(method, errno)};
    case MoveMethod::LinkUnlink:
        return linkThenUnlink(at, source, target);
    case MoveMethod::CheckThenRename:
        break;
    }
    return {checkThenRename(at, source, target), false};
}

NoReplaceMover::Attempt NoReplaceMover::linkThenUnlink(int at, const char *source, const char *target) noexcept
{
    // linkat never replaces: an existing target fails with EEXIST.
    if (m_calls.link(at, source, target) != 0)
        return {errno, mayRefuseMethod(MoveMethod::LinkUnlink, errno)};
    if (m_calls.unlink(at, source) == 0)
        return {};
    // Never leave the file under two names: take the new one away again, and tell why the old
    // one stayed. The volume took the link, so this answer is the file's, not the method's.
    const int err = errno;
    m_calls.unlink(at, target);
    return {err, false};
}

// Last resort, for file systems with neither the flag nor hard links (exfat-fuse refuses the
// flag with EINVAL and link with EPERM, so every move there ends up here; the lookup matches
// names without regard to case there too). This leaves a race: a file that another process
// creates under the new name between the check and the renameat is replaced by the move and
// lost. Nothing in this program creates files in the folder meanwhile, so only an outside
// program could lose a file that way. The check does not follow links: a link under the new
// name, dangling or not, is taken. Only a check that found the name free lets the rename go:
// after any other failure (EIO on a share) the name may well be taken.
int NoReplaceMover::checkThenRename(int at, const char *source, const char *target) noexcept
{
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

} // namespace platform
