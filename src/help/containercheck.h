#pragma once

#include <QByteArray>
#include <QtGlobal>

/**
 * Checks of a compiled help file's own bytes, made before the container library is handed the
 * file: what it would trust blindly, or get wrong, is looked at here first.
 */
namespace containercheck {

/** How many bytes of the file's start headerOf() looks at. */
constexpr qsizetype headerSize = 0x38;

enum class Header {
    /** Not a compiled help file: no "ITSF" signature or the wrong identifiers. */
    foreign,
    /** The standard header. */
    standard,
    /**
     * Some help compilers write the first of the header's two identifiers twice; such a file is
     * read as if it held the standard pair (see standardHeaderBytes()).
     */
    repeatedIdentifier,
};

/** What the first headerSize bytes of a file say about it. */
Header headerOf(const QByteArray &start);

/**
 * Puts the standard second identifier over the bytes of `buffer`, which holds the file's bytes
 * from `position` on: the view of a file of kind Header::repeatedIdentifier that is handed on.
 */
void standardHeaderBytes(char *buffer, qint64 position, qint64 size);

/**
 * Whether the LZX-compressed section can be read safely up to `extent` bytes of uncompressed data,
 * the end of its last object. Layouts (little-endian):
 * - ControlData, 0x1C bytes: 4 bytes size in dwords, "LZXC", 4 bytes version (1: sizes in bytes,
 *   2: in 32 KB frames), 4 bytes reset interval, 4 bytes window size, then 12 bytes not read.
 * - ResetTable: 4 bytes version, 4 bytes entry count, 4 bytes entry size (4 or 8), 4 bytes offset
 *   of the entries, 8 bytes uncompressed length, 8 bytes compressed length, 8 bytes frame length
 *   (32 KB); then per 32 KB frame the offset of its compressed data within the content.
 * Sound means: the window and reset interval are ones the decompressor takes, the reset table has
 * an entry for every reset point below `extent`, each inside the `contentLength` bytes of
 * compressed data, and the uncompressed length covers `extent`. Then every object is reached from
 * the reset point before it, and never by decompressing the section from its start.
 */
bool compressedSectionIsSound(const QByteArray &control, const QByteArray &resetTable, qint64 extent,
                              qint64 contentLength);

} // namespace containercheck
