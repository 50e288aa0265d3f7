#include "platform/caseflags.h"

#include <sys/vfs.h>

namespace platform {

namespace {

// f_type values from linux/magic.h, spelt out so the header's kernel version does not matter.
constexpr unsigned long MsdosMagic = 0x4d44;
constexpr unsigned long ExfatMagic = 0x2011BAB0;

} // namespace

CaseFlags volumeCaseFlags(const std::string &path)
{
    struct statfs info {};
    if (path.empty() || ::statfs(path.c_str(), &info) != 0)
        return {};
    const auto type = static_cast<unsigned long>(info.f_type);
    if (type == MsdosMagic || type == ExfatMagic)
        return {false, true};
    return {};
}

} // namespace platform
