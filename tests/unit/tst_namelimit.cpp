#include "platform/namelimit.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::NameLimit;

constexpr NameLimit Utf16{NameLimit::Units::Utf16, 255};
constexpr NameLimit Bytes{NameLimit::Units::Bytes, 255};

TEST(VolumeNameLimit, CountsAsTheVolumeStoresNames)
{
    EXPECT_EQ(platform::nameLimitFor(0x4d44, 1530), Utf16);     // vfat
    EXPECT_EQ(platform::nameLimitFor(0x2011BAB0, 1530), Utf16); // exFAT
    EXPECT_EQ(platform::nameLimitFor(0x12345678, 1530), Utf16); // any volume reporting more than 255
    EXPECT_EQ(platform::nameLimitFor(0xEF53, 255), Bytes);      // ext4
    EXPECT_EQ(platform::nameLimitFor(0x01021994, 14), (NameLimit{NameLimit::Units::Bytes, 14}));
}

std::string repeated(const std::string &piece, int times, const std::string &tail = {})
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text + tail;
}

struct LengthCase
{
    std::string name;
    long units; // UTF-16 units; -1: not UTF-8
    int utf16Error;
    int bytesError;
};

using NameLength = testing::TestWithParam<LengthCase>;

TEST_P(NameLength, IsCountedInTheVolumesUnits)
{
    EXPECT_EQ(platform::utf16Units(GetParam().name), GetParam().units);
    EXPECT_EQ(platform::nameLengthError(GetParam().name, Utf16), GetParam().utf16Error);
    EXPECT_EQ(platform::nameLengthError(GetParam().name, Bytes), GetParam().bytesError);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameLength,
    testing::Values(LengthCase{std::string(255, 'a'), 255, 0, 0},
                    LengthCase{std::string(256, 'a'), 256, ENAMETOOLONG, ENAMETOOLONG},
                    LengthCase{repeated("\xC3\xA9", 255), 255, 0, ENAMETOOLONG},          // two bytes, one unit
                    LengthCase{repeated("\xE2\x82\xAC", 256), 256, ENAMETOOLONG, ENAMETOOLONG}, // three bytes
                    LengthCase{repeated("\xF0\x9F\x93\xB7", 127, "a"), 255, 0, ENAMETOOLONG},  // a pair of units
                    LengthCase{repeated("\xF0\x9F\x93\xB7", 128), 256, ENAMETOOLONG, ENAMETOOLONG},
                    // Not UTF-8: Latin-1, cut short, overlong, a lone surrogate, beyond Unicode.
                    LengthCase{"caf\xE9.jpg", -1, EINVAL, 0}, LengthCase{"a.jpg\xE2\x82", -1, EINVAL, 0},
                    LengthCase{"\xC0\xAF.jpg", -1, EINVAL, 0}, LengthCase{"\xED\xA0\x80.jpg", -1, EINVAL, 0},
                    LengthCase{"\xF4\x90\x80\x80", -1, EINVAL, 0}));

} // namespace
