#include "browser/deferredfailure.h"

#include "platform/workdir.h"

bool DeferredFailure::enter(const std::string &path)
{
    if (const int err = platform::trySetCurrentDirectory(path)) {
        note(err, path);
        return false;
    }
    return true;
}

void DeferredFailure::raise()
{
    if (!m_failure)
        return;
    const EInOutError failure = *m_failure;
    m_failure.reset();
    throw failure;
}
