#include "platform/filetime.h"

#include "platform/folder.h"

#include <sys/stat.h>

namespace platform {

std::optional<DosDateTime> dosLocalTime(std::time_t moment)
{
    // localtime_r applies the offset of the moment itself, so a photo written in winter
    // keeps its winter hour when read in summer.
    std::tm local {};
    if (!::localtime_r(&moment, &local))
        return std::nullopt;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return std::nullopt;
    // A leap second (60) becomes the last even second of its minute.
    const int second = local.tm_sec > 59 ? 58 : local.tm_sec & ~1;
    return DosDateTime {year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, second};
}

namespace {

std::optional<DosDateTime> lastWriteTimeAt(int at, const char *relative)
{
    struct stat st {};
    if (!*relative || ::fstatat(at, relative, &st, 0) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    // st_mtim.tv_sec is the whole second at or before the time, also before 1970: the fraction drops.
    return dosLocalTime(st.st_mtim.tv_sec);
}

} // namespace

std::optional<DosDateTime> lastWriteTime(const Folder &folder, const std::string &name)
{
    return folder.onEntry(name, lastWriteTimeAt);
}

} // namespace platform
