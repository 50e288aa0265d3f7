#include "exifsegment.h"

#include <cstdint>
#include <stdexcept>

namespace {

enum FieldType : uint16_t { Ascii = 2, Short = 3, Long = 4, Rational = 5, Undefined = 7 };

struct Entry
{
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<unsigned char> value; // already in the file's byte order
};

class TiffBytes
{
public:
    explicit TiffBytes(ByteOrder order) : m_order(order) {}

    std::vector<unsigned char> encode16(uint16_t v) const
    {
        return m_order == ByteOrder::BigEndian ? std::vector<unsigned char>{uint8_t(v >> 8), uint8_t(v)}
                                               : std::vector<unsigned char>{uint8_t(v), uint8_t(v >> 8)};
    }
    std::vector<unsigned char> encode32(uint32_t v) const
    {
        std::vector<unsigned char> high = encode16(uint16_t(v >> 16)), low = encode16(uint16_t(v));
        if (m_order == ByteOrder::BigEndian) {
            high.insert(high.end(), low.begin(), low.end());
            return high;
        }
        low.insert(low.end(), high.begin(), high.end());
        return low;
    }

    Entry ascii(uint16_t tag, const std::string &text) const
    {
        std::vector<unsigned char> value(text.begin(), text.end());
        value.push_back(0);
        return {tag, Ascii, uint32_t(value.size()), value};
    }
    Entry shortValue(uint16_t tag, uint16_t v) const { return {tag, Short, 1, encode16(v)}; }
    Entry longValue(uint16_t tag, uint32_t v) const { return {tag, Long, 1, encode32(v)}; }
    Entry rational(uint16_t tag, uint32_t numerator, uint32_t denominator) const
    {
        std::vector<unsigned char> value = encode32(numerator), low = encode32(denominator);
        value.insert(value.end(), low.begin(), low.end());
        return {tag, Rational, 1, value};
    }
    Entry undefined(uint16_t tag, const std::string &bytes) const
    {
        return {tag, Undefined, uint32_t(bytes.size()), std::vector<unsigned char>(bytes.begin(), bytes.end())};
    }

    /** Bytes a directory takes, its out-of-line values included (each kept at an even offset). */
    static uint32_t directorySize(const std::vector<Entry> &entries)
    {
        uint32_t size = 2 + 12 * uint32_t(entries.size()) + 4;
        for (const Entry &e : entries)
            if (e.value.size() > 4)
                size += uint32_t(e.value.size() + e.value.size() % 2);
        return size;
    }

    /**
     * Appends a directory at `out.size()` (its offset from the TIFF header, as `out` starts there):
     * entry count, 12-byte entries (tag, type, count, value or offset of the value), the offset of
     * the next directory (none: 0), then the values longer than four bytes.
     */
    void appendDirectory(std::vector<unsigned char> &out, const std::vector<Entry> &entries) const
    {
        const uint32_t start = uint32_t(out.size());
        const uint32_t dataOffset = start + 2 + 12 * uint32_t(entries.size()) + 4;
        std::vector<unsigned char> data;
        append(out, encode16(uint16_t(entries.size())));
        for (const Entry &e : entries) {
            append(out, encode16(e.tag));
            append(out, encode16(e.type));
            append(out, encode32(e.count));
            if (e.value.size() <= 4) {
                std::vector<unsigned char> inline4 = e.value;
                inline4.resize(4, 0);
                append(out, inline4);
            } else {
                append(out, encode32(dataOffset + uint32_t(data.size())));
                append(data, e.value);
                if (data.size() % 2)
                    data.push_back(0);
            }
        }
        append(out, encode32(0));
        append(out, data);
    }

    static void append(std::vector<unsigned char> &out, const std::vector<unsigned char> &bytes)
    {
        out.insert(out.end(), bytes.begin(), bytes.end());
    }

private:
    ByteOrder m_order;
};

} // namespace

std::vector<unsigned char> exifSegment(const ExifDetails &details)
{
    if (details.dateTime.size() != 19)
        throw std::invalid_argument("exifSegment: the date must read YYYY:MM:DD HH:MM:SS");
    const TiffBytes tiff(details.byteOrder);

    // Tags in ascending order within each directory, as readers may expect.
    std::vector<Entry> ifd0{
        tiff.ascii(0x010F, details.make),
        tiff.ascii(0x0110, details.model),
        tiff.shortValue(0x0112, 1), // orientation: upright
        tiff.rational(0x011A, 72, 1),
        tiff.rational(0x011B, 72, 1),
        tiff.shortValue(0x0128, 2), // resolution unit: inch
        tiff.ascii(0x0132, details.dateTime),
    };
    const std::vector<Entry> exif{
        tiff.undefined(0x9000, "0231"),
        tiff.ascii(0x9003, details.dateTime),
        tiff.ascii(0x9004, details.dateTime),
        tiff.shortValue(0xA001, 1), // colour space: sRGB
        tiff.longValue(0xA002, uint32_t(details.width)),
        tiff.longValue(0xA003, uint32_t(details.height)),
    };
    // IFD0 follows the 8-byte header; the EXIF directory follows IFD0 and its values.
    constexpr uint32_t ifd0Offset = 8;
    ifd0.push_back(tiff.longValue(0x8769, 0));
    const uint32_t exifOffset = ifd0Offset + TiffBytes::directorySize(ifd0);
    ifd0.back() = tiff.longValue(0x8769, exifOffset);

    // TIFF header: 2 bytes "II" or "MM", 2 bytes 42, 4 bytes offset of IFD0; offsets count from its first byte.
    std::vector<unsigned char> tiffData;
    const char *mark = details.byteOrder == ByteOrder::BigEndian ? "MM" : "II";
    tiffData.push_back(uint8_t(mark[0]));
    tiffData.push_back(uint8_t(mark[1]));
    TiffBytes::append(tiffData, tiff.encode16(42));
    TiffBytes::append(tiffData, tiff.encode32(ifd0Offset));
    tiff.appendDirectory(tiffData, ifd0);
    if (tiffData.size() != exifOffset)
        throw std::logic_error("exifSegment: directory size miscounted");
    tiff.appendDirectory(tiffData, exif);

    std::vector<unsigned char> segment{'E', 'x', 'i', 'f', 0, 0};
    TiffBytes::append(segment, tiffData);
    return segment;
}
