#pragma once

#include <string>

struct stat;

namespace platform {

class Folder;

/** The ways a no-replace move can be made, in the order they are tried. */
enum class MoveMethod {
    RenameNoReplace, // renameat2 with RENAME_NOREPLACE: atomic
    LinkUnlink,      // link then unlink: atomic too, for file systems with hard links
    CheckThenRename  // existence check right before rename: see the race in movefile.cpp
};

/**
 * The system calls a move is made of. The program uses the real ones; tests put in calls
 * that refuse what a volume without rename flags or hard links refuses. Each returns 0, or
 * -1 with errno set, as the system call does.
 */
class MoveCalls
{
public:
    virtual ~MoveCalls() = default;
    virtual int renameNoReplace(int folder, const char *from, const char *to);
    virtual int link(int folder, const char *from, const char *to);
    virtual int unlink(int folder, const char *name);
    virtual int statAt(int folder, const char *name, struct stat *st, int flags);
    virtual int rename(int folder, const char *from, const char *to);

    /** The real system calls. */
    static MoveCalls &system();
};

/**
 * Moves entries of one held folder without ever replacing anything, and learns on the way
 * which method the folder's volume takes. A method's refusal may be the volume's or only one
 * file's (a character the volume cannot hold in one name, a file with too many links), so a
 * refusal is learned only when it is proven: the mover starts every later move with a later
 * method only when that method then moved the same file, and never when the method it had
 * has already moved a file of this batch. It only ever moves on to a later method, which is
 * always safe, never back. One mover lives for one batch.
 */
class NoReplaceMover
{
public:
    explicit NoReplaceMover(const Folder &folder, MoveMethod first = MoveMethod::RenameNoReplace,
                            MoveCalls &calls = MoveCalls::system()) noexcept
        : m_folder(folder), m_method(first), m_calls(calls)
    {
    }

    NoReplaceMover(const NoReplaceMover &) = delete;
    NoReplaceMover &operator=(const NoReplaceMover &) = delete;

    const Folder &folder() const noexcept { return m_folder; }

    /** The method the next move starts with. */
    MoveMethod method() const noexcept { return m_method; }

    /**
<<<<<<< HEAD
     * Moves `oldName` to `newName`. Returns 0 on success, else the errno value: EEXIST when
     * the new name is taken; when either name is refused by isNameInFolder, nothing is tried
     * and the refusal is returned (ENAMETOOLONG for a name only too long, else EINVAL). Never throws.
=======
     * Moves `oldName` to `newName`. Returns 0 on success, else the errno value that explains
     * the failure: EEXIST when the new name is taken, EINVAL when either name is refused by
     * isNameInFolder (nothing is tried then) or the volume cannot hold the new name, ENOSPC,
     * EIO and so on as the volume answers. Never throws.
>>>>>>> wip-mover
     */
    int move(const std::string &oldName, const std::string &newName) noexcept;

    /** The same move without the test of the names. */
    int moveUnchecked(const std::string &from, const std::string &to) noexcept;

private:
    /** One method's answer for one move. */
    struct Attempt
    {
        int err = 0;                     // 0: moved
        bool methodMayBeRefused = false; // the answer may mean the volume does not take the method
    };

    int moveAt(int at, const char *source, const char *target) noexcept;
    Attempt moveBy(MoveMethod method, int at, const char *source, const char *target) noexcept;
    Attempt linkThenUnlink(int at, const char *source, const char *target) noexcept;
    int checkThenRename(int at, const char *source, const char *target) noexcept;

    const Folder &m_folder;
    MoveMethod m_method;
    bool m_methodWorked = false; // m_method has moved a file: the volume takes it
    MoveCalls &m_calls;
};

} // namespace platform
