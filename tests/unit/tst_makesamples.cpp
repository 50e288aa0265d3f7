// The demo folder's generator: each sample carries its capture date where the program looks for
// it, in the layout it stands for, and a folder's existing files are never replaced.

#include "capture/filedate.h"
#include "temporaryfolder.h"

#include <cctype>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> readBytes(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

int runGenerator(const fs::path &folder)
{
    const std::string tool = QUARIMO_MAKE_SAMPLES;
    const std::string target = folder.string();
    char *argv[] = {const_cast<char *>(tool.c_str()), const_cast<char *>(target.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class NoRefusal : public RefusalNotice
{
public:
    void refused(const std::string &message) override { ADD_FAILURE() << "refused: " << message; }
};

class SampleFolder : public ::testing::Test
{
protected:
    TemporaryFolder m_folder{"quarimo-samples"};
    const fs::path m_root = m_folder.path();
};

struct SampleCase
{
    const char *name;
    int app1At;         // offset of the EXIF APP1 marker; 0 for none
    char byteOrder;     // 'I' or 'M' as the TIFF header says
    const char *stamp;  // what the program's reader makes of the file
};

void PrintTo(const SampleCase &sample, std::ostream *out)
{
    *out << sample.name;
}

// One demo folder for all the cases: making it takes a moment.
class EachSample : public ::testing::TestWithParam<SampleCase>
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<TemporaryFolder>("quarimo-samples");
        s_root = s_folder->path();
        ASSERT_EQ(runGenerator(s_root / "demo"), 0);
    }
    static void TearDownTestSuite() { s_folder.reset(); }
    static std::unique_ptr<TemporaryFolder> s_folder;
    static fs::path s_root;
};

std::unique_ptr<TemporaryFolder> EachSample::s_folder;
fs::path EachSample::s_root;

TEST_P(EachSample, CarriesItsDateInItsLayout)
{
    const SampleCase &sample = GetParam();
    const fs::path path = s_root / "demo" / sample.name;
    const std::vector<unsigned char> bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
    if (sample.app1At == 0) {
        // JFIF only: the marker after the 16-byte APP0 is not APP1.
        EXPECT_EQ(bytes[3], 0xE0);
        EXPECT_FALSE(bytes[20] == 0xFF && bytes[21] == 0xE1);
    } else {
        const size_t at = size_t(sample.app1At);
        EXPECT_EQ(bytes[at], 0xFF);
        EXPECT_EQ(bytes[at + 1], 0xE1);
        EXPECT_EQ(std::string(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 10), std::string("Exif\0\0", 6));
        EXPECT_EQ(bytes[at + 10], sample.byteOrder);
        EXPECT_EQ(bytes[at + 11], sample.byteOrder);
        if (at == 20)
            EXPECT_EQ(bytes[3], 0xE0);
    }

    NoRefusal notice;
    std::string stamp = "untouched";
    ASSERT_TRUE(ReadCaptureDate(path.string(), stamp, notice));
    EXPECT_EQ(stamp, sample.stamp);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EachSample,
    ::testing::Values(SampleCase{"IMG_1043.JPG", 2, 'M', "2014-07-21 09-15-02"},
                      SampleCase{"IMG_1044.JPG", 2, 'M', "2014-07-21 09-16-40"},
                      SampleCase{"beach.jpg", 2, 'I', "2016-08-03 17-42-10"},
                      SampleCase{"Holiday 2015-09-27.jpg", 20, 'M', "2015-09-27 15-05-31"},
                      SampleCase{"P1000123.JPG", 2, 'M', "2012-12-24 18-30-00"},
                      SampleCase{"dsc_0007.jpg", 2, 'M', "2010-05-01 11-20-45"},
                      // No EXIF data: the file time, which the generator sets to the local time given.
                      SampleCase{"scan_0001.jpg", 0, 0, "2019-06-01 12-00-00"},
                      SampleCase{"more/IMG_2001.JPG", 2, 'M', "2017-01-14 08-05-00"},
                      SampleCase{"more/garden.jpg", 2, 'I', "2018-05-20 16-45-12"}),
    [](const ::testing::TestParamInfo<SampleCase> &info) {
        std::string name;
        for (const char *c = info.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST_F(SampleFolder, AddsOnlyMissingSamplesAndReplacesNothing)
{
    const fs::path demo = m_root / "demo";
    fs::create_directories(demo);
    writeText(demo / "beach.jpg", "my own beach");
    writeText(demo / "2014-07-21 09-15-02.jpg", "a renamed sample");
    ASSERT_EQ(runGenerator(demo), 0);
    EXPECT_EQ(readBytes(demo / "beach.jpg").size(), std::string("my own beach").size());
    EXPECT_EQ(readBytes(demo / "2014-07-21 09-15-02.jpg").size(), std::string("a renamed sample").size());
    EXPECT_TRUE(fs::exists(demo / "IMG_1043.JPG"));

    // A second run over a complete folder leaves every file as it was.
    std::vector<std::pair<fs::path, std::vector<unsigned char>>> before;
    for (const auto &entry : fs::recursive_directory_iterator(demo))
        if (entry.is_regular_file())
            before.emplace_back(entry.path(), readBytes(entry.path()));
    fs::remove(demo / "IMG_1044.JPG");
    ASSERT_EQ(runGenerator(demo), 0);
    for (const auto &[path, bytes] : before)
        EXPECT_EQ(readBytes(path), bytes) << path;
    size_t count = 0;
    for (const auto &entry : fs::recursive_directory_iterator(demo))
        count += entry.is_regular_file();
    EXPECT_EQ(count, before.size());
}

TEST_F(SampleFolder, FailsWhenTheFolderCannotBeMade)
{
    writeText(m_root / "a file", "in the way");
    EXPECT_NE(runGenerator(m_root / "a file" / "demo"), 0);
}

} // namespace
