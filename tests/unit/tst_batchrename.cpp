#include "batchtestutil.h"
#include "platform/errors.h"
#include "rename/namingrules.h"
#include "rename/renameselected.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using batchtest::exifJpeg;
using batchtest::FakeBatchHost;
using batchtest::notAJpeg;
using batchtest::TempFolder;
using Names = std::vector<std::string>;

const std::string Exif = "2015:09:27 15:05:30";
const std::string Stamp = "2015-09-27 15-05-30";

class BatchRename : public testing::Test
{
protected:
    /** Selects `names` (all listed files when empty), runs one batch in `mode` and returns the folder. */
    Names run(int mode, const Names &names = {})
    {
        FakeBatchHost &h = host();
        names.empty() ? h.selectAll() : h.select(names);
        h.setMode(mode);
        RenameSelected(h);
        return folder.entries();
    }
    FakeBatchHost &host()
    {
        if (!m_host)
            m_host = std::make_unique<FakeBatchHost>(folder.path());
        return *m_host;
    }
    void newHost() { m_host.reset(); }

    TempFolder folder;

private:
    std::unique_ptr<FakeBatchHost> m_host;
};

TEST_F(BatchRename, EmptySelectionTellsTheUserAndTouchesNothing)
{
    folder.write("a.jpg", exifJpeg(Exif));
    host().select({});
    RenameSelected(host());
    EXPECT_EQ(host().informations, Names{EmptySelectionMessage});
    EXPECT_EQ(folder.entries(), Names{"a.jpg"});
    EXPECT_TRUE(host().progress.empty());
    EXPECT_TRUE(host().batchList.empty());
}

TEST_F(BatchRename, DatePrefixAndSuffixAreNotAddedTwice)
{
    folder.write("holiday.jpg", exifJpeg(Exif));
    folder.write("rome.jpg", exifJpeg("2016:01:02 03:04:05"));
    EXPECT_EQ(run(0), (Names{"2015-09-27 15-05-30 holiday.jpg", "2016-01-02 03-04-05 rome.jpg"}));
    newHost();
    EXPECT_EQ(run(0), (Names{"2015-09-27 15-05-30 holiday.jpg", "2016-01-02 03-04-05 rome.jpg"}));
    newHost();
    // The suffix rule finds the prefix too: the file already carries its own date.
    EXPECT_EQ(run(1), (Names{"2015-09-27 15-05-30 holiday.jpg", "2016-01-02 03-04-05 rome.jpg"}));
}

TEST_F(BatchRename, DateSuffixTwiceAndDateOnly)
{
    folder.write("holiday.jpg", exifJpeg(Exif));
    folder.write("2014-01-01 old.jpg", exifJpeg(Exif));
    host().optionState().dateFormat = 1;
    EXPECT_EQ(run(1), (Names{"2014-01-01 old 2015-09-27.jpg", "holiday 2015-09-27.jpg"}));
    newHost();
    host().optionState().dateFormat = 1;
    EXPECT_EQ(run(1), (Names{"2014-01-01 old 2015-09-27.jpg", "holiday 2015-09-27.jpg"}));
}

TEST_F(BatchRename, WholeNameTwiceCollidesWithItselfAcrossTheBatch)
{
    folder.write("a.jpg", exifJpeg(Exif));
    folder.write("b.jpg", exifJpeg("2016:01:02 03:04:05"));
    EXPECT_EQ(run(2), (Names{"2015-09-27 15-05-30.jpg", "2016-01-02 03-04-05.jpg"}));
    newHost();
    EXPECT_EQ(run(2), (Names{"2015-09-27 15-05-30-a01.jpg", "2016-01-02 03-04-05-a02.jpg"}));
}

TEST_F(BatchRename, TwoFilesOfTheSameSecond)
{
    folder.write("a.jpg", exifJpeg(Exif));
    folder.write("b.jpg", exifJpeg(Exif));
    EXPECT_EQ(run(2), (Names{"2015-09-27 15-05-30-a01.jpg", "2015-09-27 15-05-30.jpg"}));
}

TEST_F(BatchRename, UpperCaseExtensionsAreKeptAlsoInTheSuffix)
{
    folder.write("HOLIDAY.JPG", exifJpeg(Exif));
    folder.write(Stamp + " HOLIDAY.JPG", "already there");
    EXPECT_EQ(run(0, {"HOLIDAY.JPG"}), (Names{Stamp + " HOLIDAY-a01.JPG", Stamp + " HOLIDAY.JPG"}));
    EXPECT_EQ(folder.read(Stamp + " HOLIDAY.JPG"), "already there");
}

TEST_F(BatchRename, NonJpegInTheMiddleIsToldOnceAndSkipped)
{
    folder.write("a.jpg", exifJpeg(Exif));
    folder.write("b.jpg", notAJpeg());
    folder.write("c.jpg", exifJpeg("2016:01:02 03:04:05"));
    EXPECT_EQ(run(0), (Names{"2015-09-27 15-05-30 a.jpg", "2016-01-02 03-04-05 c.jpg", "b.jpg"}));
    EXPECT_EQ(host().refusals, Names{"Not a valid JPEG image"});
    EXPECT_EQ(host().progress, (std::vector<int>{0, 50, 100}));
}

TEST_F(BatchRename, SkippedFileRaisesNoCounter)
{
    folder.write("a.jpg", exifJpeg(Exif));
    folder.write("b 2015-09-27.jpg", exifJpeg(Exif));
    folder.write("c.jpg", exifJpeg(Exif));
    folder.write(Stamp + " c.jpg", "taken");
    EXPECT_EQ(run(0, {"a.jpg", "b 2015-09-27.jpg", "c.jpg"}),
              (Names{Stamp + " a.jpg", Stamp + " c-a01.jpg", Stamp + " c.jpg", "b 2015-09-27.jpg"}));
}

TEST_F(BatchRename, RemoveDateTable)
{
    folder.write("2015-09-27 15-05-30 holiday.jpg", exifJpeg(Exif));
    folder.write("Rome 2015-09-27 x.jpg", exifJpeg(Exif));
    folder.write("more 2015-09-27 15-05-30.jpg", exifJpeg(Exif));
    EXPECT_EQ(run(3), (Names{"Romex.jpg", "holiday.jpg", "more.jpg"}));
    EXPECT_TRUE(host().informations.empty());
}

TEST_F(BatchRename, RemoveDateFailedMoveStillMovesTheCounterOn)
{
    folder.write("2015-09-27 15-05-30 holiday.jpg", exifJpeg(Exif));
    folder.write("holiday.jpg", "first");
    folder.write("holiday-a01.jpg", "second");
    folder.write("x 2015-09-27.jpg", exifJpeg(Exif));
    folder.write("x.jpg", "third");
    EXPECT_EQ(run(3, {"2015-09-27 15-05-30 holiday.jpg", "x 2015-09-27.jpg"}),
              (Names{"2015-09-27 15-05-30 holiday.jpg", "holiday-a01.jpg", "holiday.jpg", "x-a02.jpg", "x.jpg"}));
    EXPECT_EQ(folder.read("holiday-a01.jpg"), "second");
    EXPECT_EQ(host().progress, (std::vector<int>{0, 100}));
}

TEST_F(BatchRename, RemoveDateEndsSilentlyAtANameWithoutTheDate)
{
    folder.write("a 2015-09-27.jpg", exifJpeg(Exif));
    folder.write("b.jpg", exifJpeg(Exif));
    folder.write("c 2015-09-27.jpg", exifJpeg(Exif));
    EXPECT_EQ(run(3), (Names{"a.jpg", "b.jpg", "c 2015-09-27.jpg"}));
    EXPECT_TRUE(host().informations.empty());
    EXPECT_EQ(host().progress, std::vector<int>{0});
}

TEST_F(BatchRename, RemoveDateEndsWithAMessageWhenTheDateIsTheWholeName)
{
    folder.write("0 2015-09-27.jpg", exifJpeg(Exif));
    folder.write("b 2015-09-28 15-05-31.jpg", exifJpeg(Exif)); // another day: ends silently
    folder.write(Stamp + ".jpg", exifJpeg(Exif));
    const Names after{"0.jpg", Stamp + ".jpg", "b 2015-09-28 15-05-31.jpg"};
    EXPECT_EQ(run(3, {"0 2015-09-27.jpg", Stamp + ".jpg", "b 2015-09-28 15-05-31.jpg"}), after);
    EXPECT_EQ(host().informations, Names{DateIsWholeNameMessage});
    EXPECT_EQ(host().progress, std::vector<int>{0});
    newHost();
    EXPECT_EQ(run(3, {"b 2015-09-28 15-05-31.jpg"}), after);
    EXPECT_TRUE(host().informations.empty());
}

TEST_F(BatchRename, UserTextAndSeparator)
{
    folder.write("a.jpg");
    folder.write("b.jpg");
    host().userChecked = true;
    host().typedUserText = " ";
    EXPECT_EQ(run(4), (Names{"01.jpg", "02.jpg"}));

    newHost();
    host().userChecked = true;
    host().typedUserText = " Rome";
    EXPECT_EQ(run(5), (Names{"001  Rome.jpg", "002  Rome.jpg"}));

    newHost();
    host().userChecked = false;
    host().typedUserText = "ignored";
    host().optionState().numbersAfterText = 1;
    EXPECT_EQ(run(6), (Names{"0001.jpg", "0002.jpg"}));
}

TEST_F(BatchRename, NumbersOutgrowTheirWidthAndStartNumberIsReadForEveryFile)
{
    folder.write("a.jpg");
    folder.write("b.jpg");
    folder.write("c.jpg");
    host().pickers = {"0", "0", "9", "9"};
    EXPECT_EQ(run(4), (Names{"100.jpg", "101.jpg", "99.jpg"}));
    EXPECT_EQ(host().startNumberCalls, 3);
    EXPECT_EQ(host().optionState().startNumber, 99);
}

TEST_F(BatchRename, NumbersAddedToNames)
{
    folder.write("a.jpg");
    folder.write("B.JPG");
    host().pickers = {"1", "2", "3", "4"};
    EXPECT_EQ(run(8), (Names{"234 a.jpg", "235 B.JPG"}));
    newHost();
    host().optionState().numberSuffix = 1;
    EXPECT_EQ(run(7), (Names{"234 a 01.jpg", "235 B 02.JPG"}));
}

TEST_F(BatchRename, BadPickerEndsTheBatchAtThatFile)
{
    folder.write("a.jpg");
    folder.write("b.jpg");
    folder.write("c.jpg");
    struct TurningBad : FakeBatchHost
    {
        using FakeBatchHost::FakeBatchHost;
        int32_t StartNumber(int width) override
        {
            if (startNumberCalls == 2)
                pickers[3] = "x";
            return FakeBatchHost::StartNumber(width);
        }
    } h(folder.path());
    h.selectAll();
    h.setMode(5);
    try {
        RenameSelected(h);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_EQ(folder.entries(), (Names{"001.jpg", "002.jpg", "c.jpg"}));
    EXPECT_EQ(h.progress, (std::vector<int>{0, 50}));
    // The list was brought up to date for the error box, and deferral is over.
    EXPECT_FALSE(h.stale);
    EXPECT_FALSE(h.deferred);
    EXPECT_EQ(h.lines(), (Names{"001.jpg", "002.jpg", "c.jpg"}));
}

TEST_F(BatchRename, NumbersBeyondThirtyTwoBitsAreRejectedBeforeAnythingMoves)
{
    folder.write("a.jpg");
    folder.write("b.jpg");
    host().pickers = {"0", "0", "0", "2147483647"};
    try {
        run(6);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'2147483647' is not a valid integer value");
    }
    EXPECT_EQ(folder.entries(), (Names{"a.jpg", "b.jpg"}));

    // One file still fits.
    newHost();
    host().pickers = {"0", "0", "0", "2147483647"};
    EXPECT_EQ(run(6, {"a.jpg"}), (Names{"2147483647.jpg", "b.jpg"}));
}

TEST_F(BatchRename, CaptureReadFailureEndsTheBatchWithEarlierRenamesKept)
{
    folder.write("a.jpg", exifJpeg(Exif));
    folder.write("b.jpg", exifJpeg(Exif).substr(0, 30)); // cut inside its TIFF header
    folder.write("c.jpg", exifJpeg(Exif));
    EXPECT_THROW(run(0), EConvertError);
    EXPECT_EQ(folder.entries(), (Names{Stamp + " a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_FALSE(host().stale);
    EXPECT_FALSE(host().deferred);
}

TEST_F(BatchRename, SnapshotProgressAndListAfterTheBatch)
{
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg", "h.jpg", "i.jpg", "j.jpg"})
        folder.write(name);
    folder.write("notes.txt");
    run(9, {"b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg", "h.jpg", "i.jpg", "j.jpg"});
    EXPECT_EQ(host().batchList, (Names{"b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg", "h.jpg", "i.jpg", "j.jpg"}));
    EXPECT_EQ(host().progress, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    // The list shows the folder as a re-read after every file would, with nothing selected,
    // yet the folder was read once for the whole batch.
    EXPECT_EQ(host().lines(), (Names{"0001 b.jpg", "0002 c.jpg", "0003 d.jpg", "0004 e.jpg", "0005 f.jpg",
                                     "0006 g.jpg", "0007 h.jpg", "0008 i.jpg", "0009 j.jpg", "a.jpg"}));
    EXPECT_TRUE(host().selected().empty());
    EXPECT_EQ(host().listFilesCalls, 9);
    EXPECT_EQ(host().rereads, 2); // at the host's start and once at the batch's end
    EXPECT_FALSE(host().deferred);
}

TEST_F(BatchRename, OneFileLeavesTheProgressBarAlone)
{
    folder.write("a.jpg");
    EXPECT_EQ(run(5), Names{"001.jpg"});
    EXPECT_TRUE(host().progress.empty());
}

TEST_F(BatchRename, UserTextCannotMoveAPhotoOutOfItsFolder)
{
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    ::mkdir((folder / "01 x").c_str(), 0755);
    host().userChecked = true;
    host().typedUserText = "x/y";
    // Without the check, "01 x/y.jpg" would move a.jpg into the folder "01 x".
    EXPECT_EQ(run(4, {"a.jpg", "b.jpg"}), (Names{"01 x", "a.jpg", "b.jpg"}));
    EXPECT_TRUE(folder.entries("01 x").empty());
    EXPECT_EQ(host().progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(host().listFilesCalls, 2); // treated as failed moves: the list is still re-read
}

TEST_F(BatchRename, TooLongANameIsAFailedMoveNotACutOne)
{
    folder.write("a.jpg");
    folder.write("b.jpg");
    host().userChecked = true;
    host().typedUserText = std::string(250, 'r');
    host().optionState().numbersAfterText = 1;
    EXPECT_EQ(run(4), (Names{"a.jpg", "b.jpg"}));
}

struct Obstacle
{
    const char *label;
    void (*make)(const TempFolder &folder, const std::string &name);
    std::optional<VolumeNeed> need = {};
};

class EntryThatIsNoFile : public BatchRename, public testing::WithParamInterface<Obstacle>
{
};

// A folder, or a link that leads nowhere, under the new name is no collision: the file keeps
// its name without raising the counter, and the next real collision gets -a01. The name is
// tested only when the move is refused, so this is where the test after the refusal must
// come to what the test before the move would have said.
TEST_P(EntryThatIsNoFile, TakesTheNameWithoutCountingAsACollision)
{
    if (GetParam().need) {
        SKIP_WHERE_VOLUME_LACKS(*GetParam().need);
    }
    folder.write("a.jpg", "photo a");
    folder.write("b.jpg", "photo b");
    folder.write("002.jpg", "taken");
    GetParam().make(folder, "001.jpg");
    const Names after = run(5, {"a.jpg", "b.jpg"});
    EXPECT_EQ(after, (Names{"001.jpg", "002-a01.jpg", "002.jpg", "a.jpg"}));
    EXPECT_EQ(folder.read("a.jpg"), "photo a");
    EXPECT_EQ(folder.read("002-a01.jpg"), "photo b");
    EXPECT_EQ(folder.read("002.jpg"), "taken");
    EXPECT_EQ(host().listFilesCalls, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryThatIsNoFile,
    testing::Values(Obstacle{"folder", [](const TempFolder &f, const std::string &name) { ::mkdir((f / name).c_str(), 0755); }},
                    Obstacle{"danglingLink",
                             [](const TempFolder &f, const std::string &name) {
                                 ASSERT_EQ(::symlink((f / "gone.jpg").c_str(), (f / name).c_str()), 0);
                             },
                             VolumeNeed::Symlinks}),
    [](const testing::TestParamInfo<Obstacle> &info) { return std::string(info.param.label); });

struct UnsafeDate
{
    const char *label;
    std::string dateText;
};

class UnsafeCameraDate : public BatchRename, public testing::WithParamInterface<UnsafeDate>
{
};

// A camera's date text may hold a "/" or a NUL byte beside its four separators. Whether the
// reader passes such bytes on or makes them safe, the photo must neither leave its folder
// nor lose the end of its name.
TEST_P(UnsafeCameraDate, NeverMovesOutOfTheFolderNorCutsTheName)
{
    ::mkdir((folder / "20").c_str(), 0755);
    folder.write("a.jpg", exifJpeg(GetParam().dateText));
    std::string stamp;
    FakeBatchHost probe(folder.path());
    ASSERT_TRUE(ReadCaptureDate(folder / "a.jpg", stamp, probe));
    const bool unsafe = stamp.find('/') != std::string::npos || stamp.find('\0') != std::string::npos;

    for (int mode : {0, 1, 2}) {
        newHost();
        const std::string photo = host().lines().at(0);
        const Names after = run(mode, {photo});
        EXPECT_TRUE(folder.entries("20").empty()) << "mode " << mode;
        ASSERT_EQ(after.size(), 2u) << "mode " << mode;
        const std::string renamed = after[0] == "20" ? after[1] : after[0];
        if (unsafe) {
            EXPECT_EQ(renamed, "a.jpg") << "mode " << mode;
        }
        EXPECT_EQ(renamed.substr(renamed.size() - 4), ".jpg") << "mode " << mode;
        EXPECT_EQ(renamed.find('/'), std::string::npos);
        EXPECT_EQ(folder.read(renamed), exifJpeg(GetParam().dateText));
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, UnsafeCameraDate,
                         testing::Values(UnsafeDate{"slash", "20/5:09:27 15:05:30"},
                                         UnsafeDate{"nul", std::string("2015:09:27 15:05\0\0\0", 19)}),
                         [](const testing::TestParamInfo<UnsafeDate> &info) { return std::string(info.param.label); });

} // namespace
