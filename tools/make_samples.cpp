// Fills a folder with sample photographs that carry capture dates, for trying the program out
// without touching anyone's own pictures. Files already there are never replaced or removed:
// a sample whose name is taken is left out, so running it again only adds back missing samples.

#include "exifsegment.h"
#include "jpegwriter.h"
#include "samplescenes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

/** Where the capture date sits in the file: the layouts the program meets in practice. */
enum class Layout {
    ExifBigEndian,    // APP1 right after the start-of-image marker, Motorola byte order
    ExifLittleEndian, // the same in Intel byte order
    JfifThenExif,     // a 16-byte JFIF APP0 first, the EXIF APP1 at offset 20
    NoExif,           // JFIF only: the program falls back on the file's modification time
};

struct Sample
{
    const char *name;
    Layout layout;
    const char *taken; // also the file's modification time
    Scene scene;
};

const Sample samples[] = {
    {"IMG_1043.JPG", Layout::ExifBigEndian, "2014:07:21 09:15:02", {SceneKind::Beach, 1}},
    {"IMG_1044.JPG", Layout::ExifBigEndian, "2014:07:21 09:16:40", {SceneKind::Beach, 2}},
    {"beach.jpg", Layout::ExifLittleEndian, "2016:08:03 17:42:10", {SceneKind::Sunset, 3}},
    {"Holiday 2015-09-27.jpg", Layout::JfifThenExif, "2015:09:27 15:05:31", {SceneKind::Mountains, 4}},
    {"P1000123.JPG", Layout::ExifBigEndian, "2012:12:24 18:30:00", {SceneKind::Sunset, 5}},
    {"dsc_0007.jpg", Layout::ExifBigEndian, "2010:05:01 11:20:45", {SceneKind::Garden, 6}},
    {"scan_0001.jpg", Layout::NoExif, "2019:06:01 12:00:00", {SceneKind::Garden, 7, true}},
    {"more/IMG_2001.JPG", Layout::ExifBigEndian, "2017:01:14 08:05:00", {SceneKind::Mountains, 8}},
    {"more/garden.jpg", Layout::ExifLittleEndian, "2018:05:20 16:45:12", {SceneKind::Garden, 9}},
};

std::vector<unsigned char> samplePhotograph(const Sample &sample)
{
    JpegOptions options;
    options.quality = 85;
    options.jfifHeader = sample.layout == Layout::JfifThenExif || sample.layout == Layout::NoExif;
    if (sample.layout != Layout::NoExif) {
        ExifDetails exif;
        exif.byteOrder = sample.layout == Layout::ExifLittleEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
        exif.make = "Quarimo";
        exif.model = "Sample Camera";
        exif.dateTime = sample.taken;
        exif.width = Width;
        exif.height = Height;
        options.app1 = exifSegment(exif);
    }
    return encodeJpeg(Width, Height, drawScene(sample.scene, Width, Height), options);
}

timespec localTime(const char *taken)
{
    std::tm tm{};
    std::sscanf(taken, "%d:%d:%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec);
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return {std::mktime(&tm), 0};
}

/** Creates the file only if no file of that name exists; false when one does. */
bool writeNew(const std::filesystem::path &path, const std::vector<unsigned char> &bytes, timespec modified)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(errno));
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(path.c_str()); // our own half-written file, never someone else's
            throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
        }
        done += size_t(n);
    }
    const timespec times[2] = {modified, modified};
    ::futimens(fd, times);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        int written = 0, kept = 0;
        for (const Sample &sample : samples) {
            const std::filesystem::path path = folder / sample.name;
            std::filesystem::create_directories(path.parent_path());
            if (writeNew(path, samplePhotograph(sample), localTime(sample.taken)))
                ++written;
            else
                ++kept;
        }
        std::printf("%s: %d sample photographs written, %d already there\n", folder.c_str(), written, kept);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
