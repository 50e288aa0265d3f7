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

/**
 * A compiled help file (.chm) opened for reading with libmspack: its pages, style sheets and
 * pictures by their path inside the file ("/index.htm", found without regard to the case of
 * ASCII letters), and the page it opens on. Objects are decompressed into memory, never to disk.
 * A file whose entries declare more than the caps below is refused as a whole when it is opened.
 * One thread uses an object at a time: a worker opens the file anew.
 */
class CompiledHelp
{
public:
    /** The most one object may declare: far above any page or picture of a help file. */
    static constexpr qint64 largestObject = 16 * 1024 * 1024;
    /**
     * The most all objects together may declare, and the furthest the compressed data may reach:
     * what one read may have to decompress, and what indexing every page reads.
     */
    static constexpr qint64 largestTotal = 128 * 1024 * 1024;
    /** What the container library may allocate for the file's directory and its decompression. */
    static constexpr qint64 largestDirectory = 32 * 1024 * 1024;

    /**
     * Opens the file at `path`; isOpen() tells whether it could be read as a compiled help file,
     * and refusal() why a compiled help file was not opened.
     */
    explicit CompiledHelp(const QString &path);
    ~CompiledHelp();
    CompiledHelp(const CompiledHelp &) = delete;
    CompiledHelp &operator=(const CompiledHelp &) = delete;

    bool isOpen() const { return m_header != nullptr; }
    QString path() const { return m_path; }

    /**
     * Empty while all is well, and for a file that is no compiled help file at all; otherwise a
     * message for the user on why this compiled help file is not shown: it is damaged, or it
     * declares more than a cap.
     */
    QString refusal() const { return m_refusal; }

    /** Whether the file holds an object at `objectPath`. */
    bool contains(const QString &objectPath) const;

    /**
     * The bytes of the object at `objectPath`, or nothing when the file holds no such object. Only
     * its first `atMost` bytes are decompressed and given.
     */
    std::optional<QByteArray> read(const QString &objectPath, qint64 atMost = largestObject) const;

    /** The path of every page (.htm, .html) in the file, in the file's own order. */
    QStringList pages() const;

    /**
     * The page to show first: the default topic that the file names, else its first page,
     * else "/index.html".
     */
    QString defaultTopic() const;

    /** The title the file gives itself; empty when it gives none. */
    QString title() const;

    /**
     * The path of the file's table of contents (.hhc): the one its system data names, else the
     * first .hhc object it holds; empty when it has none.
     */
    QString contentsFile() const;

    /** The path of the file's index (.hhk), found the same way; empty when it has none. */
    QString indexFile() const;

private:
    void open();
    /** Takes in the file's entries within the caps; why the file is refused when they break one. */
    QString indexEntries();
    /** Whether the compressed objects can be reached safely (see containercheck). */
    bool compressedSectionIsSound(qint64 extent);
    mschmd_file *entry(const QString &objectPath) const;
    std::optional<QByteArray> extract(mschmd_file *file, qint64 atMost = largestObject) const;
    QStringList objectsEndingWith(const QStringList &suffixes) const;
    QString sitemapFile(quint16 code, const QString &suffix) const;

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
    /** The objects in the file's own order. */
    QList<mschmd_file *> m_objects;
    /** The #SYSTEM entries, read once at opening. */
    QMap<quint16, QByteArray> m_system;
};

/**
 * The entries of a compiled help file's #SYSTEM object, by code.
 * Layout: 4 bytes version (little-endian), then entries of 2 bytes code, 2 bytes length
 * (both little-endian) and `length` bytes of data. A text entry ends with a NUL, which is cut off.
 * An entry that runs past the end of the data ends the walk.
 */
QMap<quint16, QByteArray> parseSystemEntries(const QByteArray &system);

/** The codes of the #SYSTEM entries the viewer reads. */
enum SystemEntryCode : quint16 {
    systemContentsFile = 0,
    systemIndexFile = 1,
    systemDefaultTopic = 2,
    systemTitle = 3,
};
