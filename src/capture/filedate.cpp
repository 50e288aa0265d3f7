#include "capture/filedate.h"

#include "capture/filedate_p.h"
#include "capture/headblock.h"
#include "platform/errors.h"
#include "platform/filetime.h"
#include "platform/folder.h"
#include "platform/readonlyfile.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace filedate_detail {

std::string BytesToHex(const unsigned char *buffer, std::size_t delivered, ByteOrder order)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string hex(2 * delivered, '0');
    for (std::size_t i = 0; i < delivered; ++i) {
        const unsigned char byte = order == ByteOrder::BigEndian ? buffer[i] : buffer[delivered - 1 - i];
        hex[2 * i] = digits[byte >> 4];
        hex[2 * i + 1] = digits[byte & 0x0F];
    }
    return hex;
}

std::int32_t hexNumber(const std::string &hex)
{
    // The text comes from BytesToHex of at most 4 bytes: only hex digits, at most eight.
    if (hex.empty())
        throw EConvertError::notAnInteger("$");
    std::uint32_t value = 0;
    for (const char c : hex)
        value = value << 4 | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    return static_cast<std::int32_t>(value);
}

namespace {

std::string formatFileTime(const std::optional<platform::DosDateTime> &time)
{
    if (!time)
        throw EConvertError(InvalidDateEncode);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", time->year, time->month, time->day,
                  time->hour, time->minute, time->second);
    return text;
}

} // namespace

std::string FileTimeStamp(const platform::Folder &folder, const std::string &name)
{
    return formatFileTime(platform::lastWriteTime(folder, name));
}

} // namespace filedate_detail

namespace {

using filedate_detail::ByteOrder;

constexpr std::size_t DateTextLength = 19;
constexpr std::int64_t EntrySize = 12;

// Where the file is: a name inside a held folder.
struct FileAt
{
    const platform::Folder &folder;
    const std::string &name;
};

// One reading of one file: the open file, its head block and the byte order its TIFF header chose.
class Reading
{
public:
    Reading(const FileAt &file, std::size_t blockSize) : m_file(file.folder, file.name), m_head(m_file, blockSize) {}

    void setByteOrder(ByteOrder order) { m_order = order; }

    // count is 2 or 4
    std::string hexAt(std::int64_t position, std::size_t count)
    {
        unsigned char buffer[4];
        const std::size_t delivered = m_head.readAt(position, buffer, count);
        return filedate_detail::BytesToHex(buffer, delivered, m_order);
    }

    std::int32_t numberAt(std::int64_t position, std::size_t count)
    {
        return filedate_detail::hexNumber(hexAt(position, count));
    }

    /**
     * Image directory: a 2-byte entry count N, then N entries of 12 bytes each:
     *   0  2  tag
     *   2  2  field type            (not examined)
     *   4  4  value count           (not examined)
     *   8  4  value, or offset from the TIFF base of the value
     * Gives the start of the entry carrying `wanted`, or nothing when the directory sends
     * the reading to the file time: a zero tag before it, or no entry carries it.
     */
    std::optional<std::int64_t> findEntry(std::int64_t directory, const char *wanted)
    {
        const std::int32_t count = numberAt(directory, 2);
        std::int64_t entry = directory + 2;
        for (std::int32_t i = 0; i < count; ++i, entry += EntrySize) {
            const std::string tag = hexAt(entry, 2);
            if (tag == "0000")
                return std::nullopt;
            if (tag == wanted)
                return entry;
            // A tag cut short by the end of the file: every later entry lies past the end
            // too and matches nothing, so the walk would run out all the same.
            if (tag.size() < 4)
                return std::nullopt;
        }
        return std::nullopt;
    }

    /**
     * The 19 characters of the capture date, stored "YYYY:MM:DD HH:MM:SS". The characters
     * between the numbers become "-" whatever they hold; the rest stand as the camera wrote
     * them, except what could not stand in a file name: "/" becomes "-", a control character
     * or a character cut off by the end of the file a blank.
     */
    std::string dateStampAt(std::int64_t position)
    {
        char text[DateTextLength];
        const std::size_t delivered = m_head.readAt(position, text, DateTextLength);
        std::string stamp(DateTextLength, ' ');
        for (std::size_t i = 0; i < delivered; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            stamp[i] = c == '/' ? '-' : c < 0x20 || c == 0x7F ? ' ' : text[i];
        }
        for (const std::size_t separator : {4u, 7u, 13u, 16u})
            stamp[separator] = '-';
        return stamp;
    }

    void close() { m_file.close(); }

private:
    platform::ReadOnlyFile m_file;
    filedate_detail::HeadBlock m_head;
    ByteOrder m_order = ByteOrder::BigEndian; // afresh for every file
};


/*
 * JPEG head, as the reader looks at it:
 *   0  2  start-of-image marker      read, not examined
 *   2  2  first segment marker       FF E1 (APP1): EXIF data here; FF E0 (APP0, JFIF): look at 20;
 *                                    anything else: not a JPEG file the reader takes
 *  20  2  after FF E0 only           the marker behind an APP0 segment of the usual 16 bytes
 * APP1 segment with its marker at m (2 or 20):
 *   m       2  FF E1
 *   m + 2   2  segment length        not examined
 *   m + 4   6  "Exif" 00 00          not examined: any APP1 segment is read as EXIF data
 *   m + 10  8  TIFF header; its first byte is the base T of every EXIF offset
 * TIFF header, from T:
 *   0  2  byte-order mark            "II" little-endian, "MM" or anything else big-endian
 *   2  2  42                         not examined
 *   4  4  offset from T of the first image directory (IFD0)
 * IFD0 entry 8769 points to the EXIF directory; its entry 9003 points to the capture date.
 */
bool readCaptureDateAt(const FileAt &file, std::string &stamp, RefusalNotice &notice, std::size_t blockSize)
{
    Reading reading(file, blockSize);
    const auto fileTime = [&] {
        reading.close();
        stamp = filedate_detail::FileTimeStamp(file.folder, file.name);
        return true;
    };

    reading.hexAt(0, 2);
    std::int64_t app1 = 2;
    const std::string marker = reading.hexAt(app1, 2);
    if (marker == "FFE0") {
        app1 = 20;
        if (reading.hexAt(app1, 2) != "FFE1")
            return fileTime();
    } else if (marker != "FFE1") {
        // Closed before the message box waits for the user.
        reading.close();
        notice.refused(filedate_detail::NotValidJpeg);
        return false;
    }

    // Positions are sums of a base and a signed 32-bit offset: 64 bits hold them all, and
    // one before the start of the file fails as a positioning failure in the read.
    const std::int64_t tiff = app1 + 10;
    if (reading.hexAt(tiff, 2) == "4949")
        reading.setByteOrder(ByteOrder::LittleEndian);
    const std::int32_t ifd0 = reading.numberAt(tiff + 4, 4);

    const std::optional<std::int64_t> exifPointer = reading.findEntry(tiff + ifd0, "8769");
    if (!exifPointer)
        return fileTime();
    const std::int32_t exifDirectory = reading.numberAt(*exifPointer + 8, 4);

    const std::optional<std::int64_t> dateEntry = reading.findEntry(tiff + exifDirectory, "9003");
    if (!dateEntry)
        return fileTime();
    const std::int32_t dateOffset = reading.numberAt(*dateEntry + 8, 4);

    std::string date = reading.dateStampAt(tiff + dateOffset);
    reading.close();
    stamp = std::move(date);
    return true;
}

} // namespace

bool ReadCaptureDate(const platform::Folder &folder, const std::string &name, std::string &stamp,
                     RefusalNotice &notice)
{
    return readCaptureDateAt(FileAt{folder, name}, stamp, notice, filedate_detail::HeadBlock::Capacity);
}

bool ReadCaptureDate(const std::string &path, std::string &stamp, RefusalNotice &notice)
{
    const auto [folder, name] = platform::splitPath(path);
    return ReadCaptureDate(platform::Folder(folder, platform::Folder::Access::ByPath), name, stamp, notice);
}

namespace filedate_detail {

bool readCaptureDate(const platform::Folder &folder, const std::string &name, std::string &stamp,
                     RefusalNotice &notice, std::size_t blockSize)
{
    return readCaptureDateAt(FileAt{folder, name}, stamp, notice, blockSize);
}

} // namespace filedate_detail
