#pragma once

#include <string>

namespace platform {

/**
 * How long a name a volume takes, and in what it counts. FAT and exFAT store names in
 * UTF-16 and take 255 units, yet the kernel reports 1,530 (six bytes per unit) as their
 * longest name: counting bytes against that would let names through that the volume then
 * refuses.
 */
struct NameLimit
{
    enum class Units { Bytes, Utf16 };
    Units units = Units::Bytes;
    long max = 255;

    bool operator==(const NameLimit &) const = default;
};

/**
 * The limit of a volume whose statfs magic is `fsMagic` and whose reported longest name is
 * `reportedMax` (0 or less when it reports none): 255 UTF-16 units on FAT and exFAT and
 * wherever more than 255 is reported, else the reported bytes.
 */
NameLimit nameLimitFor(unsigned long fsMagic, long reportedMax);

/** The UTF-16 units the UTF-8 `name` needs, or -1 when it is not valid UTF-8. */
long utf16Units(const std::string &name);

/**
 * 0 when `name` fits `limit`; ENAMETOOLONG when it is too long; EINVAL when a volume that
 * stores UTF-16 could not hold it at all (its bytes are not UTF-8).
 */
int nameLengthError(const std::string &name, const NameLimit &limit);

} // namespace platform
