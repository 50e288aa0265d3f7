#include "batchtestutil.h"
#include "platform/folder.h"
#include "platform/movefile.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using batchtest::TempFolder;
using platform::MoveMethod;

struct NameCase
{
    const char *label;
    std::string name;
    bool allowed;
};

class NameInFolder : public testing::TestWithParam<NameCase>
{
};

TEST_P(NameInFolder, AllowsOnlyNamesThatStayInTheFolderWhole)
{
    TempFolder folder;
    EXPECT_EQ(platform::isNameInFolder(folder.path(), GetParam().name), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameInFolder,
    testing::Values(NameCase{"plain", "holiday.jpg", true}, NameCase{"blanks", " a b .jpg", true},
                    NameCase{"longest", std::string(255, 'a'), true},
                    NameCase{"tooLong", std::string(256, 'a'), false}, NameCase{"empty", "", false},
                    NameCase{"dot", ".", false}, NameCase{"dotDot", "..", false},
                    NameCase{"slash", "2015/09/27 holiday.jpg", false}, NameCase{"up", "../holiday.jpg", false},
                    NameCase{"nul", std::string("2015\0 holiday.jpg", 17), false}),
    [](const testing::TestParamInfo<NameCase> &info) { return std::string(info.param.label); });

class MoveByEachMethod : public testing::TestWithParam<MoveMethod>
{
};

TEST_P(MoveByEachMethod, MovesAndNeverReplaces)
{
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");

    EXPECT_EQ(platform::moveNoReplace(folder / "a.jpg", folder / "b.jpg", GetParam()), EEXIST);
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("b.jpg"), "photo b");

    EXPECT_EQ(platform::moveNoReplace(folder / "a.jpg", folder / "c.jpg", GetParam()), 0);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(folder.read("c.jpg"), "photo a");

    EXPECT_EQ(platform::moveNoReplace(folder / "missing.jpg", folder / "d.jpg", GetParam()), ENOENT);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"b.jpg", "c.jpg"}));
}

// The same moves by the descriptor of a held folder, which follows the folder when its path
// changes; a folder that could not be opened goes by its path and fails as the path does.
TEST_P(MoveByEachMethod, MovesAndNeverReplacesByTheFoldersDescriptor)
{
    TempFolder folder;
    ::mkdir((folder / "in").c_str(), 0755);
    folder.write("in/a.jpg", "photo a");
    folder.write("in/b.jpg", "photo b");
    const platform::Folder held(folder / "in");
    ASSERT_EQ(::rename((folder / "in").c_str(), (folder / "moved").c_str()), 0);

    EXPECT_EQ(platform::moveNoReplace(held, "a.jpg", "b.jpg", GetParam()), EEXIST);
    EXPECT_EQ(platform::moveNoReplace(held, "a.jpg", "a.jpg", GetParam()), EEXIST);
    EXPECT_EQ(folder.read("moved/a.jpg"), "photo a");
    EXPECT_EQ(folder.read("moved/b.jpg"), "photo b");

    EXPECT_EQ(platform::moveNoReplace(held, "a.jpg", "c.jpg", GetParam()), 0);
    EXPECT_EQ(folder.entries("moved"), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(folder.read("moved/c.jpg"), "photo a");
    EXPECT_EQ(platform::moveNoReplace(held, "missing.jpg", "d.jpg", GetParam()), ENOENT);

    const platform::Folder gone(folder / "in");
    EXPECT_EQ(platform::moveNoReplace(gone, "c.jpg", "d.jpg", GetParam()), ENOENT);
    EXPECT_EQ(folder.entries("moved"), (std::vector<std::string>{"b.jpg", "c.jpg"}));
}

INSTANTIATE_TEST_SUITE_P(Methods, MoveByEachMethod,
                         testing::Values(MoveMethod::RenameNoReplace, MoveMethod::LinkUnlink,
                                         MoveMethod::CheckThenRename));

TEST(MoveFileInFolder, RefusesNamesThatLeaveTheFolderOrGetCut)
{
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    ::mkdir((folder / "2015").c_str(), 0755);

    for (const std::string &bad : {std::string("2015/09-27 a.jpg"), std::string("../a.jpg"),
                                   std::string("2015\0 a.jpg", 11), std::string(300, 'x'), std::string("..")}) {
        EXPECT_EQ(platform::moveFileInFolder(folder.path(), "a.jpg", bad), EINVAL);
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"2015", "a.jpg"}));
        EXPECT_TRUE(folder.entries("2015").empty());
    }
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
}

TEST(MoveFileInFolder, NeverReplacesAFileOrAFolder)
{
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    ::mkdir((folder / "c.jpg").c_str(), 0755);

    EXPECT_EQ(platform::moveFileInFolder(folder.path(), "a.jpg", "b.jpg"), EEXIST);
    EXPECT_NE(platform::moveFileInFolder(folder.path(), "a.jpg", "c.jpg"), 0);
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("b.jpg"), "photo b");

    EXPECT_EQ(platform::moveFileInFolder(folder.path(), "a.jpg", "A.JPG"), 0);
    EXPECT_EQ(folder.read("A.JPG"), "photo a");
}

TEST(MoveFileInFolder, ByTheFoldersDescriptorRefusesWhatThePathFormRefuses)
{
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    ::mkdir((folder / "2015").c_str(), 0755);
    ::mkdir((folder / "c.jpg").c_str(), 0755);
    const platform::Folder held(folder.path());
    EXPECT_EQ(held.nameMax(), 255);

    for (const std::string &bad : {std::string("2015/09-27 a.jpg"), std::string("../a.jpg"),
                                   std::string("2015\0 a.jpg", 11), std::string(300, 'x'), std::string(".."),
                                   std::string()}) {
        EXPECT_EQ(platform::moveFileInFolder(held, "a.jpg", bad), EINVAL);
        EXPECT_FALSE(platform::fileExistsIn(held, bad));
    }
    EXPECT_EQ(platform::moveFileInFolder(held, "a.jpg", "b.jpg"), EEXIST);
    EXPECT_NE(platform::moveFileInFolder(held, "a.jpg", "c.jpg"), 0);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"2015", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(folder.entries("2015").empty());
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("b.jpg"), "photo b");

    EXPECT_TRUE(platform::fileExistsIn(held, "a.jpg"));
    EXPECT_FALSE(platform::fileExistsIn(held, "c.jpg")) << "a folder does not count";
    EXPECT_FALSE(platform::fileExistsIn(held, "A.JPG"));
    EXPECT_EQ(platform::moveFileInFolder(held, "a.jpg", "A.JPG"), 0);
    EXPECT_EQ(folder.read("A.JPG"), "photo a");
}

TEST(MoveFileInFolder, WorksAtTheRootJoin)
{
    EXPECT_EQ(platform::joinPath("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(platform::joinPath("/tmp", "a.jpg"), "/tmp/a.jpg");
}

TEST(FileExistsHere, FindsFilesOfTheWorkingFolderOnly)
{
    TempFolder folder;
    folder.write("a.jpg");
    ::mkdir((folder / "folder.jpg").c_str(), 0755);
    ::mkdir((folder / "sub").c_str(), 0755);
    folder.write("sub/b.jpg");

    EXPECT_TRUE(platform::fileExistsHere("a.jpg"));
    EXPECT_FALSE(platform::fileExistsHere("folder.jpg"));
    EXPECT_FALSE(platform::fileExistsHere("missing.jpg"));
    // Only a bare name of this folder is looked up, even when the path exists.
    EXPECT_FALSE(platform::fileExistsHere("sub/b.jpg"));
    EXPECT_FALSE(platform::fileExistsHere(std::string("a.jpg\0x", 7)));
    // ext4 and tmpfs compare names byte for byte.
    EXPECT_FALSE(platform::fileExistsHere("A.JPG"));
}

} // namespace
