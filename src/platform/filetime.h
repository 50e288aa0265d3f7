#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace platform {

class Folder;

/** A local date and time in the range the DOS date-and-time form holds: years 1980..2107, even seconds. */
struct DosDateTime
{
    int year;   // 1980..2107
    int month;  // 1..12
    int day;    // 1..31
    int hour;   // 0..23
    int minute; // 0..59
    int second; // 0..58, always even
};

/**
 * A moment (seconds since the epoch) in local time, with the offset in force at that
 * moment, taken down to an even second. Nothing when the local year falls outside 1980..2107.
 */
std::optional<DosDateTime> dosLocalTime(std::time_t moment);

/**
 * The last-write time of the entry `name` of a held folder, as dosLocalTime gives it.
 * Nothing when the name is empty, names no file, names a folder, or the time does not fit.
 */
std::optional<DosDateTime> lastWriteTime(const Folder &folder, const std::string &name);

} // namespace platform
