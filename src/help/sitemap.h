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
 * One entry of a table of contents (.hhc) or index (.hhk): a heading or keyword, the topics it leads to
 * (none for a book, several for some keywords), the keyword it refers to instead ("See Also"), its children.
 */
struct SitemapEntry
{
    QString name;
    QList<SitemapTopic> topics;
    QString seeAlso;
    QList<SitemapEntry> children;
};

/**
 * The entries of a sitemap file, nested as its lists are, in order; the often malformed HTML is read
 * forgivingly. Topic paths are resolved against `sitemapPath`, the sitemap's own path in the help file.
 */
QList<SitemapEntry> parseSitemap(const QByteArray &html, const QString &sitemapPath = QStringLiteral("/"));
