#pragma once

#include <string>

namespace platform {

class Folder;

/**
 * True when `name` can only name an entry of `folder` itself: not empty, no "/" and no
 * NUL byte, neither "." nor "..", and no longer than the folder's file system allows
 * (pathconf _PC_NAME_MAX, NAME_MAX when the folder does not say).
 */
bool isNameInFolder(const std::string &folder, const std::string &name);
/** The same test against a held folder, whose limit was asked once. */
bool isNameInFolder(const Folder &folder, const std::string &name);

/** `folder` + "/" + `name`, without doubling the "/" of the root. */
std::string joinPath(const std::string &folder, const std::string &name);

/**
 * True when something that is not a folder exists under the bare `name` in the working
 * directory. The file system's own name matching decides: on FAT and exFAT, and in
 * case-folding folders, a name that differs only in letter case is found. A name that
 * could not be a bare name of the working directory (see isNameInFolder) is never found.
 */
bool fileExistsHere(const std::string &name);
/** The same test in a held folder, by its descriptor. */
bool fileExistsIn(const Folder &folder, const std::string &name);

/**
 * Moves `oldName` to `newName` inside `folder`, never replacing anything. Returns 0 on
 * success, else the errno value: EEXIST when the new name is taken, EINVAL when either
 * name is refused by isNameInFolder (nothing is tried then). Never throws.
 */
int moveFileInFolder(const std::string &folder, const std::string &oldName, const std::string &newName) noexcept;
/** The same move inside a held folder, by its descriptor. */
int moveFileInFolder(const Folder &folder, const std::string &oldName, const std::string &newName) noexcept;

/** The ways a no-replace move can be made, in the order they are tried. */
enum class MoveMethod {
    RenameNoReplace, // renameat2 with RENAME_NOREPLACE: atomic
    LinkUnlink,      // link then unlink: atomic too, for file systems with hard links
    CheckThenRename  // existence check right before rename: see the race in movefile.cpp
};

/**
 * Moves path `from` to path `to` without replacing, starting with `first` and falling to
 * the next method only while the file system refuses the current one. Returns 0 or errno.
 */
int moveNoReplace(const std::string &from, const std::string &to, MoveMethod first = MoveMethod::RenameNoReplace) noexcept;
/** The same between two entries of a held folder, by its descriptor; the names are not checked. */
int moveNoReplace(const Folder &folder, const std::string &from, const std::string &to,
                  MoveMethod first = MoveMethod::RenameNoReplace) noexcept;

} // namespace platform
