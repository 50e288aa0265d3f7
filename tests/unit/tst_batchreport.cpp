#include "batchtestutil.h"
#include "failingmoves.h"
#include "platform/errors.h"
#include "rename/batchreport.h"
#include "rename/camerarename.h"
#include "rename/namingrules.h"
#include "rename/renameselected.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using batchtest::exifJpeg;
using batchtest::FailingCalls;
using batchtest::FakeBatchHost;
using batchtest::TempFolder;
using Names = std::vector<std::string>;
using Ending = BatchOutcome::Ending;

const std::string WhatToDo = "Those photographs are unchanged. Put right what the reasons say (another text for the "
                             "names, room on the volume, the card back in place) and rename them again.";

struct ReasonCase
{
    const char *label;
    int error;
    std::string reason;
};

class MoveFailureReason : public testing::TestWithParam<ReasonCase>
{
};

TEST_P(MoveFailureReason, IsToldInPlainWords)
{
    BatchReport report;
    report.noteMove("a.jpg", "b.jpg", GetParam().error);
    EXPECT_EQ(report.text(),
              "1 photograph kept its name.\n\"a.jpg\" could not become \"b.jpg\": " + GetParam().reason + ".\n" + WhatToDo);
}

const std::string Lost = "the medium could not be written (was it removed?)";

INSTANTIATE_TEST_SUITE_P(
    Errors, MoveFailureReason,
    testing::Values(
        ReasonCase{"reservedCharacter", EINVAL,
                   "this volume cannot hold that name (no : ? * \" < > | \\ in it, and no dot or space at its end)"},
        ReasonCase{"tooLong", ENAMETOOLONG, "the name is too long for this volume"},
        ReasonCase{"full", ENOSPC, "the volume is full"}, ReasonCase{"overQuota", EDQUOT, "the volume is full"},
        ReasonCase{"taken", EEXIST, "the name is already taken"}, ReasonCase{"ioError", EIO, Lost},
        ReasonCase{"noDevice", ENODEV, Lost}, ReasonCase{"staleShare", ESTALE, Lost},
        ReasonCase{"shareGone", ENOTCONN, Lost}, ReasonCase{"hostDown", EHOSTDOWN, Lost},
        ReasonCase{"readOnly", EROFS, "the volume is read-only"},
        ReasonCase{"denied", EACCES, "no permission to rename files in this folder"},
        ReasonCase{"notPermitted", EPERM, "no permission to rename files in this folder"},
        ReasonCase{"other", ENOENT, "the system said: " + std::system_category().message(ENOENT)}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(BatchReportText, ListsTenAndCountsTheRest)
{
    BatchReport report;
    std::string listed;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = std::to_string(i) + ".jpg";
        report.noteMove(name, "x" + name, EEXIST);
        report.noteMove("ok" + name, "fine" + name, 0);
        if (i <= 10)
            listed += "\"" + name + "\" could not become \"x" + name + "\": the name is already taken.\n";
    }
    EXPECT_EQ(report.text(), "12 photographs kept their names.\n" + listed + "and 2 more.\n" + WhatToDo);
    EXPECT_EQ(report.outcome().renamed, 12);
    EXPECT_EQ(report.outcome().keptNames, 12);
    EXPECT_EQ(report.failures().size(), 12u);
}

TEST(BatchReportText, TellsOfAFailedSyncAloneOrAfterTheFailures)
{
    BatchReport synced;
    synced.noteMove("a.jpg", "b.jpg", 0);
    synced.noteSync(0);
    EXPECT_FALSE(synced.hasNews());

    BatchReport unsynced;
    unsynced.noteMove("a.jpg", "b.jpg", 0);
    unsynced.noteSync(EIO);
    ASSERT_TRUE(unsynced.hasNews());
    const std::string syncLine = "The renames may not have reached the medium: " + Lost + ".\n";
    const std::string check = "Check the renamed photographs on the medium before you remove it or switch it off.";
    EXPECT_EQ(unsynced.text(), syncLine + check);

    unsynced.noteMove("c.jpg", "d.jpg", EIO);
    EXPECT_EQ(unsynced.text(), "1 photograph kept its name.\n\"c.jpg\" could not become \"d.jpg\": " + Lost + ".\n"
                                   + syncLine + WhatToDo + "\n" + check);
}

struct AnnouncementCase
{
    const char *label;
    BatchOutcome outcome;
    std::string text;
};

class Announcement : public testing::TestWithParam<AnnouncementCase>
{
};

TEST_P(Announcement, SaysHowTheBatchEnded)
{
    EXPECT_EQ(announcementText(GetParam().outcome), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, Announcement,
    testing::Values(
        AnnouncementCase{"one", {Ending::Finished, {}, 1, 0, 0}, "Rename finished. 1 file renamed."},
        AnnouncementCase{"someKept", {Ending::Finished, {}, 3, 2, 0},
                         "Rename finished. 3 files renamed. 2 photographs kept their names."},
        AnnouncementCase{"unsynced", {Ending::Finished, {}, 2, 0, EIO},
                         "Rename finished. 2 files renamed. The renames may not have reached the medium."},
        AnnouncementCase{"stoppedByARule", {Ending::Stopped, "a rule said so", 0, 1, 0},
                         "Rename stopped: a rule said so. 0 files renamed. 1 photograph kept its name."},
        AnnouncementCase{"stoppedByAnError", {Ending::Failed, "File access denied", 4, 0, 0},
                         "Rename stopped by an error: File access denied. 4 files renamed."}),
    [](const auto &info) { return std::string(info.param.label); });

/** A folder of photographs, a window played over it, and calls that fail what the test says. */
class ReportedBatch : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            folder.write(name, exifJpeg("2015:09:27 15:05:30"));
        host.calls = &calls;
        host.ListFiles(); // the host listed the folder before the photographs were written
        host.selectAll();
    }
    void rename(int mode)
    {
        host.setMode(mode);
        RenameSelected(host);
    }

    TempFolder folder;
    FailingCalls calls;
    FakeBatchHost host{folder.path()};
};

TEST_F(ReportedBatch, AFailedMoveIsReportedOnceAtTheEndAndTheBatchGoesOn)
{
    calls.failMovesOf("b.jpg", ENOSPC);
    rename(5);
    EXPECT_EQ(folder.entries(), (Names{"001.jpg", "003.jpg", "b.jpg"}));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0], "1 photograph kept its name.\n\"b.jpg\" could not become \"002.jpg\": "
                                    "the volume is full.\n" + WhatToDo);
    ASSERT_EQ(host.outcomes.size(), 1u);
    EXPECT_EQ(host.outcomes[0].ending, Ending::Finished);
    EXPECT_EQ(host.outcomes[0].renamed, 2);
    EXPECT_EQ(host.outcomes[0].keptNames, 1);
    EXPECT_EQ(calls.syncs, 1);
}

TEST_F(ReportedBatch, ASuccessfulBatchIsSyncedAndShowsNothingNew)
{
    rename(0);
    EXPECT_TRUE(host.informations.empty());
    EXPECT_EQ(calls.syncs, 1);
    ASSERT_EQ(host.outcomes.size(), 1u);
    EXPECT_EQ(host.outcomes[0].renamed, 3);
    EXPECT_EQ(host.outcomes[0].syncError, 0);
}

TEST_F(ReportedBatch, AFailedSyncIsReportedWhenEveryMoveSucceeded)
{
    calls.syncError = EIO;
    rename(5);
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].rfind("The renames may not have reached the medium: " + Lost + ".\n", 0), 0u);
    EXPECT_EQ(host.outcomes.at(0).syncError, EIO);
}

TEST_F(ReportedBatch, ABatchThatMovedNothingIsNotSynced)
{
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        calls.failMovesOf(name, EROFS);
    rename(5);
    EXPECT_EQ(calls.syncs, 0);
    EXPECT_EQ(folder.entries(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].substr(0, 33), "3 photographs kept their names.\n\"");
}

TEST_F(ReportedBatch, ANameTooLongForTheVolumeIsRefusedBeforeAnyMoveAndReported)
{
    host.userChecked = true;
    host.typedUserText = std::string(260, 'r');
    host.select({"a.jpg"});
    rename(5);
    EXPECT_EQ(folder.entries(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_NE(host.informations[0].find("\": the name is too long for this volume.\n"), std::string::npos);
}

TEST_F(ReportedBatch, AnErrorEndingTheBatchComesAfterTheReport)
{
    folder.write("b.jpg", exifJpeg("2015:09:27 15:05:30").substr(0, 30)); // cut inside its EXIF data
    calls.failMovesOf("a.jpg", EACCES);
    host.setMode(0);
    EXPECT_THROW(RenameSelected(host), EConvertError);
    EXPECT_EQ(folder.entries(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].rfind("1 photograph kept its name.\n\"a.jpg\"", 0), 0u);
    ASSERT_EQ(host.outcomes.size(), 1u);
    EXPECT_EQ(host.outcomes[0].ending, Ending::Failed);
    EXPECT_EQ(host.outcomes[0].why, "'$' is not a valid integer value");
}

TEST_F(ReportedBatch, ARuleThatEndsTheBatchShowsItsMessageAndThenTheReport)
{
    folder.write("2015-09-27 a.jpg", exifJpeg("2015:09:27 15:05:30"));
    folder.write("2015-09-27.jpg", exifJpeg("2015:09:27 15:05:30"));
    calls.failMovesOf("2015-09-27 a.jpg", EIO);
    host.ListFiles();
    host.select({"2015-09-27 a.jpg", "2015-09-27.jpg"});
    rename(3);
    ASSERT_EQ(host.informations.size(), 2u);
    EXPECT_EQ(host.informations[0], DateIsWholeNameMessage);
    EXPECT_EQ(host.informations[1].rfind("1 photograph kept its name.", 0), 0u);
    EXPECT_EQ(host.outcomes.at(0).ending, Ending::Stopped);
    EXPECT_EQ(calls.syncs, 0);
}

TEST_F(ReportedBatch, TheCameraReadyRenameReportsTheSameWay)
{
    calls.failMovesOf("a.jpg", EINVAL);
    CameraRename(host, CameraStyle::Lumix);
    EXPECT_EQ(folder.entries(), (Names{"P1000002.jpg", "P1000003.jpg", "a.jpg"}));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].rfind("1 photograph kept its name.\n\"a.jpg\" could not become \"P1000001.jpg\": "
                                         "this volume cannot hold that name",
                                         0),
              0u);
    EXPECT_EQ(host.outcomes.at(0).renamed, 2);
    EXPECT_EQ(calls.syncs, 1);
}

} // namespace
