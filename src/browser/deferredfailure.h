#pragma once

#include "platform/errors.h"

#include <optional>
#include <string>

/**
 * Failed changes of the working directory during a folder change do not stop the
 * change: the browser goes on with the folder it is still in and reports the last
 * failure once the lists are rebuilt. This holds that failure until then.
 */
class DeferredFailure
{
public:
    void note(const EInOutError &failure) { m_failure = failure; }
    void note(int errnum, const std::string &path) { m_failure = EInOutError::fromErrno(errnum, path); }
    bool pending() const { return m_failure.has_value(); }
    void clear() { m_failure.reset(); }

    /** Changes the working directory; a failure is noted, not thrown. True on success. */
    bool enter(const std::string &path);

    /** Throws the last failure noted, if any, and forgets it. */
    void raise();

private:
    std::optional<EInOutError> m_failure;
};
