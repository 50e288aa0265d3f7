#pragma once

#include "platform/movefile.h"

namespace platform {
class Folder;
}

/**
 * The system calls a batch makes: its moves, and the one sync of the folder at its end. The
 * program uses the real ones; tests put in calls that fail chosen moves with chosen errors.
 */
class BatchCalls : public platform::MoveCalls
{
public:
    /** Writes the folder's entries to the medium; 0 or the errno value. */
    virtual int syncFolder(const platform::Folder &folder);

    /** The real system calls. */
    static BatchCalls &system();
};
