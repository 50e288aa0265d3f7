#include "platform/errors.h"
#include "rename/camerarename.h"
#include "rename/namingrules.h"

#include <gtest/gtest.h>

namespace {

const std::string Stamp = "2015-09-27 15-05-30";

struct RuleCase
{
    const char *label;
    int mode;
    const char *oldName;
    const char *userText;
    int32_t number;
    int dateFormat;
    int numberSwitch; // NumSuffix2 for modes 4-6, NumSuffix for modes 7-9
    RuleResult::Action action;
    const char *newName;
};

class NamingRule : public testing::TestWithParam<RuleCase>
{
};

TEST_P(NamingRule, ComposesTheNewName)
{
    const RuleCase c = GetParam();
    NamingInput input;
    input.oldName = c.oldName;
    input.dateStamp = Stamp;
    input.number = c.number;
    input.userText = c.userText;
    input.options.namingMode = c.mode;
    input.options.dateFormat = c.dateFormat;
    input.options.numbersAfterText = c.mode >= 4 && c.mode <= 6 ? c.numberSwitch : 0;
    input.options.numberSuffix = c.mode >= 7 ? c.numberSwitch : 0;
    const RuleResult result = composeNewName(input);
    EXPECT_EQ(result.action, c.action);
    if (c.action == RuleResult::Rename) {
        EXPECT_EQ(result.newName, c.newName);
    }
}

constexpr auto R = RuleResult::Rename;
constexpr auto S = RuleResult::Skip;
constexpr auto E = RuleResult::EndBatch;
constexpr auto M = RuleResult::EndBatchWithMessage;

INSTANTIATE_TEST_SUITE_P(
    Modes, NamingRule,
    testing::Values(
        RuleCase{"prefix", 0, "holiday.jpg", "", 0, 0, 0, R, "2015-09-27 15-05-30 holiday.jpg"},
        RuleCase{"prefixDateOnly", 0, "holiday.jpg", "", 0, 1, 0, R, "2015-09-27 holiday.jpg"},
        RuleCase{"prefixUpperCase", 0, "HOLIDAY.JPG", "", 0, 0, 0, R, "2015-09-27 15-05-30 HOLIDAY.JPG"},
        RuleCase{"prefixAlreadyThere", 0, "2015-09-27 15-05-30 holiday.jpg", "", 0, 0, 0, S, ""},
        RuleCase{"prefixDayAlreadyThere", 0, "2015-09-27 holiday.jpg", "", 0, 0, 0, S, ""},
        RuleCase{"prefixAnotherDate", 0, "2014-01-01 holiday.jpg", "", 0, 0, 0, R,
                 "2015-09-27 15-05-30 2014-01-01 holiday.jpg"},
        RuleCase{"suffix", 1, "holiday.jpg", "", 0, 0, 0, R, "holiday 2015-09-27 15-05-30.jpg"},
        RuleCase{"suffixDateOnly", 1, "holiday.jpg", "", 0, 1, 0, R, "holiday 2015-09-27.jpg"},
        RuleCase{"suffixAlreadyThere", 1, "holiday 2015-09-27.jpg", "", 0, 0, 0, S, ""},
        RuleCase{"whole", 2, "holiday.jpg", "", 0, 0, 0, R, "2015-09-27 15-05-30.jpg"},
        RuleCase{"wholeDateOnly", 2, "holiday.JPG", "", 0, 1, 0, R, "2015-09-27.JPG"},
        RuleCase{"wholeAgain", 2, "2015-09-27 15-05-30.jpg", "", 0, 0, 0, R, "2015-09-27 15-05-30.jpg"},
        RuleCase{"removeFromFront", 3, "2015-09-27 15-05-30 holiday.jpg", "", 0, 0, 0, R, "holiday.jpg"},
        RuleCase{"removeFromEnd", 3, "holiday 2015-09-27 15-05-30.jpg", "", 0, 0, 0, R, "holiday.jpg"},
        RuleCase{"removeDay", 3, "holiday 2015-09-27.jpg", "", 0, 1, 0, R, "holiday.jpg"},
        RuleCase{"removeFromMiddle", 3, "Rome 2015-09-27 holiday.jpg", "", 0, 0, 0, R, "Romeholiday.jpg"},
        RuleCase{"removeTrimsControlBytes", 3, "Rome\t2015-09-27\x01 holiday.jpg", "", 0, 0, 0, R,
                 "Romeholiday.jpg"},
        RuleCase{"removeDayWithOtherTime", 3, "2015-09-27 15-05-31.jpg", "", 0, 0, 0, R, "15-05-31.jpg"},
        RuleCase{"removeWholeName", 3, "2015-09-27 15-05-30.jpg", "", 0, 0, 0, M, ""},
        RuleCase{"removeWholeDay", 3, "2015-09-27.JPG", "", 0, 0, 0, M, ""},
        RuleCase{"removeNoDate", 3, "holiday.jpg", "", 0, 0, 0, E, ""},
        RuleCase{"removeOtherDay", 3, "2015-09-28 holiday.jpg", "", 0, 0, 0, E, ""},
        RuleCase{"numbers2", 4, "holiday.jpg", "Rome", 1, 0, 0, R, "01 Rome.jpg"},
        RuleCase{"numbers2After", 4, "holiday.jpg", "Rome", 1, 0, 1, R, "Rome 01.jpg"},
        RuleCase{"numbers2NoText", 4, "holiday.jpg", "", 1, 0, 0, R, "01.jpg"},
        RuleCase{"numbers2NoTextAfter", 4, "holiday.jpg", "", 1, 0, 1, R, "01.jpg"},
        RuleCase{"numbers2LeadingBlank", 4, "holiday.jpg", " Rome", 1, 0, 0, R, "01  Rome.jpg"},
        RuleCase{"numbers2Outgrown", 4, "holiday.jpg", "", 100, 0, 0, R, "100.jpg"},
        RuleCase{"numbers2DateFormatIgnored", 4, "holiday.jpg", "", 7, 1, 0, R, "07.jpg"},
        RuleCase{"numbers3", 5, "holiday.JPG", "Rome", 1, 0, 0, R, "001 Rome.JPG"},
        RuleCase{"numbers3After", 5, "holiday.jpg", "Rome", 1, 0, 1, R, "Rome 001.jpg"},
        RuleCase{"numbers4", 6, "holiday.jpg", "Rome", 1, 0, 0, R, "0001 Rome.jpg"},
        RuleCase{"numbers4After", 6, "holiday.jpg", "Rome", 12, 0, 1, R, "Rome 0012.jpg"},
        RuleCase{"numbers4Negative", 6, "holiday.jpg", "", -1, 0, 0, R, "-0001.jpg"},
        RuleCase{"prefixNumber2", 7, "holiday.jpg", "Rome", 1, 0, 0, R, "01 holiday.jpg"},
        RuleCase{"suffixNumber2", 7, "holiday.jpg", "Rome", 1, 0, 1, R, "holiday 01.jpg"},
        RuleCase{"prefixNumber3", 8, "holiday.jpg", "", 1, 0, 0, R, "001 holiday.jpg"},
        RuleCase{"suffixNumber3", 8, "HOLIDAY.JPG", "", 2, 0, 1, R, "HOLIDAY 002.JPG"},
        RuleCase{"prefixNumber4", 9, "holiday.jpg", "", 1, 0, 0, R, "0001 holiday.jpg"},
        RuleCase{"suffixNumber4", 9, "holiday.jpg", "", 10000, 0, 1, R, "holiday 10000.jpg"}),
    [](const testing::TestParamInfo<RuleCase> &info) { return std::string(info.param.label); });

TEST(UserText, OneSpaceCountsAsEmptyAndAnUncheckedBoxAsNone)
{
    EXPECT_EQ(batchUserText(true, " "), "");
    EXPECT_EQ(batchUserText(true, "  "), "  ");
    EXPECT_EQ(batchUserText(true, " Rome "), " Rome ");
    EXPECT_EQ(batchUserText(false, "Rome"), "");
}

TEST(NumberFormat, PadsToTheWidthAndWritesLongerNumbersInFull)
{
    EXPECT_EQ(formatNumber(1, 2), "01");
    EXPECT_EQ(formatNumber(99, 2), "99");
    EXPECT_EQ(formatNumber(100, 2), "100");
    EXPECT_EQ(formatNumber(0, 4), "0000");
    EXPECT_EQ(formatNumber(-12, 3), "-012");
    EXPECT_EQ(formatNumber(INT32_MAX, 4), "2147483647");
    EXPECT_EQ(formatNumber(INT32_MIN, 4), "-2147483648");
}

TEST(CollisionName, CountsOnWithTheOldExtension)
{
    EXPECT_EQ(collisionName("holiday.jpg", 1, "x.jpg"), "holiday-a01.jpg");
    EXPECT_EQ(collisionName("2015-09-27 15-05-30 HOLIDAY.JPG", 2, "HOLIDAY.JPG"),
              "2015-09-27 15-05-30 HOLIDAY-a02.JPG");
    EXPECT_EQ(collisionName("holiday.jpg", 100, "x.jpg"), "holiday-a100.jpg");
    // The extension is the old name's, whatever the new name ends in.
    EXPECT_EQ(collisionName("15-05-31.jpg", 3, "a.JPG"), "15-05-31-a03.JPG");
}

TEST(Progress, RoundsHalvesToEven)
{
    std::vector<int> nine;
    for (int index = 0; index < 9; ++index)
        nine.push_back(progressPosition(index, 9));
    EXPECT_EQ(nine, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(progressPosition(0, 2), 0);
    EXPECT_EQ(progressPosition(1, 2), 100);
    EXPECT_EQ(progressPosition(1, 3), 50);
    EXPECT_EQ(progressPosition(1, 201), 0);  // 0.5
    EXPECT_EQ(progressPosition(3, 201), 2);  // 1.5
    EXPECT_EQ(progressPosition(1, 7), 17);   // 16.67
    EXPECT_EQ(progressPosition(9999, 10000), 100);
}

TEST(CameraName, PrefixFourDigitsAndTheOldExtension)
{
    EXPECT_EQ(cameraName(CameraStyle::Canon, 1, "a.jpg"), "IMG_0001.jpg");
    EXPECT_EQ(cameraName(CameraStyle::Lumix, 2, "b.JPG"), "P1000002.JPG");
    EXPECT_EQ(cameraName(CameraStyle::Canon, 123, "c.Jpg"), "IMG_0123.Jpg");
    EXPECT_EQ(cameraName(CameraStyle::Canon, 10000, "d.jpg"), "IMG_10000.jpg");
}

TEST(HeaviestPicker, NamesThePlaceThatWeighsMost)
{
    EXPECT_EQ(heaviestPicker(4, {"1", "2", "3", "4"}), "1");
    EXPECT_EQ(heaviestPicker(2, {"9", "9", "3", "4"}), "3");
    EXPECT_EQ(heaviestPicker(4, {"0", "0", "0", "2147483647"}), "2147483647");
    EXPECT_EQ(heaviestPicker(3, {"0", "0", "214748364", "0"}), "214748364");
    // On a tie the more significant place is named.
    EXPECT_EQ(heaviestPicker(4, {"0", "0", "1", "10"}), "1");
}

TEST(Pieces, ExtensionAndStemAreTheLastFourBytesAndTheRest)
{
    EXPECT_EQ(extensionOf("holiday.jpg"), ".jpg");
    EXPECT_EQ(stemOf("holiday.jpg"), "holiday");
    EXPECT_EQ(extensionOf(".jpg"), ".jpg");
    EXPECT_EQ(stemOf(".jpg"), "");
    EXPECT_EQ(numberWidth(4), 2);
    EXPECT_EQ(numberWidth(8), 3);
    EXPECT_EQ(numberWidth(9), 4);
    EXPECT_EQ(numberWidth(2), 0);
}

} // namespace
