// The container checks on numbers a crafted file chooses: offsets that pass 64 bits, listing chunks
// that link to themselves. The file is a buffer here, and every place the checks ask for is recorded.
// (The reset interval the decompressor wraps is a row of tst_compiledhelp, on our own file.)
#include "help/containercheck.h"

#include <QList>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

using containercheck::offsetOf;

// A directory at 0x100: its header, then `chunks` listing chunks of 0x100 bytes, each naming the chunk
// before it as the row says.
struct ListingRow
{
    const char *name;
    quint32 named, chunks, chunkSize;
    QList<quint32> previous;  // per chunk
    qint64 expectedFirst;     // -1: the header is left as it is
};

class ListingWalk : public ::testing::TestWithParam<ListingRow>
{
protected:
    static QByteArray file(const ListingRow &row)
    {
        QByteArray bytes(0x154 + 0x100 * row.previous.size(), '\0');
        const auto put = [&bytes](qint64 at, quint64 value, int size) {
            for (int i = 0; i < size; ++i)
                bytes[at + i] = char(value >> (8 * i));
        };
        put(0x48, 0x100, 8);
        bytes.replace(0x100, 4, "ITSP");
        put(0x108, 0x54, 4);
        put(0x110, row.chunkSize, 4);
        put(0x120, row.named, 4);
        put(0x12C, row.chunks, 4);
        for (qsizetype chunk = 0; chunk < row.previous.size(); ++chunk) {
            bytes.replace(0x154 + 0x100 * chunk, 4, "PMGL");
            put(0x154 + 0x100 * chunk + 0x0C, row.previous.at(chunk), 4);
        }
        return bytes;
    }
};

TEST_P(ListingWalk, endsWithinTheFile)
{
    const ListingRow row = GetParam();
    const QByteArray bytes = file(row);
    QList<qint64> asked;
    const auto readAt = [&](qint64 position, qint64 size) {
        asked.append(position);
        // A walk that goes round in circles is cut off here, so the test ends and says so.
        return asked.size() > 100 || position < 0 ? QByteArray() : bytes.mid(position, size);
    };
    const std::optional<containercheck::Correction> found = containercheck::firstListingChunk(readAt);
    EXPECT_LE(asked.size(), 2 + row.previous.size()) << "each chunk is read once at most";
    for (const qint64 position : asked)
        EXPECT_TRUE(position >= 0 && position < bytes.size()) << "asked for " << position;
    if (row.expectedFirst < 0) {
        EXPECT_FALSE(found);
    } else {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->position, 0x120);
        EXPECT_EQ(qFromLittleEndian<quint32>(found->bytes.constData()), quint32(row.expectedFirst));
    }
}

constexpr quint32 none = 0xFFFFFFFF;

INSTANTIATE_TEST_SUITE_P(
    Rows, ListingWalk,
    ::testing::Values(ListingRow{"header_names_the_second_of_two", 1, 2, 0x100, {none, 0}, 0},
                      ListingRow{"header_names_the_first", 0, 2, 0x100, {none, 0}, -1},
                      ListingRow{"chunk_names_itself", 1, 2, 0x100, {none, 1}, -1},
                      ListingRow{"chunks_name_each_other", 1, 2, 0x100, {1, 0}, 0},
                      ListingRow{"chunk_names_a_later_one", 0, 2, 0x100, {1, none}, -1},
                      ListingRow{"chunk_offset_past_64_bits", 0x80000001, none, none, {}, -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OffsetOf, refusesWhatPasses64BitsOrIsNegative)
{
    EXPECT_EQ(offsetOf(0x100, 3, 0x1000), 0x3100);
    EXPECT_EQ(offsetOf(0, 0, 0), 0);
    EXPECT_EQ(offsetOf(INT64_MAX, 0, 1), INT64_MAX);
    EXPECT_EQ(offsetOf(INT64_MAX, 1, 1), std::nullopt);
    EXPECT_EQ(offsetOf(0, 0xFFFFFFFF, 0x7FFFFFFF), qint64(0x7FFFFFFE80000001));
    EXPECT_EQ(offsetOf(0, 0x80000001, 0xFFFFFFFF), std::nullopt);
    EXPECT_EQ(offsetOf(-1, 1, 1), std::nullopt);
    EXPECT_EQ(offsetOf(0, -1, 1), std::nullopt);
}

} // namespace
