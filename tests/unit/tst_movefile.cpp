#include "batchtestutil.h"
#include "platform/folder.h"
#include "platform/movefile.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using batchtest::TempFolder;
using platform::MoveMethod;

// The rows of a table are named and printed by their labels.
struct ByLabel
{
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case> &info) const
    {
        return info.param.label;
    }
};

template <class Case>
    requires requires(const Case &c) { c.label; }
void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.label;
}

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
    ByLabel());

class MoveByEachMethod : public testing::TestWithParam<MoveMethod>
{
protected:
    /** One move by a fresh mover that starts with the method under test. */
    static int move(const platform::Folder &folder, const std::string &from, const std::string &to)
    {
        return platform::NoReplaceMover(folder, GetParam()).moveUnchecked(from, to);
    }
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

    EXPECT_EQ(move(held, "a.jpg", "b.jpg"), EEXIST);
    EXPECT_EQ(move(held, "a.jpg", "a.jpg"), EEXIST);
    EXPECT_EQ(folder.read("moved/a.jpg"), "photo a");
    EXPECT_EQ(folder.read("moved/b.jpg"), "photo b");

    EXPECT_EQ(move(held, "a.jpg", "c.jpg"), 0);
    EXPECT_EQ(folder.entries("moved"), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(folder.read("moved/c.jpg"), "photo a");
    EXPECT_EQ(move(held, "missing.jpg", "d.jpg"), ENOENT);

    const platform::Folder gone(folder / "in");
    EXPECT_EQ(move(gone, "c.jpg", "d.jpg"), ENOENT);
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

    EXPECT_EQ(move(held, "a.jpg", "b.jpg"), EEXIST);
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    struct stat st {};
    ASSERT_EQ(::lstat((folder / "b.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Methods, MoveByEachMethod,
                         testing::Values(MoveMethod::RenameNoReplace, MoveMethod::LinkUnlink,
                                         MoveMethod::CheckThenRename));

TEST(NoReplaceMove, RefusesNamesOutsideTheFolderAndTakenNamesAndMovesWithinIt)
{
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    ::mkdir((folder / "2015").c_str(), 0755);
    ::mkdir((folder / "c.jpg").c_str(), 0755);
    const platform::Folder held(folder.path());
    EXPECT_EQ(held.nameMax(), 255);
    const auto move = [&held](const std::string &from, const std::string &to) {
        return platform::NoReplaceMover(held).move(from, to);
    };

    for (const std::string &bad : {std::string("2015/09-27 a.jpg"), std::string("../a.jpg"),
                                   std::string("2015\0 a.jpg", 11), std::string(300, 'x'), std::string(".."),
                                   std::string()}) {
        EXPECT_EQ(move("a.jpg", bad), bad.size() > 255 ? ENAMETOOLONG : EINVAL);
        EXPECT_FALSE(platform::fileExistsIn(held, bad));
    }
    EXPECT_EQ(move("a.jpg", "b.jpg"), EEXIST);
    EXPECT_NE(move("a.jpg", "c.jpg"), 0);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"2015", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(folder.entries("2015").empty());
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("b.jpg"), "photo b");

    EXPECT_TRUE(platform::fileExistsIn(held, "a.jpg"));
    EXPECT_FALSE(platform::fileExistsIn(held, "c.jpg")) << "a folder does not count";
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::CaseDistinction); // after the checks that hold on any volume
    EXPECT_FALSE(platform::fileExistsIn(held, "A.JPG"));
    EXPECT_EQ(move("a.jpg", "A.JPG"), 0);
    EXPECT_EQ(folder.read("A.JPG"), "photo a");
}

TEST(JoinPath, PutsOneSlashBetweenFolderAndNameAlsoAtTheRoot)
{
    EXPECT_EQ(platform::joinPath("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(platform::joinPath("/tmp", "a.jpg"), "/tmp/a.jpg");
}

TEST(FileExistsIn, FindsOnlyFilesOfTheWorkingFolderByTheirBareName)
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

// The calls a move is made of, for a volume's answers about one name.
enum class Call { Flag, Link, Unlink, Check, Rename };

// A volume that refuses the rename flag and hard links the way some real ones do, fails single
// calls about single names the way a card or a share can, and counts the calls; every call it
// does not refuse or fail is the real one.
class RefusingVolume : public platform::MoveCalls
{
public:
    RefusingVolume(int flagRefusal, int linkRefusal) : m_flagRefusal(flagRefusal), m_linkRefusal(linkRefusal) {}

    /** `call` about `name` (the new name; the name taken away for Unlink) fails with `err`. */
    void fail(Call call, const std::string &name, int err) { m_failures[{call, name}] = err; }

    int renameNoReplace(int folder, const char *from, const char *to) override
    {
        ++flagCalls;
        if (const int err = failure(Call::Flag, to, m_flagRefusal))
            return refuse(err);
        return MoveCalls::renameNoReplace(folder, from, to);
    }
    int link(int folder, const char *from, const char *to) override
    {
        ++linkCalls;
        if (const int err = failure(Call::Link, to, m_linkRefusal))
            return refuse(err);
        return MoveCalls::link(folder, from, to);
    }
    int unlink(int folder, const char *name) override
    {
        if (const int err = failure(Call::Unlink, name, 0))
            return refuse(err);
        return MoveCalls::unlink(folder, name);
    }
    int statAt(int folder, const char *name, struct stat *st, int flags) override
    {
        ++checkCalls;
        if (const int err = failure(Call::Check, name, 0))
            return refuse(err);
        return MoveCalls::statAt(folder, name, st, flags);
    }
    int rename(int folder, const char *from, const char *to) override
    {
        ++renameCalls;
        if (const int err = failure(Call::Rename, to, 0))
            return refuse(err);
        return MoveCalls::rename(folder, from, to);
    }

    int flagCalls = 0, linkCalls = 0, checkCalls = 0, renameCalls = 0;

private:
    int failure(Call call, const std::string &name, int volumeRefusal) const
    {
        const auto one = m_failures.find({call, name});
        return one != m_failures.end() ? one->second : volumeRefusal;
    }
    static int refuse(int err)
    {
        errno = err;
        return -1;
    }
    int m_flagRefusal, m_linkRefusal;
    std::map<std::pair<Call, std::string>, int> m_failures;
};

struct VolumeCase
{
    const char *label;
    int flagRefusal; // 0: the volume takes the flag
    int linkRefusal; // 0: the volume takes hard links
    MoveMethod learned;
    int flagCalls, linkCalls, checkCalls; // over the three moves below
};

class LearnedMethod : public testing::TestWithParam<VolumeCase>
{
};

/** What the real volume must take for a case whose volume takes the flag or, failing that, hard links. */
std::optional<VolumeNeed> methodTheVolumeTakes(int flagRefusal, int linkRefusal)
{
    if (flagRefusal == 0)
        return VolumeNeed::RenameNoReplace;
    if (linkRefusal == 0)
        return VolumeNeed::HardLinks;
    return std::nullopt;
}

// Three moves of one batch: one that works, one onto a taken name (a link that leads
// nowhere), one that works. The volume's refusals are learned at the first move and never
// tried again; a taken name teaches nothing.
TEST_P(LearnedMethod, IsLearnedAtTheFirstMoveAndKept)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Symlinks);
    const VolumeCase &c = GetParam();
    if (const auto need = methodTheVolumeTakes(c.flagRefusal, c.linkRefusal)) {
        SKIP_WHERE_VOLUME_LACKS(*need);
    }
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
    ByLabel());

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

struct Failure
{
    Call call;
    int err;
};

struct OneFileCase
{
    const char *label;
    int flagRefusal, linkRefusal; // the volume's, as above
    const char *name;             // the one new name that the volume fails
    std::vector<Failure> failures;
    int err;                      // what its move gives: 0 when a later method moved it
    MoveMethod kept;
    int flagCalls, linkCalls, checkCalls; // over the three moves below
};

using OneFilesRefusal = testing::TestWithParam<OneFileCase>;

// A reserved character in one name, a file that fs.protected_hardlinks keeps from being
// linked, a file with too many links: one file's answer, on a volume that takes the method.
// The file is moved by a later method or keeps its name with the volume's own reason; the
// files after it still use the method the volume takes.
TEST_P(OneFilesRefusal, TeachesNothingAndLaterFilesKeepTheMethod)
{
    const OneFileCase &c = GetParam();
    if (const auto need = methodTheVolumeTakes(c.flagRefusal, c.linkRefusal)) {
        SKIP_WHERE_VOLUME_LACKS(*need);
    }
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> moves{{"a.jpg", "1.jpg"}, {"b.jpg", "2.jpg"},
                                                                 {"c.jpg", "3.jpg"}};
    RefusingVolume volume(c.flagRefusal, c.linkRefusal);
    for (const Failure &failure : c.failures)
        volume.fail(failure.call, c.name, failure.err);
    const platform::Folder held(folder.path());
    platform::NoReplaceMover mover(held, MoveMethod::RenameNoReplace, volume);

    std::map<std::string, std::string> expected; // name afterwards: content
    for (const auto &[from, to] : moves) {
        folder.write(from, "photo " + from);
        const bool theOne = to == c.name;
        EXPECT_EQ(mover.move(from, to), theOne ? c.err : 0) << from;
        expected[theOne && c.err != 0 ? from : to] = "photo " + from;
    }
    EXPECT_EQ(mover.method(), c.kept);

    std::vector<std::string> names;
    for (const auto &[name, content] : expected) {
        names.push_back(name);
        EXPECT_EQ(folder.read(name), content);
    }
    EXPECT_EQ(folder.entries(), names);
    EXPECT_EQ(volume.flagCalls, c.flagCalls);
    EXPECT_EQ(volume.linkCalls, c.linkCalls);
    EXPECT_EQ(volume.checkCalls, c.checkCalls);
}

// vfat takes the flag and refuses links; shares and FUSE volumes refuse the flag and may take links.
INSTANTIATE_TEST_SUITE_P(
    Volumes, OneFilesRefusal,
    testing::Values(
        OneFileCase{"ReservedCharacterWhereTheFlagWorks", 0, EPERM, "2.jpg", {{Call::Flag, EINVAL}, {Call::Rename, EINVAL}},
                    EINVAL, MoveMethod::RenameNoReplace, 3, 1, 1},
        OneFileCase{"ReservedCharacterInTheFirstName", 0, EPERM, "1.jpg", {{Call::Flag, EINVAL}, {Call::Rename, EINVAL}},
                    EINVAL, MoveMethod::RenameNoReplace, 3, 1, 1},
        OneFileCase{"ProtectedHardLinkWhereLinksWork", EINVAL, 0, "2.jpg", {{Call::Link, EPERM}}, 0,
                    MoveMethod::LinkUnlink, 1, 3, 1},
        OneFileCase{"TooManyLinksOfOneFile", EINVAL, 0, "2.jpg", {{Call::Link, EMLINK}}, 0, MoveMethod::LinkUnlink, 1, 3,
                    1}),
    ByLabel());

struct FailedMoveCase
{
    const char *label;
    int flagRefusal, linkRefusal; // the volume's, as above
    const char *newName;          // "free.jpg", or "taken.jpg", which stands in the folder
    Call call;                    // the one call that fails, about the new name (Unlink: the old one)
    int callErr;
    int err;                      // what the move gives
};

using FailedMove = testing::TestWithParam<FailedMoveCase>;

// A move that fails leaves the folder as it was, the file under its one old name and every
// other file untouched; it gives the volume's reason, not a method's refusal on the way; and
// it teaches nothing.
TEST_P(FailedMove, LeavesTheFolderAsItWasAndTellsTheVolumesReason)
{
    const FailedMoveCase &c = GetParam();
    if (c.flagRefusal != 0 && c.linkRefusal == 0) { // moved by a hard link on the real volume
        SKIP_WHERE_VOLUME_LACKS(VolumeNeed::HardLinks);
    }
    TempFolder folder;
    folder.write("a.jpg", "photo a");
    folder.write("taken.jpg", "photo t");
    RefusingVolume volume(c.flagRefusal, c.linkRefusal);
    volume.fail(c.call, c.call == Call::Unlink ? "a.jpg" : c.newName, c.callErr);
    const platform::Folder held(folder.path());
    platform::NoReplaceMover mover(held, MoveMethod::RenameNoReplace, volume);

    EXPECT_EQ(mover.move("a.jpg", c.newName), c.err);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.jpg", "taken.jpg"}));
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("taken.jpg"), "photo t");
    EXPECT_EQ(mover.method(), MoveMethod::RenameNoReplace);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, FailedMove,
    testing::Values(FailedMoveCase{"FullVolume", 0, 0, "free.jpg", Call::Flag, ENOSPC, ENOSPC},
                    FailedMoveCase{"PulledCard", 0, 0, "free.jpg", Call::Flag, EIO, EIO},
                    FailedMoveCase{"ReservedCharacterWhereNeitherFlagNorLinksWork", EINVAL, EPERM, "free.jpg", Call::Rename,
                                   EINVAL, EINVAL},
                    FailedMoveCase{"TakenWhereNeitherFlagNorLinksWork", EINVAL, EPERM, "taken.jpg", Call::Check, 0, EEXIST},
                    FailedMoveCase{"OldNameStaysAfterTheLink", EINVAL, 0, "free.jpg", Call::Unlink, EIO, EIO},
                    FailedMoveCase{"CheckFailsOnAShare", EINVAL, EPERM, "free.jpg", Call::Check, EIO, EIO},
                    FailedMoveCase{"CheckFailsWhereTheNameIsTaken", EINVAL, EPERM, "taken.jpg", Call::Check, EIO, EIO}),
    ByLabel());

} // namespace
