#include "batchtestutil.h"
#include "platform/folder.h"
#include "platform/movefile.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(platform::isNameInFolder(platform::Folder(folder.path()), GetParam().name), GetParam().allowed);
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

// Moves by the descriptor of a held folder, which follows the folder when its path changes;
// a folder that could not be opened goes by its path and fails as the path does.
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

// A link under the new name is a name taken, also when it leads nowhere.
TEST_P(MoveByEachMethod, NeverReplacesALinkThatLeadsNowhere)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Symlinks);
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    ASSERT_EQ(::symlink("gone.jpg", (folder / "b.jpg").c_str()), 0);
    const platform::Folder held(folder.path());

    EXPECT_EQ(platform::moveNoReplace(held, "a.jpg", "b.jpg", GetParam()), EEXIST);
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    struct stat st {};
    ASSERT_EQ(::lstat((folder / "b.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Methods, MoveByEachMethod,
                         testing::Values(MoveMethod::RenameNoReplace, MoveMethod::LinkUnlink,
                                         MoveMethod::CheckThenRename));

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
        EXPECT_EQ(platform::moveFileInFolder(held, "a.jpg", bad), bad.size() > 255 ? ENAMETOOLONG : EINVAL);
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
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::CaseDistinction);
    TempFolder folder;
    folder.write("a.jpg");
    ::mkdir((folder / "folder.jpg").c_str(), 0755);
    ::mkdir((folder / "sub").c_str(), 0755);
    folder.write("sub/b.jpg");

    const platform::Folder here(".");
    EXPECT_TRUE(platform::fileExistsIn(here, "a.jpg"));
    EXPECT_FALSE(platform::fileExistsIn(here, "folder.jpg"));
    EXPECT_FALSE(platform::fileExistsIn(here, "missing.jpg"));
    // Only a bare name of this folder is looked up, even when the path exists.
    EXPECT_FALSE(platform::fileExistsIn(here, "sub/b.jpg"));
    EXPECT_FALSE(platform::fileExistsIn(here, std::string("a.jpg\0x", 7)));
    // ext4 and tmpfs compare names byte for byte.
    EXPECT_FALSE(platform::fileExistsIn(here, "A.JPG"));
}

// --- The method learned once per batch -------------------------------------------

// A volume that refuses the rename flag and hard links the way some real ones do, and
// counts the calls; every call it does not refuse is the real one.
class RefusingVolume : public platform::MoveCalls
{
public:
    RefusingVolume(int flagRefusal, int linkRefusal) : m_flagRefusal(flagRefusal), m_linkRefusal(linkRefusal) {}

    int renameNoReplace(int folder, const char *from, const char *to) override
    {
        ++flagCalls;
        return m_flagRefusal ? refuse(m_flagRefusal) : MoveCalls::renameNoReplace(folder, from, to);
    }
    int link(int folder, const char *from, const char *to) override
    {
        ++linkCalls;
        return m_linkRefusal ? refuse(m_linkRefusal) : MoveCalls::link(folder, from, to);
    }
    int statAt(int folder, const char *name, struct stat *st, int flags) override
    {
        ++checkCalls;
        return MoveCalls::statAt(folder, name, st, flags);
    }

    int flagCalls = 0, linkCalls = 0, checkCalls = 0;

private:
    static int refuse(int err)
    {
        errno = err;
        return -1;
    }
    int m_flagRefusal, m_linkRefusal;
};

struct VolumeCase
{
    const char *label;
    int flagRefusal; // 0: the volume takes the flag
    int linkRefusal; // 0: the volume takes hard links
    MoveMethod learned;
    int flagCalls, linkCalls, checkCalls; // over the three moves below
};

void PrintTo(const VolumeCase &c, std::ostream *out)
{
    *out << c.label;
}

class LearnedMethod : public testing::TestWithParam<VolumeCase>
{
};

// Three moves of one batch: one that works, one onto a taken name (a link that leads
// nowhere), one that works. The volume's refusals are learned at the first move and never
// tried again; a taken name teaches nothing.
TEST_P(LearnedMethod, IsLearnedAtTheFirstMoveAndKept)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Symlinks);
    const VolumeCase &c = GetParam();
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    folder.write("c.jpg", "photo c");
    ASSERT_EQ(::symlink("gone.jpg", (folder / "taken.jpg").c_str()), 0);
    const platform::Folder held(folder.path());
    RefusingVolume volume(c.flagRefusal, c.linkRefusal);
    platform::NoReplaceMover mover(held, MoveMethod::RenameNoReplace, volume);

    EXPECT_EQ(mover.move("a.jpg", "1.jpg"), 0);
    EXPECT_EQ(mover.method(), c.learned);
    EXPECT_EQ(mover.move("b.jpg", "taken.jpg"), EEXIST);
    EXPECT_EQ(mover.move("c.jpg", "3.jpg"), 0);
    EXPECT_EQ(mover.method(), c.learned);

    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"1.jpg", "3.jpg", "b.jpg", "taken.jpg"}));
    EXPECT_EQ(folder.read("1.jpg"), "photo a");
    EXPECT_EQ(folder.read("b.jpg"), "photo b");
    EXPECT_EQ(folder.read("3.jpg"), "photo c");
    struct stat st {};
    ASSERT_EQ(::lstat((folder / "taken.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link under the taken name was replaced";

    EXPECT_EQ(volume.flagCalls, c.flagCalls);
    EXPECT_EQ(volume.linkCalls, c.linkCalls);
    EXPECT_EQ(volume.checkCalls, c.checkCalls);
}

// FUSE, NFS and CIFS answer the flag with EINVAL; SMB shares, exFAT and FAT refuse links.
INSTANTIATE_TEST_SUITE_P(
    Volumes, LearnedMethod,
    testing::Values(VolumeCase{"TakesEverything", 0, 0, MoveMethod::RenameNoReplace, 3, 0, 0},
                    VolumeCase{"FlagRefusedWithEinval", EINVAL, 0, MoveMethod::LinkUnlink, 1, 3, 0},
                    VolumeCase{"FlagUnknown", ENOSYS, 0, MoveMethod::LinkUnlink, 1, 3, 0},
                    VolumeCase{"FlagAndLinksRefusedWithEperm", EINVAL, EPERM, MoveMethod::CheckThenRename, 1, 1, 3},
                    VolumeCase{"LinksNotSupported", EINVAL, EOPNOTSUPP, MoveMethod::CheckThenRename, 1, 1, 3},
                    VolumeCase{"TooManyLinks", EINVAL, EMLINK, MoveMethod::CheckThenRename, 1, 1, 3}),
    [](const testing::TestParamInfo<VolumeCase> &info) { return std::string(info.param.label); });

TEST(LearnedMethod, AFailureOtherThanARefusalTeachesNothing)
{
    TempFolder folder;
    folder.write("b.jpg", "photo b");
    const platform::Folder held(folder.path());
    RefusingVolume volume(0, 0);
    platform::NoReplaceMover mover(held, MoveMethod::RenameNoReplace, volume);

    EXPECT_EQ(mover.move("missing.jpg", "1.jpg"), ENOENT);
    EXPECT_EQ(mover.move("b.jpg", "bad/name.jpg"), EINVAL) << "a name the folder cannot hold is refused first";
    EXPECT_EQ(mover.method(), MoveMethod::RenameNoReplace);
    EXPECT_EQ(volume.flagCalls, 1);
    EXPECT_EQ(volume.linkCalls, 0);
}

} // namespace
