#include "capture/filedate.h"
#include "capture/filedate_p.h"
#include "capture/headblock.h"
#include "exifsamples.h"
#include "platform/errors.h"
#include "platform/folder.h"
#include "platform/readonlyfile.h"
#include "temporaryfolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace exifsamples {
void PrintTo(const Sample &sample, std::ostream *out)
{
    *out << sample.name;
}
} // namespace exifsamples

namespace {

using exifsamples::Outcome;
using filedate_detail::ByteOrder;

void writeFile(const std::string &path, const exifsamples::Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

/** Gives the file the last-write time `moment`; false when its file system cannot hold that time. */
bool setWriteTime(const std::string &path, std::time_t moment, long nanoseconds = 0)
{
    const timespec times[2] = {{moment, nanoseconds}, {moment, nanoseconds}};
    struct stat st {};
    // A card keeps file times in steps of two seconds, the odd second dropped, which the reader drops too.
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 && ::stat(path.c_str(), &st) == 0
        && (st.st_mtim.tv_sec == moment || (moment % 2 != 0 && st.st_mtim.tv_sec == moment - 1));
}

std::tm calendarTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

std::time_t localMoment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm = calendarTime(year, month, day, hour, minute, second);
    return std::mktime(&tm);
}

std::time_t utcMoment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm = calendarTime(year, month, day, hour, minute, second);
    return ::timegm(&tm);
}

/** Puts a time zone in force for one test and gives the old one back after it. */
class TimeZone
{
public:
    explicit TimeZone(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> m_old;
};

// Central European rules written out, so the test needs no time-zone database.
constexpr char CentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";

int openDescriptors()
{
    int count = 0;
    if (DIR *dir = ::opendir("/proc/self/fd")) {
        while (const dirent *entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

class CountingNotice : public RefusalNotice
{
public:
    void refused(const std::string &message) override
    {
        ++count;
        last = message;
        // The window's box waits for the user here: the file must be closed by now.
        descriptorsAtRefusal = openDescriptors();
    }
    int count = 0;
    std::string last;
    int descriptorsAtRefusal = -1;
};

// The file-time stamp of the file at path, by its folder.
std::string fileTimeStampOf(const std::string &path)
{
    const auto [folder, name] = platform::splitPath(path);
    return filedate_detail::FileTimeStamp(platform::Folder(folder), name);
}

// What one reading gave: "stamp:<stamp>", "refused", or the failure's class and message.
std::string readingOf(const std::string &path, std::string &stamp, CountingNotice &notice)
{
    try {
        return ReadCaptureDate(path, stamp, notice) ? "stamp:" + stamp : "refused";
    } catch (const EInOutError &e) {
        return std::string("EInOutError:") + e.what();
    } catch (const EConvertError &e) {
        return std::string("EConvertError:") + e.what();
    }
}

// --- The file samples ---------------------------------------------------------------

TEST(ExifSamples, BuilderLaysOutTheExamplesByteForByte)
{
    const auto samples = exifsamples::samples();
    EXPECT_EQ(exifsamples::build({}), samples.at(0).bytes);
    exifsamples::ExifLayout little;
    little.order = exifsamples::Order::Little;
    EXPECT_EQ(exifsamples::build(little), samples.at(1).bytes);
}

class CaptureDate : public testing::TestWithParam<exifsamples::Sample>
{
};

TEST_P(CaptureDate, ReadsTheSampleAsExpected)
{
    const exifsamples::Sample &sample = GetParam();
    TemporaryFolder folder;
    const std::string path = folder.path(sample.name + ".jpg");
    writeFile(path, sample.bytes);
    ASSERT_TRUE(setWriteTime(path, localMoment(2015, 9, 27, 15, 5, 31)));

    const int descriptorsBefore = openDescriptors();
    std::string stamp = "untouched";
    CountingNotice notice;
    const std::string result = readingOf(path, stamp, notice);

    switch (sample.outcome) {
    case Outcome::Stamp:
        EXPECT_EQ(result, "stamp:" + sample.expected);
        break;
    case Outcome::FileTime:
        EXPECT_EQ(result, "stamp:2015-09-27 15-05-30");
        break;
    case Outcome::Refused:
        EXPECT_EQ(result, "refused");
        EXPECT_EQ(notice.last, "Not a valid JPEG image");
        EXPECT_EQ(notice.descriptorsAtRefusal, descriptorsBefore);
        break;
    case Outcome::ConvertError:
        EXPECT_EQ(result, "EConvertError:" + sample.expected);
        break;
    case Outcome::InOutError:
        EXPECT_EQ(result, "EInOutError:" + sample.expected);
        break;
    }
    EXPECT_EQ(notice.count, sample.outcome == Outcome::Refused ? 1 : 0);
    if (sample.outcome != Outcome::Stamp && sample.outcome != Outcome::FileTime) {
        EXPECT_EQ(stamp, "untouched");
    }
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

// What one reading gave with the head block of `blockSize` bytes (0: every piece on its own).
std::string readingWithBlock(const std::string &path, std::size_t blockSize)
{
    std::string stamp = "untouched";
    CountingNotice notice;
    std::string result;
    try {
        const auto [folder, name] = platform::splitPath(path);
        result = filedate_detail::readCaptureDate(platform::Folder(folder), name, stamp, notice, blockSize)
                     ? "stamp:" + stamp
                     : "refused";
    } catch (const EInOutError &e) {
        result = "EInOutError:" + std::to_string(e.code()) + ":" + e.what();
    } catch (const EConvertError &e) {
        result = std::string("EConvertError:") + e.what();
    }
    return result + " stamp:" + stamp + " notices:" + std::to_string(notice.count) + ":" + notice.last;
}

std::string readingInFolder(const std::string &folder, const std::string &name)
{
    const platform::Folder held(folder);
    std::string stamp = "untouched";
    CountingNotice notice;
    std::string result;
    try {
        result = ReadCaptureDate(held, name, stamp, notice) ? "stamp:" + stamp : "refused";
    } catch (const EInOutError &e) {
        result = "EInOutError:" + std::to_string(e.code()) + ":" + e.what();
    } catch (const EConvertError &e) {
        result = std::string("EConvertError:") + e.what();
    }
    return result + " stamp:" + stamp + " notices:" + std::to_string(notice.count) + ":" + notice.last;
}

// The sample cut at every length, so that every piece in turn lies past the end, is cut
// short by it, or lies in a file shorter than the block: reading through a block of any size,
// and by the folder's descriptor, gives what reading each piece on its own gives.
TEST_P(CaptureDate, ReadingThroughTheHeadBlockGivesWhatReadingEachPieceGives)
{
    const exifsamples::Bytes &bytes = GetParam().bytes;
    TemporaryFolder folder;
    const std::string path = folder.path("cut.jpg");
    const std::size_t blockSizes[] = {1, 2, 13, 40, 64, filedate_detail::HeadBlock::Capacity};
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        writeFile(path, exifsamples::Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)));
        ASSERT_TRUE(setWriteTime(path, localMoment(2015, 9, 27, 15, 5, 31)));
        const std::string pieceByPiece = readingWithBlock(path, 0);
        for (const std::size_t blockSize : blockSizes)
            ASSERT_EQ(readingWithBlock(path, blockSize), pieceByPiece) << length << " bytes, block " << blockSize;
        ASSERT_EQ(readingInFolder(path.substr(0, path.rfind('/')), "cut.jpg"), pieceByPiece) << length << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CaptureDate, testing::ValuesIn(exifsamples::samples()),
                         [](const testing::TestParamInfo<exifsamples::Sample> &info) {
                             std::string name = info.param.name;
                             for (char &c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(CaptureDateReading, ByteOrderIsSetAfreshForEveryFile)
{
    TemporaryFolder folder;
    const auto samples = exifsamples::samples();
    const auto byName = [&](const std::string &name) {
        for (const auto &sample : samples)
            if (sample.name == name)
                return sample.bytes;
        throw std::runtime_error(name);
    };
    writeFile(folder.path("little.jpg"), byName("exif-little-endian"));
    writeFile(folder.path("unmarked.jpg"), byName("byte-order-mark-xx-on-big-endian-data"));
    CountingNotice notice;
    std::string stamp;
    EXPECT_EQ(readingOf(folder.path("little.jpg"), stamp, notice), "stamp:2014-07-21 09-15-02");
    EXPECT_EQ(readingOf(folder.path("unmarked.jpg"), stamp, notice), "stamp:2014-07-21 09-15-02");
}

TEST(CaptureDateReading, ReadsAFileThatIsReadOnly)
{
    TemporaryFolder folder;
    const std::string path = folder.path("read-only.jpg");
    writeFile(path, exifsamples::build({}));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    CountingNotice notice;
    std::string stamp;
    EXPECT_EQ(readingOf(path, stamp, notice), "stamp:2014-07-21 09-15-02");
    EXPECT_EQ(readingOf(path, stamp, notice), "stamp:2014-07-21 09-15-02");
}

// --- Files that cannot be read ------------------------------------------------------

struct Unreadable
{
    const char *what;
    std::function<std::string(const TemporaryFolder &)> make; // gives the path to read
    std::string expected;
    std::optional<VolumeNeed> need = {};
};

void PrintTo(const Unreadable &c, std::ostream *out)
{
    *out << c.what;
}

class UnreadableFile : public testing::TestWithParam<Unreadable>
{
};

TEST_P(UnreadableFile, RaisesTheMappedFailureAndLeavesNothingOpen)
{
    if (GetParam().need) {
        SKIP_WHERE_VOLUME_LACKS(*GetParam().need);
    }
    TemporaryFolder folder;
    const std::string path = GetParam().make(folder);
    const int descriptorsBefore = openDescriptors();
    std::string stamp = "untouched";
    CountingNotice notice;
    EXPECT_EQ(readingOf(path, stamp, notice), "EInOutError:" + GetParam().expected);
    EXPECT_EQ(stamp, "untouched");
    EXPECT_EQ(notice.count, 0);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UnreadableFile,
    testing::Values(
        Unreadable {"missing_file", [](const TemporaryFolder &f) { return f.path("missing.jpg"); }, "File not found"},
        Unreadable {"missing_folder_on_the_way", [](const TemporaryFolder &f) { return f.path("no/missing.jpg"); },
                    "Invalid filename"},
        Unreadable {"parent_is_a_file",
                    [](const TemporaryFolder &f) {
                        writeFile(f.path("a.jpg"), exifsamples::build({}));
                        return f.path("a.jpg/b.jpg");
                    },
                    "Invalid filename"},
        Unreadable {"dangling_link",
                    [](const TemporaryFolder &f) {
                        std::filesystem::create_symlink(f.path("gone.jpg"), f.path("link.jpg"));
                        return f.path("link.jpg");
                    },
                    "File not found", VolumeNeed::Symlinks},
        Unreadable {"link_loop",
                    [](const TemporaryFolder &f) {
                        std::filesystem::create_symlink(f.path("b.jpg"), f.path("a.jpg"));
                        std::filesystem::create_symlink(f.path("a.jpg"), f.path("b.jpg"));
                        return f.path("a.jpg");
                    },
                    "I/O error 40", VolumeNeed::Symlinks},
        Unreadable {"name_too_long", [](const TemporaryFolder &f) { return f.path(std::string(300, 'x') + ".jpg"); },
                    "I/O error 36", VolumeNeed::NameLimitAtLookup},
        // Opening a folder succeeds; its first read fails, after which it must still be closed.
        Unreadable {"folder",
                    [](const TemporaryFolder &f) {
                        std::filesystem::create_directory(f.path("folder.jpg"));
                        return f.path("folder.jpg");
                    },
                    "I/O error 21"},
        // A FIFO opened for reading would wait for a writer: it must fail instead of hanging.
        Unreadable {"fifo",
                    [](const TemporaryFolder &f) {
                        if (::mkfifo(f.path("fifo.jpg").c_str(), 0600) != 0)
                            throw std::runtime_error("mkfifo");
                        return f.path("fifo.jpg");
                    },
                    "I/O error 29", VolumeNeed::Fifos}),
    [](const testing::TestParamInfo<Unreadable> &info) { return std::string(info.param.what); });

TEST_P(UnreadableFile, FailsTheSameWayByTheFoldersDescriptor)
{
    if (GetParam().need) {
        SKIP_WHERE_VOLUME_LACKS(*GetParam().need);
    }
    TemporaryFolder folder;
    const std::string path = GetParam().make(folder);
    const std::size_t cut = path.rfind('/');
    const int descriptorsBefore = openDescriptors();
    EXPECT_EQ(readingInFolder(path.substr(0, cut), path.substr(cut + 1)), readingWithBlock(path, 0));
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST(UnreadableFile, WithoutReadPermissionIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file whatever its permissions";
    TemporaryFolder folder;
    const std::string path = folder.path("locked.jpg");
    writeFile(path, exifsamples::build({}));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    std::string stamp = "untouched";
    CountingNotice notice;
    EXPECT_EQ(readingOf(path, stamp, notice), "EInOutError:File access denied");
}

// --- File time ----------------------------------------------------------------------

struct FileTimeCase
{
    const char *what;
    std::time_t moment;
    long nanoseconds;
    std::string expected; // empty: no time
};

void PrintTo(const FileTimeCase &c, std::ostream *out)
{
    *out << c.what;
}

class FileTime : public testing::TestWithParam<FileTimeCase>
{
};

TEST_P(FileTime, StampsTheLocalTimeOfTheFileDownToAnEvenSecond)
{
    const TimeZone zone(CentralEurope);
    TemporaryFolder folder;
    const std::string path = folder.path("photo.jpg");
    writeFile(path, {});
    if (!setWriteTime(path, GetParam().moment, GetParam().nanoseconds))
        GTEST_SKIP() << "the file system cannot hold this time";
    if (GetParam().expected.empty()) {
        try {
            fileTimeStampOf(path);
            FAIL() << "gave a time";
        } catch (const EConvertError &e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date encode");
        }
    } else {
        EXPECT_EQ(fileTimeStampOf(path), GetParam().expected);
    }
}

// Winter and summer rows together fail whatever the season of the test run, should the
// conversion use the offset of today instead of the file's own.
INSTANTIATE_TEST_SUITE_P(
    CentralEurope, FileTime,
    testing::Values(
        FileTimeCase {"winter", utcMoment(2015, 1, 15, 11, 0, 1), 0, "2015-01-15 12-00-00"},
        FileTimeCase {"summer", utcMoment(2015, 7, 15, 11, 0, 1), 0, "2015-07-15 13-00-00"},
        FileTimeCase {"odd_second_with_fraction", utcMoment(2015, 9, 27, 13, 5, 31), 999999999,
                      "2015-09-27 15-05-30"},
        FileTimeCase {"before_spring_forward", utcMoment(2015, 3, 29, 0, 59, 59), 0, "2015-03-29 01-59-58"},
        FileTimeCase {"after_spring_forward", utcMoment(2015, 3, 29, 1, 0, 0), 0, "2015-03-29 03-00-00"},
        FileTimeCase {"before_fall_back", utcMoment(2015, 10, 25, 0, 59, 59), 0, "2015-10-25 02-59-58"},
        FileTimeCase {"after_fall_back", utcMoment(2015, 10, 25, 1, 0, 0), 0, "2015-10-25 02-00-00"},
        // The range holds for the local year, not the year in UTC.
        FileTimeCase {"first_local_moment_of_1980", utcMoment(1979, 12, 31, 23, 0, 0), 0, "1980-01-01 00-00-00"},
        FileTimeCase {"last_local_moment_of_1979", utcMoment(1979, 12, 31, 22, 59, 59), 0, ""},
        FileTimeCase {"last_local_moment_of_2107", utcMoment(2107, 12, 31, 22, 59, 59), 0, "2107-12-31 23-59-58"},
        FileTimeCase {"first_local_moment_of_2108", utcMoment(2107, 12, 31, 23, 0, 0), 0, ""},
        FileTimeCase {"before_1970", utcMoment(1969, 7, 20, 20, 17, 40), 0, ""}),
    [](const testing::TestParamInfo<FileTimeCase> &info) { return std::string(info.param.what); });

TEST(FileTime, ReadingAWinterPhotoInSummerKeepsTheWinterHour)
{
    const TimeZone zone(CentralEurope);
    TemporaryFolder folder;
    const std::string path = folder.path("jfif.jpg");
    writeFile(path, exifsamples::samples().at(3).bytes); // JFIF without EXIF data
    ASSERT_TRUE(setWriteTime(path, utcMoment(2015, 1, 15, 11, 0, 1)));
    std::string stamp;
    CountingNotice notice;
    EXPECT_EQ(readingOf(path, stamp, notice), "stamp:2015-01-15 12-00-00");
}

TEST(FileTime, ThereIsNoTimeForAMissingFileOrAFolder)
{
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.path("folder"));
    for (const std::string &path : {folder.path("missing.jpg"), folder.path("folder"), std::string()}) {
        try {
            fileTimeStampOf(path);
            ADD_FAILURE() << "gave a time for " << path;
        } catch (const EConvertError &e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date encode") << path;
        }
    }
}

TEST(FileTime, OutOfRangeTimeThroughTheReaderLeavesTheStampAndClosesTheFile)
{
    TemporaryFolder folder;
    const std::string path = folder.path("old.jpg");
    writeFile(path, exifsamples::samples().at(3).bytes);
    if (!setWriteTime(path, utcMoment(1975, 6, 1, 12, 0, 0)))
        GTEST_SKIP() << "this volume keeps no file time before 1980";
    const int descriptorsBefore = openDescriptors();
    std::string stamp = "untouched";
    CountingNotice notice;
    EXPECT_EQ(readingOf(path, stamp, notice), "EConvertError:Invalid argument to date encode");
    EXPECT_EQ(stamp, "untouched");
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

// --- Hex texts and numbers ----------------------------------------------------------

TEST(BytesToHex, JoinsTheDeliveredBytesInTheReadingsOrder)
{
    const unsigned char bytes[] = {0x2A, 0x00, 0x0F, 0xE1};
    const struct
    {
        std::size_t delivered;
        ByteOrder order;
        const char *hex;
    } cases[] = {
        {2, ByteOrder::BigEndian, "2A00"},    {2, ByteOrder::LittleEndian, "002A"},
        {4, ByteOrder::BigEndian, "2A000FE1"}, {4, ByteOrder::LittleEndian, "E10F002A"},
        {1, ByteOrder::LittleEndian, "2A"},   {3, ByteOrder::LittleEndian, "0F002A"},
        {0, ByteOrder::BigEndian, ""},        {0, ByteOrder::LittleEndian, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filedate_detail::BytesToHex(bytes, c.delivered, c.order), c.hex) << c.delivered;
}

TEST(HexNumber, ReadsEveryByteValueBackFromItsHexText)
{
    for (unsigned value = 0; value <= 0xFF; ++value) {
        const unsigned char byte = static_cast<unsigned char>(value);
        EXPECT_EQ(filedate_detail::hexNumber(filedate_detail::BytesToHex(&byte, 1, ByteOrder::BigEndian)),
                  static_cast<std::int32_t>(value))
            << value;
    }
}

TEST(HexNumber, ReadsUpToEightDigitsAsASigned32BitNumber)
{
    const std::pair<const char *, std::int32_t> cases[] = {
        {"2A", 42},          {"0008", 8},           {"FFFF", 65535}, {"7FFFFFFF", INT32_MAX},
        {"80000000", INT32_MIN}, {"FFFFFFFF", -1}, {"FFFFFF00", -256},
    };
    for (const auto &[hex, value] : cases)
        EXPECT_EQ(filedate_detail::hexNumber(hex), value) << hex;
    try {
        filedate_detail::hexNumber("");
        FAIL() << "read a number from nothing";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'$' is not a valid integer value");
    }
}

// --- The read-only file -------------------------------------------------------------

TEST(ReadOnlyFile, ReadsAtExplicitPositionsAndDeliversLessAtTheEnd)
{
    TemporaryFolder folder;
    writeFile(folder.path("five"), {1, 2, 3, 4, 5});
    const platform::Folder held(folder.path());
    platform::ReadOnlyFile file(held, "five");
    unsigned char buffer[4] = {};
    EXPECT_EQ(file.readAt(3, buffer, 4), 2u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(file.readAt(1, buffer, 2), 2u);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(file.readAt(5, buffer, 4), 0u);
    EXPECT_EQ(file.readAt(std::int64_t {1} << 40, buffer, 4), 0u);
    try {
        file.readAt(-1, buffer, 2);
        FAIL() << "read before the start of the file";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.code(), EINVAL);
        EXPECT_STREQ(e.what(), "I/O error 22");
    }
    file.close();
    EXPECT_FALSE(file.isOpen());
    file.close();
}

// --- The head block -----------------------------------------------------------------

TEST(HeadBlock, KeepsWhatItsOneReadDeliveredAndReadsEverythingElseOnItsOwn)
{
    TemporaryFolder folder;
    const std::string path = folder.path("ten");
    writeFile(path, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const platform::Folder held(folder.path());
    platform::ReadOnlyFile file(held, "ten");
    filedate_detail::HeadBlock head(file, 8);
    unsigned char buffer[4] = {};
    ASSERT_EQ(head.readAt(0, buffer, 2), 2u);

    // The file loses its content: what the block holds still comes, the rest is read anew.
    ASSERT_EQ(::truncate(path.c_str(), 5), 0);
    EXPECT_EQ(head.readAt(4, buffer, 4), 4u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[3], 7);
    EXPECT_EQ(head.readAt(6, buffer, 4), 0u) << "a piece that leaves the block is read on its own";
    EXPECT_EQ(head.readAt(3, buffer, 4), 4u);
    try {
        head.readAt(-2, buffer, 2);
        FAIL() << "read before the start of the file";
    } catch (const EInOutError &e) {
        EXPECT_STREQ(e.what(), "I/O error 22");
    }
}

// --- Descriptors --------------------------------------------------------------------

TEST(CaptureDateReading, ThousandsOfReadingsLeaveNoDescriptorOpen)
{
    TemporaryFolder folder;
    const auto samples = exifsamples::samples();
    std::vector<std::string> paths;
    for (const auto &sample : samples) {
        paths.push_back(folder.path(sample.name + ".jpg"));
        writeFile(paths.back(), sample.bytes);
    }
    paths.push_back(folder.path("missing.jpg"));
    paths.push_back(folder.path("no-folder/child.jpg"));
    std::filesystem::create_directory(folder.path("folder.jpg"));
    paths.push_back(folder.path("folder.jpg"));

    const int descriptorsBefore = openDescriptors();
    int refusals = 0, failures = 0, stamps = 0;
    for (int round = 0; round < 100; ++round) {
        for (const std::string &path : paths) {
            std::string stamp;
            CountingNotice notice;
            const std::string result = readingOf(path, stamp, notice);
            refusals += result == "refused";
            stamps += result.starts_with("stamp:");
            failures += result.starts_with("E");
        }
    }
    EXPECT_GE(refusals + failures + stamps, 4000);
    EXPECT_GT(refusals, 0);
    EXPECT_GT(failures, 0);
    EXPECT_GT(stamps, 0);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

} // namespace
