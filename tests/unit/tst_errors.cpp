#include "platform/errors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(InOutError, MapsErrorNumbersByMeaning)
{
    const std::pair<int, std::string> cases[] = {
        {EMFILE, "Too many open files"}, {ENFILE, "Too many open files"}, {EACCES, "File access denied"},
        {EPERM, "File access denied"},   {EROFS, "File access denied"},   {ENOSPC, "Disk full"},
        {EDQUOT, "Disk full"},           {EIO, "I/O error 5"},            {EBUSY, "I/O error 16"},
    };
    for (const auto &[errnum, message] : cases)
        EXPECT_EQ(EInOutError::fromErrno(errnum).what(), message) << errnum;
    EXPECT_EQ(EInOutError::fromErrno(EIO).code(), EIO);
    EXPECT_EQ(EInOutError::fromErrno(EACCES).code(), 5);
}

TEST(InOutError, TellsAMissingFileFromAMissingFolderOnTheWay)
{
    EXPECT_EQ(EInOutError::fromErrno(ENOENT, "/tmp/no-such-file-here.jpg").code(), 2);
    EXPECT_EQ(EInOutError::fromErrno(ENOENT, "/tmp/no-such-folder-here/a.jpg").code(), 3);
    EXPECT_STREQ(EInOutError::fromErrno(ENOENT, "/tmp/no-such-folder-here/a.jpg").what(), "Invalid filename");
    EXPECT_EQ(EInOutError::fromErrno(ENOENT, "bare.jpg").code(), 2);
}

TEST(ErrorBox, AppendsAPeriodOnlyAfterCharactersThatSortAfterIt)
{
    EXPECT_EQ(errorBoxText("File not found"), "File not found.");
    EXPECT_EQ(errorBoxText("I/O error 21"), "I/O error 21.");
    EXPECT_EQ(errorBoxText("'x' is not a valid integer value"), "'x' is not a valid integer value.");
    EXPECT_EQ(errorBoxText("done."), "done.");
    EXPECT_EQ(errorBoxText("(see above)"), "(see above)");
    EXPECT_EQ(errorBoxText("a,"), "a,");
}

} // namespace
