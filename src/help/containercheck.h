#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <optional>

/**
 * Checks of a compiled help file's own bytes, made before the container library is handed the
 * file: what it would trust blindly, or get wrong, is looked at here first.
 */
namespace containercheck {

/**
 * `base` + `count` × `size`: every offset the checks compute from the file's numbers is made here.
 * Nothing for a negative number or a result beyond 64 bits.
 */
std::optional<qint64> offsetOf(qint64 base, qint64 count, qint64 size);

/** How many bytes of the file's start headerOf() looks at. */
constexpr qsizetype headerSize = 0x38;

enum class Header {
    /** Not a compiled help file: no "ITSF" signature or the wrong identifiers. */
    foreign,
    standard,
    /** Some help compilers write the first identifier twice; read as if it held the standard pair. */
    repeatedIdentifier,
};

/** What the first headerSize bytes of a file say about it. */
Header headerOf(const QByteArray &start);

/** Bytes that the file is read as holding at `position`, in place of what it holds there. */
struct Correction
{
    qint64 position = 0;
    QByteArray bytes;
};

/** The standard second identifier, over a file of kind Header::repeatedIdentifier. */
Correction standardSecondIdentifier();

/** The file's bytes from a position, at most a size; fewer at its end. */
using ReadAt = std::function<QByteArray(qint64 position, qint64 size)>;

/**
 * The directory's true first listing chunk, where its header names a later one. Some help
 * compilers name chunk 1 when the listing spans several chunks and begins at chunk 0; the library
 * trusts the header and would miss every entry of chunk 0. Found by following each listing chunk's
 * link to the one before it, from the chunk the header names.
 * Layouts (little-endian): the file header holds the directory's offset in 8 bytes at 0x48. The
 * directory header "ITSP": 4 bytes its own length at 0x08, chunk size at 0x10, first listing chunk
 * at 0x20, chunk count at 0x2C; the chunks follow it. A listing chunk "PMGL" holds the number of
 * the chunk before it at 0x0C, -1 for none.
 */
std::optional<Correction> firstListingChunk(const ReadAt &readAt);

/**
 * Whether the LZX-compressed section can be read safely up to `extent`, the end of its last object.
 * Layouts (little-endian):
 * - ControlData, 0x1C bytes: 4 bytes size in dwords, "LZXC", 4 bytes version (1: sizes in bytes,
 *   2: in 32 KB frames), 4 bytes reset interval, 4 bytes window size, then 12 bytes not read.
 * - ResetTable: 4 bytes version, 4 bytes entry count, 4 bytes entry size (4 or 8), 4 bytes offset
 *   of the entries, 8 bytes uncompressed length, 8 bytes compressed length, 8 bytes frame length
 *   (32 KB); then per 32 KB frame the offset of its compressed data within the content.
 * Sound means: the window and reset interval, in bytes as the decompressor computes them (in 32
 * bits, without wrapping), are ones it takes; the reset table has an entry for every reset point
 * below `extent`, each inside the `contentLength` bytes of compressed data, and its uncompressed
 * length covers `extent`. Then every object is reached from the reset point before it.
 */
bool compressedSectionIsSound(const QByteArray &control, const QByteArray &resetTable, qint64 extent, qint64 contentLength);

} // namespace containercheck
