#pragma once

// Batch calls that fail every move of chosen files, and the folder's sync, with chosen errors:
// a batch on a local folder then meets what a full or pulled card would give it.

#include "platform/folder.h"
#include "rename/batchcalls.h"

#include <cerrno>
#include <map>
#include <string>

namespace batchtest {

class FailingCalls : public BatchCalls
{
public:
    void failMovesOf(const std::string &oldName, int error) { m_failing[oldName] = error; }
    int syncError = 0; // 0: the real sync
    int syncs = 0;

    int renameNoReplace(int at, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::renameNoReplace(at, from, to);
    }
    int link(int at, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::link(at, from, to);
    }
    int rename(int at, const char *from, const char *to) override
    {
        return failing(from) ? -1 : BatchCalls::rename(at, from, to);
    }
    int syncFolder(const platform::Folder &folder) override
    {
        ++syncs;
        return syncError != 0 ? syncError : BatchCalls::syncFolder(folder);
    }

private:
    bool failing(const char *from) // a bare name, or a joined path where the folder has no descriptor
    {
        const auto found = m_failing.find(platform::splitPath(from).second);
        errno = found == m_failing.end() ? 0 : found->second;
        return errno != 0;
    }

    std::map<std::string, int> m_failing;
};

} // namespace batchtest
