#pragma once

#include <QString>
#include <QUrl>

/** Where a topic leads: a page inside the help file and, optionally, a named place on it ("/rules.htm#date"). */
struct TopicPath
{
    /** The object path of the page inside the help file ("/rules.htm"). */
    QString page;
    /** The anchor's name on the page, without "#"; empty for the page as a whole. */
    QString place;

    /** `objectPath` with the leading "/" that every path inside the help file has. */
    static QString rooted(const QString &objectPath)
    {
        return objectPath.startsWith(QLatin1Char('/')) ? objectPath : QLatin1Char('/') + objectPath;
    }

    /** Splits "page#place" at its first "#". */
    static TopicPath parse(const QString &text);
    /** The page and place of a URL of the help file ("chm:/rules.htm#date"). */
    static TopicPath fromUrl(const QUrl &url) { return {url.path(), url.fragment()}; }

    /** "page#place", or the page alone when no place is named. */
    QString toString() const { return place.isEmpty() ? page : page + QLatin1Char('#') + place; }
    /** The same with the URL scheme the viewer gives objects of the help file. */
    QUrl toUrl(const QString &scheme) const;

    bool operator==(const TopicPath &) const = default;
};
