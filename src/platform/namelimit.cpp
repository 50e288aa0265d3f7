#include "platform/namelimit.h"

#include <cerrno>

namespace platform {

namespace {

constexpr unsigned long FatMagic = 0x4d44;       // MSDOS_SUPER_MAGIC
constexpr unsigned long ExfatMagic = 0x2011BAB0; // EXFAT_SUPER_MAGIC
constexpr long Utf16NameMax = 255;

} // namespace

NameLimit nameLimitFor(unsigned long fsMagic, long reportedMax)
{
    if (fsMagic == FatMagic || fsMagic == ExfatMagic || reportedMax > Utf16NameMax)
        return {NameLimit::Units::Utf16, Utf16NameMax};
    return {NameLimit::Units::Bytes, reportedMax > 0 ? reportedMax : Utf16NameMax};
}

long utf16Units(const std::string &name)
{
    long units = 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(name.data());
    const std::size_t size = name.size();
    for (std::size_t at = 0; at < size;) {
        const unsigned char lead = bytes[at];
        int follow = 0;
        char32_t point = 0;
        char32_t least = 0; // the smallest code point that needs this many bytes: less is overlong
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            follow = 1, point = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            follow = 2, point = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            follow = 3, point = lead & 0x07, least = 0x10000;
        } else {
            return -1;
        }
        if (size - at <= std::size_t(follow))
            return -1;
        for (int i = 1; i <= follow; ++i) {
            if ((bytes[at + i] & 0xC0) != 0x80)
                return -1;
            point = (point << 6) | (bytes[at + i] & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return -1;
        units += point >= 0x10000 ? 2 : 1; // beyond the first plane: a surrogate pair
        at += std::size_t(follow) + 1;
    }
    return units;
}

int nameLengthError(const std::string &name, const NameLimit &limit)
{
    long length = static_cast<long>(name.size());
    if (limit.units == NameLimit::Units::Utf16) {
        length = utf16Units(name);
        if (length < 0)
            return EINVAL;
    }
    return length <= limit.max ? 0 : ENAMETOOLONG;
}

} // namespace platform
