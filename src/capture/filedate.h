#pragma once

#include <string>

namespace platform {
class Folder;
}

/** Told when a file is refused; the window shows the plain message box. */
class RefusalNotice
{
public:
    virtual ~RefusalNotice() = default;
    virtual void refused(const std::string &message) = 0; // message is "Not a valid JPEG image"
};

/**
 * Gives the JPEG file `name` of a held folder its date stamp "YYYY-MM-DD HH-MM-SS": the EXIF
 * capture date (DateTimeOriginal) when the file carries EXIF data in an APP1 segment at
 * offset 2, or at offset 20 after a JFIF segment of the usual length; else the file's
 * last-write time in local time, down to an even second. The file is opened and tested by
 * the folder's descriptor; failures name the whole path.
 *
 * Returns false when the file is refused because its first segment is neither APP0 nor
 * APP1: notice is told once, after the file is closed, and stamp is left as it was. Returns
 * true whenever stamp was set.
 *
 * Raises EInOutError when the file cannot be opened, read, positioned or closed;
 * EConvertError "'$' is not a valid integer value" when an offset or count lies past the
 * end of the file; EConvertError "Invalid argument to date encode" when the file time falls
 * outside 1980..2107 or cannot be had. The stamp is unchanged and the file closed then.
 *
 * The stamp is always safe inside a file name: it never holds "/" or control characters.
 *
 * The file's head is read in one block and walked in memory; a piece beyond the block is
 * read on its own. One reading keeps no state beyond its call, so readings of different
 * files may run on different threads at once.
 */
bool ReadCaptureDate(const platform::Folder &folder, const std::string &name, std::string &stamp,
                     RefusalNotice &notice);

/** The same for a whole path, opened by that path: for the benchmarks and the fuzz target. */
bool ReadCaptureDate(const std::string &path, std::string &stamp, RefusalNotice &notice);
