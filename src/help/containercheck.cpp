#include "help/containercheck.h"

#include <QtEndian>
#include <cstring>

namespace containercheck {

namespace {

// ITSF header: 4 bytes "ITSF", 4 bytes version, 4 bytes header length, 4 bytes unknown,
// 4 bytes timestamp, 4 bytes language, then two 16-byte identifiers at 0x18 and 0x28.
constexpr qsizetype firstIdentifierAt = 0x18;
constexpr qsizetype secondIdentifierAt = 0x28;
constexpr qsizetype identifierSize = 16;
// {7C01FD10-7BAA-11D0-9E0C-00A0C922E6EC} and {7C01FD11-...}, as stored.
constexpr unsigned char firstIdentifier[identifierSize] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                                           0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
constexpr unsigned char secondIdentifier[identifierSize] = {0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                                            0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};

// Where the file header keeps the directory's offset, and the directory header its first listing chunk.
constexpr qint64 directoryOffsetAt = 0x48;
constexpr qsizetype directoryHeaderSize = 0x30;
constexpr qint64 firstListingChunkAt = 0x20;
constexpr qsizetype listingChunkHeaderSize = 0x10;

constexpr qint64 frameSize = 0x8000;
constexpr qsizetype resetTableHeaderSize = 0x28;
// The decompressor's own limit on the reset table.
constexpr qsizetype largestResetTable = 1000000;

quint32 u32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

qint64 i64(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<qint64>(bytes.constData() + at);
}

bool identifierAt(const QByteArray &start, qsizetype at, const unsigned char *identifier)
{
    return std::memcmp(start.constData() + at, identifier, identifierSize) == 0;
}

} // namespace

std::optional<qint64> offsetOf(qint64 base, qint64 count, qint64 size)
{
    qint64 span = 0;
    qint64 at = 0;
    if (base < 0 || count < 0 || size < 0 || qMulOverflow(count, size, &span) || qAddOverflow(base, span, &at))
        return std::nullopt;
    return at;
}

Header headerOf(const QByteArray &start)
{
    if (start.size() < headerSize || !start.startsWith("ITSF") || !identifierAt(start, firstIdentifierAt, firstIdentifier))
        return Header::foreign;
    if (identifierAt(start, secondIdentifierAt, secondIdentifier))
        return Header::standard;
    if (identifierAt(start, secondIdentifierAt, firstIdentifier))
        return Header::repeatedIdentifier;
    return Header::foreign;
}

Correction standardSecondIdentifier()
{
    return {secondIdentifierAt, QByteArray(reinterpret_cast<const char *>(secondIdentifier), identifierSize)};
}

std::optional<Correction> firstListingChunk(const ReadAt &readAt)
{
    const QByteArray start = readAt(directoryOffsetAt, 8);
    if (start.size() < 8)
        return std::nullopt;
    const qint64 directory = i64(start, 0);
    const QByteArray header = readAt(directory, directoryHeaderSize);
    if (directory <= 0 || header.size() < directoryHeaderSize || !header.startsWith("ITSP"))
        return std::nullopt;
    const std::optional<qint64> chunksAt = offsetOf(directory, u32(header, 0x08), 1);
    const qint64 chunkSize = u32(header, 0x10);
    const quint32 named = u32(header, firstListingChunkAt);
    const quint32 chunks = u32(header, 0x2C);
    if (!chunksAt || chunkSize < listingChunkHeaderSize || named >= chunks)
        return std::nullopt;
    // The links must lead strictly back, so the walk ends; each step is one chunk the file holds.
    quint32 first = named;
    for (;;) {
        const std::optional<qint64> chunkAt = offsetOf(*chunksAt, first, chunkSize);
        const QByteArray chunk = chunkAt ? readAt(*chunkAt, listingChunkHeaderSize) : QByteArray();
        if (chunk.size() < listingChunkHeaderSize || !chunk.startsWith("PMGL"))
            return std::nullopt;
        const quint32 previous = u32(chunk, 0x0C);
        if (previous == 0xFFFFFFFF || previous >= first)
            break;
        first = previous;
    }
    if (first == named)
        return std::nullopt;
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(first, bytes.data());
    return Correction{directory + firstListingChunkAt, bytes};
}

bool compressedSectionIsSound(const QByteArray &control, const QByteArray &resetTable, qint64 extent,
                              qint64 contentLength)
{
    if (control.size() != 0x1C || control.mid(4, 4) != "LZXC")
        return false;
    const quint32 version = u32(control, 8);
    if (version != 1 && version != 2)
        return false;
    const qint64 unit = version == 2 ? frameSize : 1;
    // The decompressor makes bytes of both in 32 bits: one that wraps there is refused, so the value
    // checked is the one it goes by.
    const qint64 resetInterval = u32(control, 0xC) * unit;
    const qint64 window = u32(control, 0x10) * unit;
    if (resetInterval > UINT32_MAX || window > UINT32_MAX)
        return false;
    if (window < frameSize || window > 64 * frameSize || (window & (window - 1)) != 0)
        return false;
    if (resetInterval == 0 || resetInterval % frameSize != 0)
        return false;

    if (resetTable.size() < resetTableHeaderSize || resetTable.size() > largestResetTable)
        return false;
    const qint64 entries = u32(resetTable, 4);
    const qint64 entrySize = u32(resetTable, 8);
    const qint64 tableAt = u32(resetTable, 0xC);
    const qint64 uncompressed = i64(resetTable, 0x10);
    if (u32(resetTable, 0x20) != frameSize || (entrySize != 4 && entrySize != 8))
        return false;
    if (extent < 0 || uncompressed < extent)
        return false;
    if (extent == 0)
        return true;
    // The entry the decompressor starts from for the last byte, counted in frames; those before it too.
    const qint64 lastEntry = (extent - 1) / resetInterval * (resetInterval / frameSize);
    const std::optional<qint64> tableEnd = offsetOf(tableAt, lastEntry + 1, entrySize);
    if (lastEntry >= entries || !tableEnd || *tableEnd > resetTable.size())
        return false;
    qint64 previous = 0;
    for (qint64 entry = 0; entry <= lastEntry; ++entry) {
        const qsizetype at = qsizetype(*offsetOf(tableAt, entry, entrySize));
        const qint64 offset = entrySize == 8 ? i64(resetTable, at) : qint64(u32(resetTable, at));
        if (offset < previous || offset > contentLength)
            return false;
        previous = offset;
    }
    return true;
}

} // namespace containercheck
