#pragma once

// Batch calls that fail the moves of chosen files with chosen errors, and the folder's sync
// when told to, and make every other call for real: a batch on a local folder then meets
// what a full card, a pulled card or a name the volume refuses would give it.

#include "platform/folder.h"
#include "rename/batchcalls.h"

#include <cerrno>
#include <map>
#include <string>

namespace batchtest {

class FailingCalls : public BatchCalls
{
public:
    /** Every move of the file with this old name fails with `error`, whatever method tries it. */
    void failMovesOf(const std::string &oldName, int error) { m_failing[oldName] = error; }
    /** The folder's sync answers `error` (0: the real sync). */
    int syncError = 0;
    int syncs = 0;

    int renameNoReplace(int folder, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::renameNoReplace(folder, from, to);
    }
    int link(int folder, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::link(folder, from, to);
    }
    int rename(int folder, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::rename(folder, from, to);
    }
    int syncFolder(const platform::Folder &folder) override
    {
        ++syncs;
        return syncError != 0 ? syncError : BatchCalls::syncFolder(folder);
    }

private:
    // `from` is the bare name, or the joined path where the folder has no descriptor.
    bool failing(const char *from)
    {
        const auto found = m_failing.find(platform::splitPath(from).second);
        if (found == m_failing.end())
            return false;
        errno = found->second;
        return true;
    }

    std::map<std::string, int> m_failing;
};

} // namespace batchtest
