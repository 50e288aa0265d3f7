#include "exifsegment.h"

#include <cstdlib>
#include <cstring>
#include <libexif/exif-data.h>
#include <memory>
#include <stdexcept>

namespace {

using Exif = std::unique_ptr<ExifData, decltype(&exif_data_unref)>;

/** A new entry of a directory, with libexif's default value for its tag in the data's byte order. */
ExifEntry *addEntry(ExifData *data, ExifIfd ifd, ExifTag tag)
{
    ExifEntry *entry = exif_entry_new();
    exif_content_add_entry(data->ifd[ifd], entry); // the directory holds it from here on
    exif_entry_unref(entry);
    exif_entry_initialize(entry, tag);
    return entry;
}

void addText(ExifData *data, ExifIfd ifd, ExifTag tag, const std::string &text)
{
    ExifEntry *entry = addEntry(data, ifd, tag);
    // libexif frees entry data with the default allocator, which is the C library's.
    std::free(entry->data);
    entry->data = static_cast<unsigned char *>(std::calloc(text.size() + 1, 1));
    std::memcpy(entry->data, text.data(), text.size());
    entry->format = EXIF_FORMAT_ASCII;
    entry->components = entry->size = unsigned(text.size() + 1);
}

/** A number in the entry's own format, SHORT or LONG as libexif gives the tag. */
void addNumber(ExifData *data, ExifIfd ifd, ExifTag tag, unsigned value)
{
    ExifEntry *entry = addEntry(data, ifd, tag);
    if (entry->format == EXIF_FORMAT_SHORT)
        exif_set_short(entry->data, exif_data_get_byte_order(data), ExifShort(value));
    else
        exif_set_long(entry->data, exif_data_get_byte_order(data), ExifLong(value));
}

} // namespace

std::vector<unsigned char> exifSegment(const ExifDetails &details)
{
    if (details.dateTime.size() != 19)
        throw std::invalid_argument("exifSegment: the date must read YYYY:MM:DD HH:MM:SS");
    const Exif data(exif_data_new(), &exif_data_unref);
    if (!data)
        throw std::bad_alloc();
    exif_data_set_byte_order(data.get(), details.byteOrder == ByteOrder::BigEndian ? EXIF_BYTE_ORDER_MOTOROLA
                                                                                   : EXIF_BYTE_ORDER_INTEL);
    addText(data.get(), EXIF_IFD_0, EXIF_TAG_MAKE, details.make);
    addText(data.get(), EXIF_IFD_0, EXIF_TAG_MODEL, details.model);
    for (ExifTag tag : {EXIF_TAG_ORIENTATION, EXIF_TAG_X_RESOLUTION, EXIF_TAG_Y_RESOLUTION, EXIF_TAG_RESOLUTION_UNIT})
        addEntry(data.get(), EXIF_IFD_0, tag); // upright, 72 dots per inch
    addText(data.get(), EXIF_IFD_0, EXIF_TAG_DATE_TIME, details.dateTime);
    addEntry(data.get(), EXIF_IFD_EXIF, EXIF_TAG_EXIF_VERSION);
    addText(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, details.dateTime);
    addText(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED, details.dateTime);
    addNumber(data.get(), EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE, 1); // sRGB
    addNumber(data.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, unsigned(details.width));
    addNumber(data.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, unsigned(details.height));

    // "Exif", two zero bytes, the TIFF header, IFD0 with its pointer (8769) to the EXIF directory.
    unsigned char *bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &bytes, &size);
    if (!bytes || size == 0)
        throw std::runtime_error("exifSegment: libexif wrote no data");
    std::vector<unsigned char> segment(bytes, bytes + size);
    std::free(bytes);
    return segment;
}
