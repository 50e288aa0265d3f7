#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/** One topic an entry leads to: a page inside the help file, with the title the sitemap gives it. */
struct SitemapTopic
{
    QString title;
    /** The object path inside the help file, with any "#place" ("/rules.htm#date"). */
    QString path;

    bool operator==(const SitemapTopic &) const = default;
};

/**
 * One entry of a help file's table of contents (.hhc) or index (.hhk): a heading or keyword, the
 * topics it leads to (none for a book that only groups others, several for some keywords), the
 * keyword it refers to instead ("See Also") and the entries nested below it.
 */
struct SitemapEntry
{
    QString name;
    QList<SitemapTopic> topics;
    QString seeAlso;
    QList<SitemapEntry> children;
};

/**
 * The entries of a sitemap file, nested as its lists are and in the file's order. The file is HTML
 * as help authoring tools write it, often malformed, and is read with a forgiving parser. Topic paths
 * are resolved against `sitemapPath`, the sitemap's own path inside the help file. Anything that is
 * no sitemap gives no entries.
 */
QList<SitemapEntry> parseSitemap(const QByteArray &html, const QString &sitemapPath = QStringLiteral("/"));
