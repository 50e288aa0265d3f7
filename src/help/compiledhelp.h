#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

struct chmFile;

/**
 * A compiled help file (.chm) opened for reading with chmlib: its pages, style sheets and
 * pictures by their path inside the file ("/index.htm"), and the page it opens on.
 */
class CompiledHelp
{
public:
    /** Opens the file at `path`; isOpen() tells whether it could be read as a compiled help file. */
    explicit CompiledHelp(const QString &path);
    ~CompiledHelp();
    CompiledHelp(const CompiledHelp &) = delete;
    CompiledHelp &operator=(const CompiledHelp &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_path; }

    /** Whether the file holds an object at `objectPath`. */
    bool contains(const QString &objectPath) const;

    /** The bytes of the object at `objectPath`, or nothing when the file holds no such object. */
    std::optional<QByteArray> read(const QString &objectPath) const;

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
    QMap<quint16, QByteArray> systemEntries() const;
    QStringList objectsEndingWith(const QStringList &suffixes) const;
    QString sitemapFile(quint16 code, const QString &suffix) const;

    QString m_path;
    chmFile *m_file = nullptr;
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
