#include "rename/batchcalls.h"

#include "platform/folder.h"

int BatchCalls::syncFolder(const platform::Folder &folder)
{
    return folder.sync();
}

BatchCalls &BatchCalls::system()
{
    static BatchCalls calls;
    return calls;
}
