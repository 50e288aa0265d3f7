#include "platform/folder.h"
#include "platform/namelimit.h"
#include "temporaryfolder.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::NameLimit;

constexpr NameLimit Utf16{NameLimit::Units::Utf16, 255};

struct VolumeCase
{
    const char *label;
    unsigned long magic;
    long reported;
    NameLimit expected;
};

class VolumeNameLimit : public testing::TestWithParam<VolumeCase>
{
};

TEST_P(VolumeNameLimit, CountsAsTheVolumeStoresNames)
{
    EXPECT_EQ(platform::nameLimitFor(GetParam().magic, GetParam().reported), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeNameLimit,
    testing::Values(VolumeCase{"vfat", 0x4d44, 1530, Utf16}, VolumeCase{"exfat", 0x2011BAB0, 1530, Utf16},
                    VolumeCase{"fatReportingBytes", 0x4d44, 255, Utf16},
                    VolumeCase{"anyVolumeAbove255", 0x12345678, 1530, Utf16},
                    VolumeCase{"ext4", 0xEF53, 255, {NameLimit::Units::Bytes, 255}},
                    VolumeCase{"shortNames", 0x01021994, 14, {NameLimit::Units::Bytes, 14}},
                    VolumeCase{"nothingReported", 0, 0, {NameLimit::Units::Bytes, 255}}),
    [](const auto &info) { return std::string(info.param.label); });

struct CountCase
{
    const char *label;
    std::string name;
    long units; // -1: not UTF-8
};

class Utf16Count : public testing::TestWithParam<CountCase>
{
};

TEST_P(Utf16Count, CountsUnitsOrRefusesWhatIsNotUtf8)
{
    EXPECT_EQ(platform::utf16Units(GetParam().name), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Utf16Count,
    testing::Values(CountCase{"ascii", "holiday.jpg", 11}, CountCase{"twoByte", "caf\xC3\xA9.jpg", 8},
                    CountCase{"threeByte", "\xE2\x82\xAC 5.jpg", 7},
                    CountCase{"fourByteIsAPair", "\xF0\x9F\x93\xB7.jpg", 6},
                    CountCase{"loneContinuation", "a\x80.jpg", -1}, CountCase{"cutAtTheEnd", "a.jpg\xE2\x82", -1},
                    CountCase{"overlong", "\xC0\xAF.jpg", -1}, CountCase{"surrogate", "\xED\xA0\x80.jpg", -1},
                    CountCase{"beyondUnicode", "\xF4\x90\x80\x80", -1}, CountCase{"latin1", "caf\xE9.jpg", -1}),
    [](const auto &info) { return std::string(info.param.label); });

std::string repeated(const std::string &piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct LengthCase
{
    const char *label;
    std::string name;
    int utf16Error;
    int bytesError;
};

class NameLength : public testing::TestWithParam<LengthCase>
{
};

TEST_P(NameLength, IsCountedInTheVolumesUnits)
{
    EXPECT_EQ(platform::nameLengthError(GetParam().name, Utf16), GetParam().utf16Error);
    EXPECT_EQ(platform::nameLengthError(GetParam().name, {NameLimit::Units::Bytes, 255}), GetParam().bytesError);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameLength,
    testing::Values(LengthCase{"ascii255", std::string(255, 'a'), 0, 0},
                    LengthCase{"ascii256", std::string(256, 'a'), ENAMETOOLONG, ENAMETOOLONG},
                    LengthCase{"accented255", repeated("\xC3\xA9", 255), 0, ENAMETOOLONG},
                    LengthCase{"accented256", repeated("\xC3\xA9", 256), ENAMETOOLONG, ENAMETOOLONG},
                    LengthCase{"pairs127", repeated("\xF0\x9F\x93\xB7", 127) + "a", 0, ENAMETOOLONG},
                    LengthCase{"pairs128", repeated("\xF0\x9F\x93\xB7", 128), ENAMETOOLONG, ENAMETOOLONG},
                    LengthCase{"notUtf8", "caf\xE9.jpg", EINVAL, 0}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(FolderNameRefusal, TellsATooLongNameFromOneThatCannotBeAName)
{
    TemporaryFolder folder;
    const platform::Folder held(folder.path());
    EXPECT_EQ(platform::nameRefusal(held, std::string(256, 'a')), ENAMETOOLONG);
    EXPECT_EQ(platform::nameRefusal(held, "a/b.jpg"), EINVAL);
    EXPECT_EQ(platform::nameRefusal(held, ".."), EINVAL);
    EXPECT_EQ(platform::nameRefusal(held, std::string(255, 'a')), 0);
}

} // namespace
