#include "batchtestutil.h"
#include "failingmoves.h"
#include "platform/errors.h"
#include "rename/camerarename.h"
#include "rename/namingrules.h"
#include "rename/renameselected.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using batchtest::exifJpeg;
using Names = std::vector<std::string>;
using Ending = BatchOutcome::Ending;

const std::string WhatToDo = "Those photographs are unchanged. Put right what the reasons say (another text for the "
                             "names, room on the volume, the card back in place) and rename them again.";
const std::string Lost = "the medium could not be written (was it removed?)";
const std::string Reserved = "this volume cannot hold that name (no / : ? * \" < > | \\ in it, and no dot or space at its end)";

using MoveFailureReason = testing::TestWithParam<std::pair<int, std::string>>;

TEST_P(MoveFailureReason, IsToldInPlainWords)
{
    BatchReport report;
    report.noteMove("a.jpg", "b.jpg", GetParam().first);
    EXPECT_EQ(report.text(),
              "1 photograph kept its name.\n\"a.jpg\" could not become \"b.jpg\": " + GetParam().second + ".\n" + WhatToDo);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, MoveFailureReason,
    testing::Values(std::pair{EINVAL, Reserved}, std::pair{ENAMETOOLONG, "the name is too long for this volume"},
                    std::pair{ENOSPC, "the volume is full"}, std::pair{EDQUOT, "the volume is full"},
                    std::pair{EEXIST, "the name is already taken"}, std::pair{EIO, Lost}, std::pair{ENODEV, Lost},
                    std::pair{ESTALE, Lost}, std::pair{ENOTCONN, Lost}, std::pair{EROFS, "the volume is read-only"},
                    std::pair{EACCES, "no permission to rename files in this folder"},
                    std::pair{EPERM, "no permission to rename files in this folder"},
                    std::pair{ENOENT, "the photograph is no longer in the folder (was the medium removed?)"},
                    std::pair{EBUSY, "the system said: " + std::system_category().message(EBUSY)}));

TEST(BatchReportText, ListsTenCountsTheRestAndTellsOfAFailedSync)
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

    const std::string check = "Check the renamed photographs on the medium before you remove it or switch it off.";
    report.noteSync(EIO);
    EXPECT_EQ(report.text(), "12 photographs kept their names.\n" + listed + "and 2 more.\nThe renames may not have "
                                 "reached the medium: " + Lost + ".\n" + WhatToDo + "\n" + check);
    EXPECT_EQ(announcementText(report.outcome()), "Rename finished. 12 files renamed. 12 photographs kept their "
                                                  "names. The renames may not have reached the medium.");
}

/** A folder of three photographs, the window played over it, and calls that fail what the test says. */
class ReportedBatch : public testing::Test
{
protected:
    ReportedBatch()
    {
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            folder.write(name, exifJpeg("2015:09:27 15:05:30"));
        host.ListFiles();
        host.selectAll();
        host.calls = &calls;
    }
    const BatchOutcome &outcome() const { return host.outcomes.at(0); }

    batchtest::TempFolder folder;
    batchtest::FailingCalls calls;
    batchtest::FakeBatchHost host{folder.path()};
};

TEST_F(ReportedBatch, FailedMovesAreReportedOnceAtTheEnd)
{
    calls.failMovesOf("b.jpg", ENOSPC);
    host.setMode(5);
    RenameSelected(host);
    EXPECT_EQ(folder.entries(), (Names{"001.jpg", "003.jpg", "b.jpg"}));
    EXPECT_EQ(host.informations, Names{"1 photograph kept its name.\n\"b.jpg\" could not become \"002.jpg\": the "
                                       "volume is full.\n" + WhatToDo});
    EXPECT_EQ(announcementText(outcome()), "Rename finished. 2 files renamed. 1 photograph kept its name.");
    EXPECT_EQ(calls.syncs, 1);
}

TEST_F(ReportedBatch, AFailedSyncIsReportedAndABatchThatMovedNothingIsNotSynced)
{
    calls.syncError = EIO;
    host.select({"a.jpg"});
    CameraRename(host, CameraStyle::Lumix);
    EXPECT_EQ(host.informations.at(0).rfind("The renames may not have reached the medium: " + Lost + ".\n", 0), 0u);

    host.userChecked = true;
    host.typedUserText = std::string(260, 'r'); // refused by our own check, before any move
    host.selectAll();
    host.setMode(5);
    RenameSelected(host);
    EXPECT_EQ(calls.syncs, 1);
    EXPECT_EQ(host.informations.at(1).rfind("3 photographs kept their names.\n", 0), 0u);
    EXPECT_NE(host.informations.at(1).find("\": the name is too long for this volume.\n"), std::string::npos);
}

TEST_F(ReportedBatch, ABatchEndedEarlyReportsWhatKeptItsNameFirst)
{
    folder.write("b.jpg", exifJpeg("2015:09:27 15:05:30").substr(0, 30)); // cut inside its EXIF data
    calls.failMovesOf("a.jpg", EACCES);
    host.setMode(0);
    EXPECT_THROW(RenameSelected(host), EConvertError);
    EXPECT_EQ(host.informations.at(0).rfind("1 photograph kept its name.\n\"a.jpg\"", 0), 0u);
    EXPECT_EQ(announcementText(outcome()), "Rename stopped by an error: '$' is not a valid integer value. 0 files "
                                           "renamed. 1 photograph kept its name.");

    // A rule's own reason to stop shows after the report, as an error's box does.
    folder.write("2015-09-27 c.jpg", exifJpeg("2015:09:27 15:05:30"));
    folder.write("2015-09-27.jpg", exifJpeg("2015:09:27 15:05:30"));
    calls.failMovesOf("2015-09-27 c.jpg", EINVAL);
    host.ListFiles();
    host.select({"2015-09-27 c.jpg", "2015-09-27.jpg"});
    host.setMode(3);
    RenameSelected(host);
    EXPECT_EQ(host.informations.at(2), DateIsWholeNameMessage);
    EXPECT_EQ(host.informations.at(1), "1 photograph kept its name.\n\"2015-09-27 c.jpg\" could not become "
                                       "\"c-a01.jpg\": " + Reserved + ".\n" + WhatToDo);
    EXPECT_EQ(host.outcomes.at(1).ending, Ending::Stopped);
}

} // namespace
