// The capture-date reader against EXIF data that libexif writes: whatever the byte order, the
// place of the segment and the directories around the date, the reader gives libexif's own
// reading of DateTimeOriginal.

#include "capture/filedate.h"
#include "temporaryfolder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <memory>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;
using Exif = std::unique_ptr<ExifData, decltype(&exif_data_unref)>;

/** The directories around the date; libexif sorts each directory by tag when it saves. */
struct Layout
{
    const char *name;
    std::vector<ExifTag> ifd0;  // besides the pointer (8769) that libexif adds
    std::vector<ExifTag> exif;  // besides DateTimeOriginal (9003)
    bool gpsAndThumbnailDirectory = false; // a GPS pointer after 8769, and IFD1 after IFD0
    bool fixedBySpecification = false;     // exif_data_fix adds what the standard requires
};

const Layout layouts[] = {
    {"DateAlone", {}, {}},
    {"DateFirst", {}, {EXIF_TAG_DATE_TIME_DIGITIZED, EXIF_TAG_COLOR_SPACE, EXIF_TAG_PIXEL_X_DIMENSION,
                       EXIF_TAG_PIXEL_Y_DIMENSION, EXIF_TAG_EXPOSURE_MODE, EXIF_TAG_WHITE_BALANCE}},
    {"DateLast", {}, {EXIF_TAG_EXPOSURE_TIME, EXIF_TAG_FNUMBER, EXIF_TAG_EXPOSURE_PROGRAM,
                      EXIF_TAG_ISO_SPEED_RATINGS, EXIF_TAG_EXIF_VERSION}},
    {"DateAfterManyEntries",
     {},
     {EXIF_TAG_CFA_REPEAT_PATTERN_DIM, EXIF_TAG_BATTERY_LEVEL, EXIF_TAG_EXPOSURE_TIME, EXIF_TAG_FNUMBER,
      EXIF_TAG_EXPOSURE_PROGRAM, EXIF_TAG_SPECTRAL_SENSITIVITY, EXIF_TAG_ISO_SPEED_RATINGS, EXIF_TAG_OECF,
      EXIF_TAG_TIME_ZONE_OFFSET, EXIF_TAG_SENSITIVITY_TYPE, EXIF_TAG_STANDARD_OUTPUT_SENSITIVITY,
      EXIF_TAG_RECOMMENDED_EXPOSURE_INDEX, EXIF_TAG_ISO_SPEED, EXIF_TAG_EXIF_VERSION, EXIF_TAG_DATE_TIME_DIGITIZED,
      EXIF_TAG_COMPONENTS_CONFIGURATION, EXIF_TAG_SHUTTER_SPEED_VALUE, EXIF_TAG_APERTURE_VALUE, EXIF_TAG_FLASH,
      EXIF_TAG_FOCAL_LENGTH, EXIF_TAG_FLASH_PIX_VERSION, EXIF_TAG_COLOR_SPACE, EXIF_TAG_PIXEL_X_DIMENSION,
      EXIF_TAG_PIXEL_Y_DIMENSION, EXIF_TAG_WHITE_BALANCE, EXIF_TAG_SCENE_CAPTURE_TYPE}},
    {"CameraIfd0",
     {EXIF_TAG_IMAGE_DESCRIPTION, EXIF_TAG_MAKE, EXIF_TAG_MODEL, EXIF_TAG_ORIENTATION, EXIF_TAG_X_RESOLUTION,
      EXIF_TAG_Y_RESOLUTION, EXIF_TAG_RESOLUTION_UNIT, EXIF_TAG_SOFTWARE, EXIF_TAG_DATE_TIME, EXIF_TAG_ARTIST,
      EXIF_TAG_YCBCR_POSITIONING, EXIF_TAG_COPYRIGHT},
     {EXIF_TAG_EXPOSURE_TIME, EXIF_TAG_DATE_TIME_DIGITIZED},
     true},
    {"FixedBySpecification", {}, {}, false, true},
};

// A spread of dates, the ends of what the program's stamps meet and a camera whose clock was never set.
const char *const captureDates[] = {
    "2014:07:21 09:15:02", "1980:01:01 00:00:00", "1999:12:31 23:59:59", "2000:02:29 12:00:01",
    "2038:01:19 03:14:08", "2107:12:31 23:59:58", "    :  :     :  :  ",
};

/** A new entry with libexif's default value for its tag, or a SHORT 1 where libexif has none. */
ExifEntry *addEntry(ExifData *data, ExifIfd ifd, ExifTag tag)
{
    ExifEntry *entry = exif_entry_new();
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_unref(entry);
    exif_entry_initialize(entry, tag);
    if (!entry->data) {
        entry->data = static_cast<unsigned char *>(std::calloc(2, 1));
        entry->format = EXIF_FORMAT_SHORT;
        entry->components = 1;
        entry->size = 2;
        exif_set_short(entry->data, exif_data_get_byte_order(data), 1);
    }
    return entry;
}

Bytes exifData(const Layout &layout, ExifByteOrder order, const std::string &date)
{
    const Exif data(exif_data_new(), &exif_data_unref);
    exif_data_set_byte_order(data.get(), order);
    for (ExifTag tag : layout.ifd0)
        addEntry(data.get(), EXIF_IFD_0, tag);
    for (ExifTag tag : layout.exif)
        addEntry(data.get(), EXIF_IFD_EXIF, tag);
    ExifEntry *original = addEntry(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    if (layout.gpsAndThumbnailDirectory) {
        addEntry(data.get(), EXIF_IFD_GPS, static_cast<ExifTag>(EXIF_TAG_GPS_VERSION_ID));
        for (ExifTag tag : {EXIF_TAG_X_RESOLUTION, EXIF_TAG_Y_RESOLUTION, EXIF_TAG_RESOLUTION_UNIT})
            addEntry(data.get(), EXIF_IFD_1, tag);
    }
    if (layout.fixedBySpecification)
        exif_data_fix(data.get());
    // libexif's date entry: 20 ASCII bytes, the text and a zero.
    EXPECT_EQ(original->size, 20u);
    std::memcpy(original->data, date.c_str(), 20);

    unsigned char *bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &bytes, &size);
    Bytes saved(bytes, bytes + size);
    std::free(bytes);
    return saved;
}

/** A JPEG head: the start of the image, a 16-byte JFIF segment when asked, the EXIF segment, the end. */
Bytes photograph(const Bytes &exif, bool jfifFirst)
{
    Bytes out{0xFF, 0xD8};
    if (jfifFirst)
        out.insert(out.end(), {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
                               0x00, 0x01, 0x00, 0x00});
    const std::size_t length = exif.size() + 2;
    out.insert(out.end(), {0xFF, 0xE1, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
    out.insert(out.end(), exif.begin(), exif.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

/** DateTimeOriginal as libexif reads it from the file. */
std::string libexifDate(const std::string &path)
{
    const Exif data(exif_data_new_from_file(path.c_str()), &exif_data_unref);
    ExifEntry *entry = data ? exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL) : nullptr;
    char value[64] = {};
    return entry ? exif_entry_get_value(entry, value, sizeof value) : "";
}

class NoRefusal : public RefusalNotice
{
public:
    void refused(const std::string &message) override { ADD_FAILURE() << "refused: " << message; }
};

using Case = std::tuple<Layout, ExifByteOrder, bool>;

class LibexifPhotograph : public testing::TestWithParam<Case>
{
protected:
    TemporaryFolder m_temporary{"tst_exifcrosscheck"};
    const fs::path m_folder = m_temporary.path();
};

TEST_P(LibexifPhotograph, GivesLibexifsReadingOfTheCaptureDate)
{
    const auto &[layout, order, jfifFirst] = GetParam();
    for (const std::string date : captureDates) {
        SCOPED_TRACE(date);
        const std::string path = (m_folder / "photo.jpg").string();
        const Bytes bytes = photograph(exifData(layout, order, date), jfifFirst);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        // The reader looks at two places only: the segment must be where this case puts it.
        ASSERT_EQ(bytes[jfifFirst ? 20 : 2], 0xFF);
        ASSERT_EQ(bytes[jfifFirst ? 21 : 3], 0xE1);

        std::string expected = libexifDate(path);
        ASSERT_EQ(expected, date) << "libexif reads back what it wrote";
        for (std::size_t separator : {4, 7, 13, 16})
            expected[separator] = '-';
        NoRefusal notice;
        std::string stamp = "untouched";
        ASSERT_TRUE(ReadCaptureDate(path, stamp, notice));
        EXPECT_EQ(stamp, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LayoutsByteOrdersAndPlaces, LibexifPhotograph,
    testing::Combine(testing::ValuesIn(layouts), testing::Values(EXIF_BYTE_ORDER_MOTOROLA, EXIF_BYTE_ORDER_INTEL),
                     testing::Bool()),
    [](const testing::TestParamInfo<Case> &info) {
        return std::string(std::get<0>(info.param).name)
               + (std::get<1>(info.param) == EXIF_BYTE_ORDER_MOTOROLA ? "_BigEndian" : "_LittleEndian")
               + (std::get<2>(info.param) ? "_AfterJfif" : "_AfterStartOfImage");
    });

} // namespace
