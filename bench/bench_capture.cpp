// The capture dates of 10,000 photographs: our reader against a minimal C program that makes
// the same reads at the same positions and takes its numbers straight from the bytes.
// The goal is at most 1.5 times the C program's time.

#include "../tests/unit/exifsamples.h"
#include "capture/filedate.h"

#include "ratioreporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FileCount = 10000;

// Laid out as a camera writes: ten IFD0 entries with the EXIF pointer last, the capture
// date sixth of twenty EXIF entries; every tenth file carries a JFIF segment first.
std::vector<std::string> makePhotographs(const std::filesystem::path &folder)
{
    exifsamples::ExifLayout camera;
    camera.ifd0Tags = {0x010F, 0x0110, 0x0112, 0x011A, 0x011B, 0x0128, 0x0131, 0x0132, 0x0213, 0x8769};
    camera.exifTags = {0x829A, 0x829D, 0x8822, 0x8827, 0x9000, 0x9003, 0x9004, 0x9101, 0x9201, 0x9202,
                       0x9204, 0x9207, 0x9209, 0x920A, 0x927C, 0x9286, 0xA000, 0xA001, 0xA002, 0xA003};
    exifsamples::ExifLayout jfif = camera;
    jfif.jfif = true;
    const exifsamples::Bytes bytes[] = {exifsamples::build(camera), exifsamples::build(jfif)};
    const std::string pixels(8192, '\x5A'); // compressed image data, never read

    std::vector<std::string> paths;
    for (int i = 0; i < FileCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        paths.push_back((folder / name).string());
        const exifsamples::Bytes &head = bytes[i % 10 == 0];
        std::ofstream out(paths.back(), std::ios::binary);
        out.write(reinterpret_cast<const char *>(head.data()), static_cast<std::streamsize>(head.size()));
        out << pixels;
    }
    return paths;
}

class SilentNotice : public RefusalNotice
{
public:
    void refused(const std::string &) override { ++refusals; }
    int refusals = 0;
};

// ---- the minimal C program -----------------------------------------------------------

int cNumber(const unsigned char *b, int size, int little)
{
    unsigned v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | b[little ? size - 1 - i : i];
    return (int)v;
}

// Position of the entry with `wanted`, or -1.
long long cFindEntry(int fd, long long directory, unsigned wanted, int little)
{
    unsigned char b[2];
    if (pread(fd, b, 2, directory) != 2)
        return -1;
    const int count = cNumber(b, 2, little);
    long long entry = directory + 2;
    for (int i = 0; i < count; ++i, entry += 12) {
        if (pread(fd, b, 2, entry) != 2)
            return -1;
        const unsigned tag = (unsigned)cNumber(b, 2, little);
        if (tag == 0)
            return -1;
        if (tag == wanted)
            return entry;
    }
    return -1;
}

int cReadDate(const char *path, char date[20])
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    unsigned char b[4];
    int little = 0, result = -1;
    long long app1 = 2, tiff, pointerEntry, dateEntry, text;
    pread(fd, b, 2, 0);
    if (pread(fd, b, 2, 2) != 2)
        goto done;
    if (b[0] == 0xFF && b[1] == 0xE0) {
        app1 = 20;
        if (pread(fd, b, 2, 20) != 2 || b[0] != 0xFF || b[1] != 0xE1)
            goto done;
    } else if (b[0] != 0xFF || b[1] != 0xE1) {
        goto done;
    }
    tiff = app1 + 10;
    if (pread(fd, b, 2, tiff) == 2 && b[0] == 'I' && b[1] == 'I')
        little = 1;
    if (pread(fd, b, 4, tiff + 4) != 4)
        goto done;
    pointerEntry = cFindEntry(fd, tiff + cNumber(b, 4, little), 0x8769, little);
    if (pointerEntry < 0 || pread(fd, b, 4, pointerEntry + 8) != 4)
        goto done;
    dateEntry = cFindEntry(fd, tiff + cNumber(b, 4, little), 0x9003, little);
    if (dateEntry < 0 || pread(fd, b, 4, dateEntry + 8) != 4)
        goto done;
    text = tiff + cNumber(b, 4, little);
    if (text >= 0 && pread(fd, date, 19, text) == 19) {
        date[4] = date[7] = date[13] = date[16] = '-';
        date[19] = 0;
        result = 0;
    }
done:
    close(fd);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_capture";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::vector<std::string> paths = makePhotographs(folder);

    // Both must give the same stamps, or the comparison means nothing.
    for (const std::string &path : {paths[0], paths[1]}) {
        std::string stamp;
        SilentNotice notice;
        char date[20] = {};
        if (!ReadCaptureDate(path, stamp, notice) || cReadDate(path.c_str(), date) != 0 || stamp != date) {
            std::fprintf(stderr, "the two readers disagree on %s: \"%s\" and \"%s\"\n", path.c_str(),
                         stamp.c_str(), date);
            return 1;
        }
    }

    benchmark::RegisterBenchmark("ReadCaptureDate", [&](benchmark::State &state) {
        SilentNotice notice;
        std::string stamp;
        for (auto _ : state)
            for (const std::string &path : paths) {
                ReadCaptureDate(path, stamp, notice);
                benchmark::DoNotOptimize(stamp.data());
            }
        state.SetItemsProcessed(state.iterations() * FileCount);
    })->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("MinimalC", [&](benchmark::State &state) {
        char date[20];
        for (auto _ : state)
            for (const std::string &path : paths) {
                cReadDate(path.c_str(), date);
                benchmark::DoNotOptimize(date);
            }
        state.SetItemsProcessed(state.iterations() * FileCount);
    })->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);

    if (reporter.medians.count("ReadCaptureDate") && reporter.medians.count("MinimalC")) {
        const double ratio = reporter.medians["ReadCaptureDate"] / reporter.medians["MinimalC"];
        std::printf("Capture dates of %d files: ReadCaptureDate takes %.2f times the minimal C reads "
                    "(goal: at most 1.50) %s\n",
                    FileCount, ratio, ratio <= 1.5 ? "- met" : "- NOT MET");
    }
    return 0;
}
