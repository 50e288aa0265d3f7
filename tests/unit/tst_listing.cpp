// Listing a folder: the platform's entries, the file list's mask, hiding and order.
#include "browser/collation.h"
#include "browser/filelisting.h"
#include "browsertestutil.h"
#include "platform/caseflags.h"
#include "platform/listing.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const platform::DirEntry *findEntry(const std::vector<platform::DirEntry> &entries, const std::string &name)
{
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

TEST(PlatformListing, ReportsKindHiddenAndReadOnlyOfEachEntry)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::Symlinks);
    TemporaryFolder tree;
    tree.file("photo.jpg");
    tree.file(".secret.jpg");
    tree.folder("album");
    tree.folder(".cache");
    tree.file("locked.jpg");
    ::chmod(tree.path("locked.jpg").c_str(), 0444);
    std::filesystem::create_directory_symlink(tree.path("album"), tree.path("link-to-album"));
    std::filesystem::create_symlink(tree.path("gone"), tree.path("dangling.jpg"));

    const auto entries = platform::listEntries(tree.path(), platform::EntryDetail::WithReadOnly);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_FALSE(findEntry(entries, "."));
    EXPECT_FALSE(findEntry(entries, ".."));

    struct Expected
    {
        const char *name;
        bool isFolder, hidden, readOnly;
    };
    for (const Expected &e : {Expected{"photo.jpg", false, false, false}, {".secret.jpg", false, true, false},
                              {"album", true, false, false}, {".cache", true, true, false},
                              {"locked.jpg", false, false, true}, {"link-to-album", true, false, false},
                              {"dangling.jpg", false, false, false}}) {
        const platform::DirEntry *entry = findEntry(entries, e.name);
        ASSERT_TRUE(entry) << e.name;
        EXPECT_EQ(entry->isFolder, e.isFolder) << e.name;
        EXPECT_EQ(entry->hidden, e.hidden) << e.name;
        EXPECT_EQ(entry->readOnly, e.readOnly) << e.name;
    }
}

TEST(PlatformListing, AFolderThatCannotBeListedGivesNothing)
{
    TemporaryFolder tree;
    EXPECT_TRUE(platform::listEntries(tree.path("missing")).empty());
    EXPECT_TRUE(platform::listEntries(tree.file("plain.jpg")).empty());
    EXPECT_TRUE(platform::listEntries("").empty());
}

TEST(PlatformListing, KeepsNamesAsBytes)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::AnyNameBytes);
    TemporaryFolder tree;
    const std::string latin1 = "caf\xe9.jpg"; // not UTF-8
    tree.file(latin1);
    const auto entries = platform::listEntries(tree.path());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, latin1);
}

TEST(PlatformCaseFlags, UsualLinuxFileSystemsAreCaseSensitive)
{
    SKIP_WHERE_VOLUME_LACKS(VolumeNeed::CaseDistinction);
    TemporaryFolder tree;
    const platform::CaseFlags flags = platform::volumeCaseFlags(tree.path());
    EXPECT_TRUE(flags.caseSensitive);
    EXPECT_TRUE(flags.preservesCase);
    // A path that cannot be asked about is taken as case-sensitive too.
    EXPECT_TRUE(platform::volumeCaseFlags(tree.path("missing")).caseSensitive);
}

struct MaskCase
{
    const char *name;
    const char *mask;
    bool matches;
};

class MaskTest : public testing::TestWithParam<MaskCase>
{
};

TEST_P(MaskTest, MatchesWithoutRegardToCase)
{
    const MaskCase &c = GetParam();
    EXPECT_EQ(matchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTest,
    testing::Values(MaskCase{"a.jpg", "*.jpg", true}, MaskCase{"IMG_0001.JPG", "*.jpg", true},
                    MaskCase{"x.JpG", "*.jpg", true}, MaskCase{".jpg", "*.jpg", true},
                    MaskCase{"a.jpeg", "*.jpg", false}, MaskCase{"a.jpgx", "*.jpg", false},
                    MaskCase{"a.jpg.txt", "*.jpg", false}, MaskCase{"jpg", "*.jpg", false},
                    MaskCase{"a.b.jpg", "*.jpg", true}, MaskCase{"noext", "*.*", true},
                    MaskCase{"a.png", "*.jpg;*.png", true}, MaskCase{"a.gif", "*.jpg;*.png", false},
                    MaskCase{"ab.jpg", "a?.jpg", true}, MaskCase{"abc.jpg", "a?.jpg", false},
                    MaskCase{"a.jpg", ";;*.JPG", true}, MaskCase{"caf\xe9.jpg", "*.jpg", true}));

TEST(FileGlyph, ProgramFilesGetTheirOwnGlyph)
{
    for (const char *name : {"a.exe", "B.COM", "c.Bat", "d.pif"})
        EXPECT_EQ(fileGlyph(name), LineGlyph::Executable) << name;
    for (const char *name : {"a.jpg", "exe", "a.exe.jpg", "a.bat~"})
        EXPECT_EQ(fileGlyph(name), LineGlyph::UnknownFile) << name;
}

TEST(ListMatchingFiles, ListsExactlyTheVisibleMatchingFiles)
{
    TemporaryFolder tree;
    for (const char *name : {"b.jpg", "A.JPG", "c.Jpg", "notes.txt", "d.jpeg", ".hidden.jpg", "ro.jpg"})
        tree.file(name);
    ::chmod(tree.path("ro.jpg").c_str(), 0444);
    tree.folder("folder.jpg");
    tree.folder("sub");
    tree.file("sub/deep.jpg");

    EXPECT_EQ(listMatchingFiles(tree.path(), "*.jpg"),
              (std::vector<std::string>{"A.JPG", "b.jpg", "c.Jpg", "ro.jpg"}));
    EXPECT_TRUE(listMatchingFiles(tree.path("missing"), "*.jpg").empty());
}

TEST(ListMatchingFiles, SignalsOnceWhenTheListingGrowsPastAHundredLines)
{
    TemporaryFolder tree;
    for (int i = 0; i < 100; ++i)
        tree.file("p" + std::to_string(i) + ".jpg");
    int calls = 0;
    listMatchingFiles(tree.path(), "*.jpg", [&calls] { ++calls; });
    EXPECT_EQ(calls, 0);
    tree.file("p100.jpg");
    tree.file("p101.jpg");
    tree.file("skipped.txt");
    EXPECT_EQ(listMatchingFiles(tree.path(), "*.jpg", [&calls] { ++calls; }).size(), 102u);
    EXPECT_EQ(calls, 1);
}

TEST(Collation, IgnoresCaseAndBreaksTiesByBytes)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    std::vector<std::string> names{"b.jpg", "B.jpg", "a.jpg", "C.jpg", "A.JPG", "_x.jpg", "10.jpg", "9.jpg"};
    sortNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"10.jpg", "9.jpg", "_x.jpg", "A.JPG", "a.jpg", "B.jpg", "b.jpg",
                                               "C.jpg"}));
    // The order does not depend on the order the names came in.
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    sortNames(reversed);
    EXPECT_EQ(reversed, names);
}

TEST(Collation, NamesThatDoNotDecodeStillSortAndStayDistinct)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    std::vector<std::string> names{"z.jpg", "caf\xe9.jpg", "caf\xe8.jpg", "caf\xc3\xa9.jpg", "cafe.jpg"};
    sortNames(names);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names.front(), "cafe.jpg");
    EXPECT_EQ(names.back(), "z.jpg");
    EXPECT_LT(std::find(names.begin(), names.end(), "caf\xe8.jpg"), std::find(names.begin(), names.end(), "caf\xe9.jpg"));
}

TEST(Collation, FollowsTheLocalesAlphabet)
{
    {
        ScopedLocale locale("en_US.UTF-8");
        if (!locale.ok())
            GTEST_SKIP() << "locale en_US.UTF-8 is not installed";
        std::vector<std::string> names{"f", "\xc3\x89t\xc3\xa9", "e", "Z", "\xc3\xa4"};
        sortNames(names);
        EXPECT_EQ(names, (std::vector<std::string>{"\xc3\xa4", "e", "\xc3\x89t\xc3\xa9", "f", "Z"}));
    }
    ScopedLocale swedish("sv_SE.UTF-8");
    if (!swedish.ok())
        GTEST_SKIP() << "locale sv_SE.UTF-8 is not installed";
    // In Swedish, "ä" comes after "z".
    std::vector<std::string> names{"\xc3\xa4.jpg", "Z.jpg", "a.jpg"};
    sortNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "Z.jpg", "\xc3\xa4.jpg"}));
}

TEST(Collation, ComparesTextsWithoutRegardToCase)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_TRUE(equalIgnoringCase("/Photos/Summer", "/photos/SUMMER"));
    EXPECT_TRUE(equalIgnoringCase("/\xc3\x84pfel", "/\xc3\xa4pfel"));
    EXPECT_FALSE(equalIgnoringCase("/photos", "/photos2"));
}

} // namespace
