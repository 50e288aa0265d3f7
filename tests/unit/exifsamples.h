#pragma once

// Small JPEG heads built byte by byte, each named after what is special or wrong in it and
// paired with what reading its capture date must give. The unit tests read them; the fuzz
// target takes them as its seed corpus.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace exifsamples {

using Bytes = std::vector<unsigned char>;

enum class Order { Big, Little };

inline void put16(Bytes &out, std::uint16_t value, Order order)
{
    const unsigned char hi = static_cast<unsigned char>(value >> 8), lo = static_cast<unsigned char>(value);
    if (order == Order::Big)
        out.insert(out.end(), {hi, lo});
    else
        out.insert(out.end(), {lo, hi});
}

inline void put32(Bytes &out, std::uint32_t value, Order order)
{
    if (order == Order::Big) {
        put16(out, static_cast<std::uint16_t>(value >> 16), order);
        put16(out, static_cast<std::uint16_t>(value), order);
    } else {
        put16(out, static_cast<std::uint16_t>(value), order);
        put16(out, static_cast<std::uint16_t>(value >> 16), order);
    }
}

inline void putText(Bytes &out, const std::string &text) { out.insert(out.end(), text.begin(), text.end()); }

/** What a camera writes, with a knob for each thing that can differ or go wrong. */
struct ExifLayout
{
    Order order = Order::Big;
    std::string byteOrderMark;               // empty: "MM" or "II" as order says
    bool jfif = false;                       // a JFIF segment of 16 bytes first, APP1 at offset 20
    std::string identifier = std::string("Exif\0\0", 6);
    std::uint32_t ifd0Offset = 8;               // where IFD0 lies, from T
    std::optional<std::uint32_t> ifd0OffsetField; // else ifd0Offset
    std::vector<std::uint16_t> ifd0Tags {0x8769}; // 8769 points to the EXIF directory
    std::vector<std::uint16_t> exifTags {0x9003}; // 9003 points to the date text
    std::optional<std::uint32_t> exifOffset;     // else where the EXIF directory lands
    std::optional<std::uint32_t> dateOffset;     // else where the date text lands
    std::string dateText = std::string("2014:07:21 09:15:02\0", 20);
};

inline void putDirectory(Bytes &out, const std::vector<std::uint16_t> &tags, std::uint32_t pointer, Order order)
{
    put16(out, static_cast<std::uint16_t>(tags.size()), order);
    for (const std::uint16_t tag : tags) {
        put16(out, tag, order);
        if (tag == 0x8769) { // LONG, 1 value
            put16(out, 4, order);
            put32(out, 1, order);
            put32(out, pointer, order);
        } else if (tag == 0x9003) { // ASCII, 20 characters
            put16(out, 2, order);
            put32(out, 20, order);
            put32(out, pointer, order);
        } else if (tag == 0x0000) {
            out.insert(out.end(), 10, 0);
        } else { // SHORT, 1 value, held in the entry
            put16(out, 3, order);
            put32(out, 1, order);
            put16(out, 1, order);
            put16(out, 0, order);
        }
    }
    put32(out, 0, order); // no next directory
}

inline Bytes build(const ExifLayout &layout)
{
    const Order order = layout.order;
    Bytes out {0xFF, 0xD8};
    if (layout.jfif) {
        out.insert(out.end(), {0xFF, 0xE0, 0x00, 0x10});
        putText(out, std::string("JFIF\0", 5));
        out.insert(out.end(), {0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00});
    }
    const std::size_t app1 = out.size();
    out.insert(out.end(), {0xFF, 0xE1, 0x00, 0x00}); // length filled in below
    putText(out, layout.identifier);
    const std::size_t tiff = out.size();
    putText(out, layout.byteOrderMark.empty() ? (order == Order::Big ? "MM" : "II") : layout.byteOrderMark);
    put16(out, 42, order);
    put32(out, layout.ifd0OffsetField.value_or(layout.ifd0Offset), order);
    out.resize(tiff + layout.ifd0Offset, 0xEE); // whatever lies between the header and IFD0

    const auto fromTiff = [&](std::size_t directoryBytes) {
        return static_cast<std::uint32_t>(out.size() + directoryBytes - tiff);
    };
    const std::size_t ifd0Bytes = 2 + 12 * layout.ifd0Tags.size() + 4;
    const std::size_t exifBytes = 2 + 12 * layout.exifTags.size() + 4;
    putDirectory(out, layout.ifd0Tags, layout.exifOffset.value_or(fromTiff(ifd0Bytes)), order);
    putDirectory(out, layout.exifTags, layout.dateOffset.value_or(fromTiff(exifBytes)), order);
    putText(out, layout.dateText);

    const std::size_t length = out.size() - app1 - 2;
    out[app1 + 2] = static_cast<unsigned char>(length >> 8);
    out[app1 + 3] = static_cast<unsigned char>(length);
    return out;
}

/** The same bytes, cut off after `size` of them. */
inline Bytes cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

/** Where the parts of a file built from the default layout lie (APP1 at 2, so T = 12). */
namespace at {
inline constexpr std::size_t Tiff = 12;
inline constexpr std::size_t Ifd0Offset = Tiff + 4;
inline constexpr std::size_t Ifd0Count = Tiff + 8;
inline constexpr std::size_t ExifPointerValue = Ifd0Count + 2 + 8;
inline constexpr std::size_t ExifCount = Tiff + 26;
inline constexpr std::size_t DateOffsetValue = ExifCount + 2 + 8;
inline constexpr std::size_t Date = Tiff + 44;
} // namespace at

enum class Outcome { Stamp, FileTime, Refused, ConvertError, InOutError };

struct Sample
{
    std::string name;
    Bytes bytes;
    Outcome outcome;
    std::string expected; // the stamp, or the failure's message
};

inline ExifLayout with(void (*change)(ExifLayout &))
{
    ExifLayout layout;
    change(layout);
    return layout;
}

inline const std::string Dollar = "'$' is not a valid integer value";
inline const std::string Stamp = "2014-07-21 09-15-02";

inline std::vector<Sample> samples()
{
    using O = Outcome;
    // Written out as the bytes a camera stores, so the builder is checked against them too.
    const Bytes bigEndian {
        0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x48, 'E',  'x',  'i',  'f',  0x00, 0x00, // T = 12
        0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,                         // MM, 42, IFD0 at T + 8
        0x00, 0x01,                                                             // one entry
        0x87, 0x69, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1A, // EXIF directory at T + 26
        0x00, 0x00, 0x00, 0x00,                                                 // no next directory
        0x00, 0x01,                                                             // one entry
        0x90, 0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x2C, // date at T + 44
        0x00, 0x00, 0x00, 0x00,                                                 //
        '2',  '0',  '1',  '4',  ':',  '0',  '7',  ':',  '2',  '1',  ' ',  '0',  '9',  ':',  '1',  '5',
        ':',  '0',  '2',  0x00};
    const Bytes littleEndian {
        0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x48, 'E',  'x',  'i',  'f',  0x00, 0x00, //
        0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,                         // II, 42, IFD0 at T + 8
        0x01, 0x00,                                                             //
        0x69, 0x87, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00, //
        0x00, 0x00, 0x00, 0x00,                                                 //
        0x01, 0x00,                                                             //
        0x03, 0x90, 0x02, 0x00, 0x14, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, //
        0x00, 0x00, 0x00, 0x00,                                                 //
        '2',  '0',  '1',  '4',  ':',  '0',  '7',  ':',  '2',  '1',  ' ',  '0',  '9',  ':',  '1',  '5',
        ':',  '0',  '2',  0x00};

    Bytes jfifWithoutExif = cut(build(with([](ExifLayout &l) { l.jfif = true; })), 20);
    jfifWithoutExif.insert(jfifWithoutExif.end(), {0xFF, 0xDB, 0x00, 0x43, 0x00});

    // A JFIF segment that carries a thumbnail is longer than 16 bytes: the EXIF data behind it
    // starts past offset 20, where the reader does not look.
    Bytes longJfif {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x1C, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00,
                    0x00, 0x01, 0x00, 0x01, 0x02, 0x02};
    longJfif.insert(longJfif.end(), 12, 0x80); // 2 x 2 thumbnail pixels
    const Bytes exif = build({});
    longJfif.insert(longJfif.end(), exif.begin() + 2, exif.end());

    Bytes anyStart = exif;
    anyStart[0] = anyStart[1] = 0x00;

    Bytes ffffEntries = cut(build(with([](ExifLayout &l) { l.ifd0Tags = {0x010F, 0x8769}; })), at::Ifd0Count + 4);
    ffffEntries[at::Ifd0Count] = ffffEntries[at::Ifd0Count + 1] = 0xFF;

    return {
        {"exif-big-endian", bigEndian, O::Stamp, Stamp},
        {"exif-little-endian", littleEndian, O::Stamp, Stamp},
        {"jfif-then-exif-at-20", build(with([](ExifLayout &l) { l.jfif = true; })), O::Stamp, Stamp},
        {"jfif-without-exif", jfifWithoutExif, O::FileTime, {}},
        {"jfif-with-thumbnail-hides-exif", longJfif, O::FileTime, {}},
        {"quantisation-table-first", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x08}, O::Refused, {}},
        {"png-named-jpg",
         {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R'},
         O::Refused, {}},
        {"empty", {}, O::Refused, {}},
        {"marker-cut-short", {0xFF, 0xD8, 0xFF}, O::Refused, {}},
        {"start-of-image-not-ffd8", anyStart, O::Stamp, Stamp},
        {"app1-not-named-exif",
         build(with([](ExifLayout &l) { l.identifier = std::string("Exiv\0\0", 6); })), O::Stamp, Stamp},
        {"byte-order-mark-xx-on-big-endian-data",
         build(with([](ExifLayout &l) { l.byteOrderMark = "XX"; })), O::Stamp, Stamp},
        // Read big-endian, the offset 08 00 00 00 lands far past the end.
        {"byte-order-mark-xx-on-little-endian-data", build(with([](ExifLayout &l) {
             l.order = Order::Little;
             l.byteOrderMark = "XX";
         })),
         O::ConvertError, Dollar},
        {"byte-order-mark-ii-in-lower-case", build(with([](ExifLayout &l) {
             l.order = Order::Little;
             l.byteOrderMark = "ii";
         })),
         O::ConvertError, Dollar},
        {"wanted-tags-in-last-entries", build(with([](ExifLayout &l) {
             l.ifd0Tags = {0x010F, 0x0110, 0x0112, 0x8769};
             l.exifTags = {0x829A, 0x829D, 0x9000, 0x9003};
         })),
         O::Stamp, Stamp},
        {"wanted-tags-in-last-entries-little-endian", build(with([](ExifLayout &l) {
             l.order = Order::Little;
             l.ifd0Tags = {0x010F, 0x0110, 0x0112, 0x8769};
             l.exifTags = {0x829A, 0x829D, 0x9000, 0x9003};
         })),
         O::Stamp, Stamp},
        {"zero-tag-before-8769", build(with([](ExifLayout &l) { l.ifd0Tags = {0x010F, 0x0000, 0x8769}; })),
         O::FileTime, {}},
        {"zero-tag-before-9003", build(with([](ExifLayout &l) { l.exifTags = {0x829A, 0x0000, 0x9003}; })),
         O::FileTime, {}},
        {"zero-tag-after-9003", build(with([](ExifLayout &l) { l.exifTags = {0x9003, 0x0000}; })), O::Stamp,
         Stamp},
        {"no-8769-in-ifd0", build(with([](ExifLayout &l) { l.ifd0Tags = {0x010F, 0x0110}; })), O::FileTime, {}},
        {"no-9003-in-exif-directory", build(with([](ExifLayout &l) { l.exifTags = {0x829A}; })), O::FileTime,
         {}},
        {"ifd0-without-entries", build(with([](ExifLayout &l) { l.ifd0Tags = {}; })), O::FileTime, {}},
        {"ifd0-entries-cut-short",
         cut(build(with([](ExifLayout &l) { l.ifd0Tags = {0x010F, 0x0110, 0x8769}; })), at::Ifd0Count + 2 + 12 + 1),
         O::FileTime, {}},
        {"ifd0-count-ffff-cut-short", ffffEntries, O::FileTime, {}},
        {"ifd0-offset-16", build(with([](ExifLayout &l) { l.ifd0Offset = 16; })), O::Stamp, Stamp},
        {"ifd0-offset-16-little-endian", build(with([](ExifLayout &l) {
             l.order = Order::Little;
             l.ifd0Offset = 16;
         })),
         O::Stamp, Stamp},
        // A 9 among the offset's hex digits, which a slip in the digit conversion would misread.
        {"ifd0-offset-19", build(with([](ExifLayout &l) { l.ifd0Offset = 0x19; })), O::Stamp, Stamp},
        {"ifd0-offset-80000000-before-start", build(with([](ExifLayout &l) { l.ifd0OffsetField = 0x80000000; })),
         O::InOutError, "I/O error 22"},
        {"exif-offset-ffffff00-before-start", build(with([](ExifLayout &l) { l.exifOffset = 0xFFFFFF00; })),
         O::InOutError, "I/O error 22"},
        {"date-offset-fffffff0-before-start", build(with([](ExifLayout &l) { l.dateOffset = 0xFFFFFFF0; })),
         O::InOutError, "I/O error 22"},
        {"ifd0-offset-7fffffff-past-end", build(with([](ExifLayout &l) { l.ifd0OffsetField = 0x7FFFFFFF; })),
         O::ConvertError, Dollar},
        {"cut-before-ifd0-offset", cut(exif, at::Ifd0Offset), O::ConvertError, Dollar},
        {"cut-before-ifd0-count", cut(exif, at::Ifd0Count), O::ConvertError, Dollar},
        {"cut-before-exif-offset", cut(exif, at::ExifPointerValue), O::ConvertError, Dollar},
        {"cut-before-exif-count", cut(exif, at::ExifCount), O::ConvertError, Dollar},
        {"cut-before-date-offset", cut(exif, at::DateOffsetValue), O::ConvertError, Dollar},
        {"date-cut-short", cut(exif, at::Date + 13), O::Stamp, "2014-07-21 09-  -  "},
        {"date-cut-off", cut(exif, at::Date), O::Stamp, "    -  -     -  -  "},
        {"date-blanks", build(with([](ExifLayout &l) { l.dateText = std::string(19, ' ') + '\0'; })), O::Stamp,
         "    -  -     -  -  "},
        {"date-slashes-and-dots", build(with([](ExifLayout &l) { l.dateText = "2014/07/21 09.15.02"; })),
         O::Stamp, Stamp},
        {"date-slash-inside-a-number", build(with([](ExifLayout &l) { l.dateText = "2014:07:2/ 09:15:02"; })),
         O::Stamp, "2014-07-2- 09-15-02"},
        {"date-nul-padded", build(with([](ExifLayout &l) { l.dateText = std::string("2014:07:21", 10) + std::string(10, '\0'); })),
         O::Stamp, "2014-07-21   -  -  "},
        {"date-control-characters", build(with([](ExifLayout &l) { l.dateText = "2014:07:21\t09:15:0\x7F"; })),
         O::Stamp, "2014-07-21 09-15-0 "},
    };
}

} // namespace exifsamples
