#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <mspack.h>
#include <optional>

class MspackAccess;

/** The codes of the #SYSTEM entries the viewer reads. */
enum SystemEntryCode : quint16 {
    systemContentsFile = 0,
    systemIndexFile = 1,
    systemDefaultTopic = 2,
    systemTitle = 3,
};

/**
 * A compiled help file (.chm) read with libmspack: its objects by their path inside the file ("/index.htm",
 * ASCII letters in any case), decompressed into memory, never to disk. A file whose entries declare more
 * than the caps below is refused as a whole. One thread uses an object at a time: a worker opens the file anew.
 */
class CompiledHelp
{
public:
    /** The most one object may declare: far above any page or picture of a help file. */
    static constexpr qint64 largestObject = 16 * 1024 * 1024;
    /** The most all objects together may declare, and the furthest the compressed data may reach. */
    static constexpr qint64 largestTotal = 128 * 1024 * 1024;
    /** What the container library may allocate for the file's directory and its decompression. */
    static constexpr qint64 largestDirectory = 32 * 1024 * 1024;

    /** Opens the file at `path`; isOpen() tells whether it could be read as a compiled help file. */
    explicit CompiledHelp(const QString &path);
    ~CompiledHelp();
    CompiledHelp(const CompiledHelp &) = delete;
    CompiledHelp &operator=(const CompiledHelp &) = delete;

    bool isOpen() const { return m_header != nullptr; }
    QString path() const { return m_path; }

    /** Why this compiled help file is refused (damaged, or beyond a cap); empty otherwise, as for a foreign file. */
    QString refusal() const { return m_refusal; }

    bool contains(const QString &objectPath) const { return entry(objectPath) != nullptr; }

    /** The first `atMost` bytes of the object at `objectPath`; nothing when the file holds no such object. */
    std::optional<QByteArray> read(const QString &objectPath, qint64 atMost = largestObject) const;

    /** The path of every page (.htm, .html) in the file, in the file's own order. */
    QStringList pages() const;

    /** The page to show first: the default topic that the file names, else its first page, else "/index.html". */
    QString defaultTopic() const;

    /** The title the file gives itself; empty when it gives none. */
    QString title() const { return QString::fromUtf8(m_system.value(systemTitle)).trimmed(); }

    /** The file's table of contents (.hhc): the one its system data names, else the first it holds. */
    QString contentsFile() const;

    /** The file's index (.hhk), found the same way. */
    QString indexFile() const;

private:
    /** Takes in the file's entries within the caps; why the file is refused when they break one. */
    QString indexEntries();
    /** Whether the compressed objects can be reached safely (see containercheck). */
    bool compressedSectionIsSound(qint64 extent);
    mschmd_file *entry(const QString &objectPath) const { return m_byPath.value(objectPath.toUtf8().toLower()); }
    std::optional<QByteArray> extract(mschmd_file *file, qint64 atMost = largestObject) const;
    QStringList objectsEndingWith(const QStringList &suffixes) const;
    /** The object the #SYSTEM entry `code` names when the file holds it, else the first ending with a suffix, else `none`. */
    QString namedOrFirst(quint16 code, const QStringList &suffixes, const QString &none) const;

    QString m_path;
    QString m_refusal;
    struct CloseHeader
    {
        mschm_decompressor *decompressor;
        void operator()(mschmd_header *header) const;
    };
    // Freed in this order's reverse: the header, its decompressor, then the file they read.
    std::unique_ptr<MspackAccess> m_access;
    std::unique_ptr<mschm_decompressor, void (*)(mschm_decompressor *)> m_decompressor{nullptr, mspack_destroy_chm_decompressor};
    std::unique_ptr<mschmd_header, CloseHeader> m_header;
    /** The objects by their path with ASCII letters in lower case; the first of equal paths. */
    QHash<QByteArray, mschmd_file *> m_byPath;
    QList<mschmd_file *> m_objects;
    QMap<quint16, QByteArray> m_system;
};

/**
 * The entries of a compiled help file's #SYSTEM object, by code.
 * Layout: 4 bytes version (little-endian), then entries of 2 bytes code, 2 bytes length
 * (both little-endian) and `length` bytes of data. A text entry ends with a NUL, which is cut off.
 * An entry that runs past the end of the data ends the walk.
 */
QMap<quint16, QByteArray> parseSystemEntries(const QByteArray &system);
