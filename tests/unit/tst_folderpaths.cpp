// The directory list's logic on real folder trees: resolving a path text, the lines and their paths.
#include "browser/deferredfailure.h"
#include "browser/folderpaths.h"
#include "browsertestutil.h"
#include "platform/workdir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

class FolderPathsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        tree.folder("photos/2015/summer");
        tree.folder("photos/2016");
        tree.file("photos/picture.jpg");
        platform::setCurrentDirectory(tree.path("photos"));
    }
    TemporaryFolder tree;
    DeferredFailure failures;
};

struct ResolveCase
{
    const char *text;       // "@" stands for the tree's root
    const char *folderPart; // "@" likewise
    const char *filePart;
    bool fails;
};

class ResolveTest : public FolderPathsTest, public testing::WithParamInterface<ResolveCase>
{
protected:
    std::string expand(const char *text) const
    {
        std::string s = text;
        if (const auto at = s.find('@'); at != std::string::npos)
            s.replace(at, 1, tree.path());
        return s;
    }
};

TEST_P(ResolveTest, SplitsTheFolderFromAFilePart)
{
    const ResolveCase &c = GetParam();
    const ResolvedFolder resolved = ResolveFolderPath(expand(c.text), failures);
    EXPECT_EQ(resolved.folderPart, expand(c.folderPart));
    EXPECT_EQ(resolved.filePart, c.filePart);
    EXPECT_EQ(failures.pending(), c.fails);
    // Resolving leaves the working directory where it was.
    EXPECT_EQ(platform::currentDirectory(), tree.path("photos"));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ResolveTest,
    testing::Values(ResolveCase{"@/photos/2015", "@/photos/2015", "", false},
                    ResolveCase{"@/photos/2015/", "@/photos/2015", "", false},
                    ResolveCase{"@/photos/picture.jpg", "@/photos", "picture.jpg", false},
                    ResolveCase{"@/photos/*.jpg", "@/photos", "*.jpg", false},
                    ResolveCase{"@/photos/IMG_????.jpg", "@/photos", "IMG_????.jpg", false},
                    ResolveCase{"/", "/", "", false},
                    ResolveCase{"/tmp", "/tmp", "", false},
                    ResolveCase{"2015", "@/photos/2015", "", false},
                    ResolveCase{"2015/summer", "2015/summer", "", false},
                    ResolveCase{"picture.jpg", "@/photos", "picture.jpg", false},
                    ResolveCase{"..", "@/photos/..", "", false},
                    ResolveCase{"@/photos/gone", "@/photos/gone", "", true},
                    ResolveCase{"@/nowhere/deeper", "@/nowhere/deeper", "", true}));

TEST_F(FolderPathsTest, ReportsTheLastFailedStepByItsMeaning)
{
    ResolveFolderPath(tree.path("photos/gone"), failures);
    try {
        failures.raise();
        FAIL() << "no failure noted";
    } catch (const EInOutError &e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_FALSE(failures.pending());
    EXPECT_NO_THROW(failures.raise());

    ResolveFolderPath(tree.path("nowhere/deeper"), failures);
    EXPECT_THROW(failures.raise(), EInOutError);

    failures.note(EACCES, "/x");
    failures.note(ENOTDIR, "/x/y");
    try {
        failures.raise();
    } catch (const EInOutError &e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
}

TEST_F(FolderPathsTest, ComparesFoldersByTheVolumesCaseRule)
{
    const platform::CaseFlags sensitive{true, true};
    const platform::CaseFlags insensitive{false, true};
    EXPECT_TRUE(sameFolder("/a/Photos", "/a/Photos", sensitive));
    EXPECT_FALSE(sameFolder("/a/Photos", "/a/photos", sensitive));
    EXPECT_TRUE(sameFolder("/a/Photos", "/a/photos", insensitive));
    EXPECT_FALSE(sameFolder("/a/Photos", "/a/Photos2", insensitive));
}

std::vector<std::string> texts(const FolderLines &lines)
{
    std::vector<std::string> result;
    for (const FolderLine &line : lines.lines)
        result.push_back(line.text);
    return result;
}

TEST_F(FolderPathsTest, LinesRunFromTheRootDownToTheFolderThenItsSubfolders)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Symlinks);
    tree.folder("photos/Alpha");
    tree.folder("photos/beta");
    tree.folder("photos/.thumbnails");
    tree.file("photos/zeta.jpg");
    std::filesystem::create_directory_symlink(tree.path("photos/2016"), tree.path("photos/Linked"));
    const std::string folder = tree.path("photos");

    const FolderLines lines = BuildFolderLines(folder);
    std::vector<std::string> expected{"/"};
    std::string rest = folder.substr(1);
    for (std::size_t cut; (cut = rest.find('/')) != std::string::npos; rest.erase(0, cut + 1))
        expected.push_back(rest.substr(0, cut));
    expected.push_back("photos");
    const int current = int(expected.size()) - 1;
    for (const char *sub : {"2015", "2016", "Alpha", "beta", "Linked"})
        expected.push_back(sub);
    EXPECT_EQ(texts(lines), expected);
    EXPECT_EQ(lines.currentLine, current);
    EXPECT_EQ(lines.folder, folder);
    EXPECT_TRUE(lines.caseFlags.caseSensitive);

    for (int i = 0; i < int(lines.lines.size()); ++i) {
        const LineGlyph wanted = i < current ? LineGlyph::OpenFolder
                                 : i == current ? LineGlyph::CurrentFolder
                                                : LineGlyph::ClosedFolder;
        EXPECT_EQ(lines.lines[i].glyph, wanted) << i;
    }
}

TEST_F(FolderPathsTest, EachLineLeadsToItsFolder)
{
    const std::string folder = tree.path("photos/2015");
    const FolderLines lines = BuildFolderLines(folder);
    const int current = lines.currentLine;
    EXPECT_EQ(LinePath(lines, 0), "/");
    EXPECT_EQ(LinePath(lines, current), folder);
    EXPECT_EQ(LinePath(lines, current - 1), tree.path("photos"));
    EXPECT_EQ(LinePath(lines, current - 2), tree.path());
    EXPECT_EQ(LinePath(lines, 1), "/" + lines.lines[1].text);
    EXPECT_EQ(LinePath(lines, current + 1), tree.path("photos/2015/summer"));
    EXPECT_EQ(LinePath(lines, 99), "");
    // Every path line opens a folder whose own lines end in that line as the current one.
    for (int i = 0; i <= current; ++i) {
        const FolderLines there = BuildFolderLines(LinePath(lines, i));
        EXPECT_EQ(there.currentLine, i);
        EXPECT_EQ(there.lines[i].text, lines.lines[i].text);
    }
}

TEST_F(FolderPathsTest, TheRootIsOneCurrentLine)
{
    const FolderLines lines = BuildFolderLines("/");
    ASSERT_GE(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[0].text, "/");
    EXPECT_EQ(lines.lines[0].glyph, LineGlyph::CurrentFolder);
    EXPECT_EQ(lines.currentLine, 0);
    EXPECT_EQ(LinePath(lines, 0), "/");
    EXPECT_EQ(LinePath(lines, 1), "/" + lines.lines[1].text);
    EXPECT_EQ(lineIndent(lines, 0), 2);
    EXPECT_EQ(lineIndent(lines, 1), 10);
}

TEST_F(FolderPathsTest, IndentsFollowDepth)
{
    const FolderLines lines = BuildFolderLines(tree.path("photos/2015"));
    const int current = lines.currentLine;
    for (int i = 0; i <= current; ++i)
        EXPECT_EQ(lineIndent(lines, i), 4 * i + 2);
    // Subfolders stand one step further in than the current line.
    EXPECT_EQ(lineIndent(lines, current + 1), lineIndent(lines, current) + 4);
}

TEST_F(FolderPathsTest, AFolderThatCannotBeListedHasNoSubfolderLines)
{
    const FolderLines lines = BuildFolderLines(tree.path("photos/vanished"));
    EXPECT_EQ(int(lines.lines.size()), lines.currentLine + 1);
    EXPECT_EQ(lines.lines.back().text, "vanished");
}

TEST_F(FolderPathsTest, AWorkingDirectoryThatWasRemovedFallsBackToTheNearestFolderAbove)
{
    platform::setCurrentDirectory(tree.path("photos/2015/summer"));
    EXPECT_EQ(reportedWorkingFolder("/unused"), tree.path("photos/2015/summer"));
    std::filesystem::remove_all(tree.path("photos/2015"));
    EXPECT_EQ(reportedWorkingFolder(tree.path("photos/2015/summer")), tree.path("photos"));
    EXPECT_EQ(platform::currentDirectory(), tree.path("photos"));
}

} // namespace
