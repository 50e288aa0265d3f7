// The settings file: its one line on disk, the read rule, and writes that never lose the old content.
#include "browser/settingsfile.h"
#include "browsertestutil.h"
#include "platform/errors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace {

struct ReadCase
{
    const char *label;
    std::string content;
    std::string line;
};

class ReadSettingsTest : public testing::TestWithParam<ReadCase>
{
};

TEST_P(ReadSettingsTest, TakesTheFirstLineOnly)
{
    TemporaryFolder tree;
    const std::string path = tree.file("quarimo.txt", GetParam().content);
    EXPECT_EQ(readSettingsLine(path), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, ReadSettingsTest,
    testing::Values(ReadCase{"crlf", "/home/ann/photos\r\n", "/home/ann/photos"},
                    ReadCase{"lf", "/home/ann/photos\n", "/home/ann/photos"},
                    ReadCase{"no_line_end", "/home/ann/photos", "/home/ann/photos"},
                    ReadCase{"empty_file", "", ""},
                    ReadCase{"empty_line", "\r\n/other\r\n", ""},
                    ReadCase{"further_lines", "/first\r\n/second\r\n", "/first"},
                    ReadCase{"stray_cr_dropped", "/a\rb\r\n", "/ab"},
                    ReadCase{"cr_alone_does_not_end", "/a\r/b\nrest", "/a/b"},
                    ReadCase{"bytes_kept", std::string("/caf\xe9 \t x\r\n"), std::string("/caf\xe9 \t x")},
                    ReadCase{"long_line", std::string(10000, 'a') + "\n", std::string(10000, 'a')}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.label); });

TEST(SettingsFile, WritesOneLineEndedByCrLf)
{
    TemporaryFolder tree;
    const std::string path = tree.path("quarimo.txt");
    writeSettingsLine(path, "/home/ann/photos");
    EXPECT_EQ(tree.read("quarimo.txt"), "/home/ann/photos\r\n");
    tree.file("quarimo.txt", "/old\r\n/second line\r\n");
    writeSettingsLine(path, std::string("/caf\xe9"));
    EXPECT_EQ(tree.read("quarimo.txt"), std::string("/caf\xe9\r\n"));
    EXPECT_EQ(readSettingsLine(path), std::string("/caf\xe9"));
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.path()), {}), 1);
}

TEST(SettingsFile, KeepsTheFilesModeAndOverwritesNoOtherFile)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Modes);
    TemporaryFolder tree;
    const std::string path = tree.file("quarimo.txt", "/old\r\n");
    ::chmod(path.c_str(), 0640);
    tree.file("quarimo.txt.new", "a file of the user's");
    writeSettingsLine(path, "/new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(tree.read("quarimo.txt.new"), "a file of the user's");

    const mode_t saved = ::umask(022);
    writeSettingsLine(tree.path("fresh.txt"), "/x");
    ::umask(saved);
    ASSERT_EQ(::stat(tree.path("fresh.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

std::string failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const EInOutError &e) {
        return e.what();
    }
    return "no failure";
}

TEST(SettingsFile, FailuresCarryTheMappedMessageAndLeaveTheOldContent)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Modes);
    TemporaryFolder tree;
    EXPECT_EQ(failureOf([&] { readSettingsLine(tree.path("missing.txt")); }), "File not found");
    EXPECT_EQ(failureOf([&] { readSettingsLine(tree.path("nowhere/quarimo.txt")); }), "Invalid filename");
    EXPECT_EQ(failureOf([&] { writeSettingsLine(tree.path("nowhere/quarimo.txt"), "/x"); }), "Invalid filename");
    const std::string underFile = tree.file("plain") + "/quarimo.txt";
    EXPECT_EQ(failureOf([&] { writeSettingsLine(underFile, "/x"); }), "Invalid filename");

    // A folder under the settings file's name is refused as a file that cannot be written.
    tree.folder("taken.txt");
    EXPECT_EQ(failureOf([&] { writeSettingsLine(tree.path("taken.txt"), "/x"); }), "File access denied");
    EXPECT_TRUE(std::filesystem::is_directory(tree.path("taken.txt")));

    // A read-only settings file keeps its content.
    const std::string readOnly = tree.file("ro.txt", "/kept\r\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(failureOf([&] { writeSettingsLine(readOnly, "/x"); }), "File access denied");
    EXPECT_EQ(tree.read("ro.txt"), "/kept\r\n");
}

TEST(SettingsFile, SomethingThatIsNotAFileCannotBeRead)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Fifos);
    TemporaryFolder tree;
    const std::string pipe = tree.path("quarimo.txt");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Would block forever if the pipe were opened for a blocking read.
    EXPECT_EQ(failureOf([&] { readSettingsLine(pipe); }), "File access denied");
}

} // namespace
