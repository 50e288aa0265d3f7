#include "platform/errors.h"
#include "rename/namingoptions.h"

#include <gtest/gtest.h>

namespace {

struct Conversion
{
    const char *text;
    bool valid;
    int32_t value;
};

class StrToInt : public testing::TestWithParam<Conversion>
{
};

TEST_P(StrToInt, ConvertsOrRejectsWithThePickersText)
{
    const Conversion c = GetParam();
    if (c.valid) {
        EXPECT_EQ(strToInt(c.text), c.value) << c.text;
    } else {
        try {
            strToInt(c.text);
            FAIL() << "accepted " << c.text;
        } catch (const EConvertError &e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(c.text) + "' is not a valid integer value");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToInt,
    testing::Values(Conversion{"0", true, 0}, Conversion{"7", true, 7}, Conversion{"  12", true, 12},
                    Conversion{"+3", true, 3}, Conversion{"-1", true, -1}, Conversion{"$1F", true, 31},
                    Conversion{"0x10", true, 16}, Conversion{"0X10", true, 16}, Conversion{"$FFFFFFFF", true, -1},
                    Conversion{"2147483647", true, 2147483647}, Conversion{"-2147483648", true, INT32_MIN},
                    Conversion{"", false, 0}, Conversion{" ", false, 0}, Conversion{"1 ", false, 0},
                    Conversion{"a", false, 0}, Conversion{"1.0", false, 0}, Conversion{"$", false, 0},
                    Conversion{"- 1", false, 0}, Conversion{"2147483648", false, 0},
                    Conversion{"$100000000", false, 0}, Conversion{"0x", false, 0}));

TEST(StartNumber, WeighsThePlacesTheWidthCovers)
{
    const PickerTexts pickers{"1", "2", "3", "4"};
    EXPECT_EQ(startNumberFromPickers(2, pickers), 34);
    EXPECT_EQ(startNumberFromPickers(3, pickers), 234);
    EXPECT_EQ(startNumberFromPickers(4, pickers), 1234);
    EXPECT_EQ(startNumberFromPickers(2, {"0", "0", "1", "12"}), 22);
    EXPECT_EQ(startNumberFromPickers(4, {"0", "0", "0", "-1"}), -1);
}

TEST(StartNumber, ConvertsEveryPickerUnitsFirst)
{
    // A bad text in C1 stops even a width of 2; with two bad texts the units' is reported.
    EXPECT_THROW(startNumberFromPickers(2, {"x", "0", "0", "1"}), EConvertError);
    try {
        startNumberFromPickers(4, {"x", "0", "0", "y"});
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'y' is not a valid integer value");
    }
}

TEST(StartNumber, RejectsASumBeyondThirtyTwoBits)
{
    try {
        startNumberFromPickers(4, {"3000000", "0", "0", "1"});
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'3000000' is not a valid integer value");
    }
}

TEST(ModeFromButtonName, TakesTheLastTwoCharacters)
{
    EXPECT_EQ(modeFromButtonName("bname05"), 5);
    EXPECT_EQ(modeFromButtonName("Bname09"), 9);
    EXPECT_EQ(modeFromButtonName("bname00"), 0);
}

} // namespace
