#pragma once

#include <string>

namespace platform {

/** How the volume holding a folder treats the letter case of names. */
struct CaseFlags
{
    bool caseSensitive = true; ///< "a" and "A" name two different entries
    bool preservesCase = true; ///< names keep the case they were created with
};

/**
 * The case flags of the volume that holds path. FAT and exFAT compare names without
 * regard to case and keep the case given; every other file system, and a path whose
 * volume cannot be asked, counts as case-sensitive.
 */
CaseFlags volumeCaseFlags(const std::string &path);

} // namespace platform
