#include "batchtestutil.h"
#include "platform/errors.h"
#include "rename/camerarename.h"
#include "rename/namingrules.h"

#include <gtest/gtest.h>

namespace {

using batchtest::FakeBatchHost;
using batchtest::notAJpeg;
using batchtest::TempFolder;
using Names = std::vector<std::string>;

struct CameraCase
{
    const char *label;
    CameraStyle style;
    Names before;
    PickerTexts pickers;
    Names after;
};

class CameraBatch : public testing::TestWithParam<CameraCase>
{
};

TEST_P(CameraBatch, NamesTheSelectionInListOrder)
{
    const CameraCase &c = GetParam();
    TempFolder folder;
    for (const std::string &name : c.before)
        folder.write(name);
    FakeBatchHost host(folder.path());
    host.pickers = c.pickers;
    host.selectAll();
    CameraRename(host, c.style);
    EXPECT_EQ(folder.entries(), c.after);
    EXPECT_EQ(host.startNumberCalls, static_cast<int>(c.before.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CameraBatch,
    testing::Values(
        CameraCase{"canon", CameraStyle::Canon, {"a.jpg", "b.JPG", "c.jpg"}, {"0", "0", "0", "1"},
                   {"IMG_0001.jpg", "IMG_0002.JPG", "IMG_0003.jpg"}},
        CameraCase{"lumix", CameraStyle::Lumix, {"a.jpg", "b.JPG", "c.jpg"}, {"0", "0", "0", "1"},
                   {"P1000001.jpg", "P1000002.JPG", "P1000003.jpg"}},
        // Names already taken by themselves: each collides with itself, one counter for the batch.
        CameraCase{"collideWithThemselves", CameraStyle::Canon, {"IMG_0001.jpg", "IMG_0002.jpg"}, {"0", "0", "0", "1"},
                   {"IMG_0001-a01.jpg", "IMG_0002-a02.jpg"}},
        CameraCase{"outgrowFourDigits", CameraStyle::Canon, {"a.jpg", "b.jpg"}, {"9", "9", "9", "9"},
                   {"IMG_10000.jpg", "IMG_9999.jpg"}},
        CameraCase{"allFourPickers", CameraStyle::Lumix, {"a.jpg"}, {"0", "1", "2", "3"}, {"P1000123.jpg"}},
        CameraCase{"thousandsCount", CameraStyle::Canon, {"a.jpg"}, {"7", "0", "0", "0"}, {"IMG_7000.jpg"}}),
    [](const testing::TestParamInfo<CameraCase> &info) { return std::string(info.param.label); });

TEST(CameraRename, ACollisionInTheMiddleChangesNothingAfterIt)
{
    TempFolder folder;
    for (const char *name : {"a.jpg", "b.JPG", "c.jpg"})
        folder.write(name, name);
    folder.write("IMG_0001.jpg", "already there");
    FakeBatchHost host(folder.path());
    host.select({"a.jpg", "b.JPG", "c.jpg"});
    CameraRename(host, CameraStyle::Canon);
    EXPECT_EQ(folder.entries(), (Names{"IMG_0001-a01.jpg", "IMG_0001.jpg", "IMG_0002.JPG", "IMG_0003.jpg"}));
    EXPECT_EQ(folder.read("IMG_0001.jpg"), "already there");
    EXPECT_EQ(folder.read("IMG_0001-a01.jpg"), "a.jpg");
    EXPECT_EQ(host.progress, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(host.batchList, (Names{"a.jpg", "b.JPG", "c.jpg"}));
}

TEST(CameraRename, AFailedMoveIsReportedAndTheBatchGoesOn)
{
    TempFolder folder;
    folder.write("a.jpg", "a");
    folder.write("b.jpg", "b");
    folder.write("IMG_0001.jpg", "one");
    folder.write("IMG_0001-a01.jpg", "two");
    FakeBatchHost host(folder.path());
    host.select({"a.jpg", "b.jpg"});
    CameraRename(host, CameraStyle::Canon);
    EXPECT_EQ(folder.entries(), (Names{"IMG_0001-a01.jpg", "IMG_0001.jpg", "IMG_0002.jpg", "a.jpg"}));
    EXPECT_EQ(folder.read("IMG_0001-a01.jpg"), "two");
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].rfind("1 photograph kept its name.\n\"a.jpg\" could not become "
                                         "\"IMG_0001-a01.jpg\": the name is already taken.\n",
                                         0),
              0u);
}

TEST(CameraRename, NothingSelected)
{
    TempFolder folder;
    folder.write("a.jpg");
    FakeBatchHost host(folder.path());
    CameraRename(host, CameraStyle::Lumix);
    EXPECT_EQ(host.informations, Names{EmptySelectionMessage});
    EXPECT_EQ(folder.entries(), Names{"a.jpg"});
}

TEST(CameraRename, ContentIsNeverReadAndOtherOptionsPlayNoPart)
{
    TempFolder folder;
    folder.write("a.jpg", notAJpeg());
    FakeBatchHost host(folder.path());
    host.setMode(2);
    host.optionState().dateFormat = 1;
    host.optionState().numberSuffix = 1;
    host.optionState().numbersAfterText = 1;
    host.userChecked = true;
    host.typedUserText = "Rome";
    host.selectAll();
    CameraRename(host, CameraStyle::Canon);
    EXPECT_EQ(folder.entries(), Names{"IMG_0001.jpg"});
    EXPECT_TRUE(host.refusals.empty());
    EXPECT_TRUE(host.progress.empty());
}

TEST(CameraRename, BadPickerStopsAtTheFirstFile)
{
    TempFolder folder;
    folder.write("a.jpg");
    folder.write("b.jpg");
    FakeBatchHost host(folder.path());
    host.pickers = {"0", "0", "0", "1x"};
    host.selectAll();
    try {
        CameraRename(host, CameraStyle::Canon);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'1x' is not a valid integer value");
    }
    host.pickers = {"3000000", "0", "0", "0"};
    host.selectAll();
    try {
        CameraRename(host, CameraStyle::Canon);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'3000000' is not a valid integer value");
    }
    host.pickers = {"0", "0", "0", "2147483647"};
    host.selectAll();
    EXPECT_THROW(CameraRename(host, CameraStyle::Canon), EConvertError);
    EXPECT_EQ(folder.entries(), (Names{"a.jpg", "b.jpg"}));
    EXPECT_FALSE(host.deferred);
}

} // namespace
