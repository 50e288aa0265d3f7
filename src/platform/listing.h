#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

/** One entry of a folder; "." and ".." are never reported. */
struct DirEntry
{
    std::string name; ///< the exact bytes the file system stores
    bool isFolder = false; ///< a folder, or a link to one
    bool hidden = false;   ///< the name begins with "."
    bool readOnly = false; ///< we may not write it; filled only when asked for (it costs a stat)
};

enum class EntryDetail { Basic, WithReadOnly };

/**
 * Calls visit for every entry of folder, in the order the file system gives them.
 * A folder that cannot be listed, or that fails part-way, gives fewer entries and
 * no error: listing is never a failure the user has to hear about.
 */
void forEachEntry(const std::string &folder, const std::function<void(const DirEntry &)> &visit,
                  EntryDetail detail = EntryDetail::Basic);

/** The entries of folder, as forEachEntry gives them. */
std::vector<DirEntry> listEntries(const std::string &folder, EntryDetail detail = EntryDetail::Basic);

} // namespace platform
