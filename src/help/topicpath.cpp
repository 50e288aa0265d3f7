#include "help/topicpath.h"

QString TopicPath::rooted(const QString &objectPath)
{
    return objectPath.startsWith(QLatin1Char('/')) ? objectPath : QLatin1Char('/') + objectPath;
}

TopicPath TopicPath::parse(const QString &text)
{
    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return {text, {}};
    return {text.left(hash), text.mid(hash + 1)};
}

TopicPath TopicPath::fromUrl(const QUrl &url)
{
    return {url.path(), url.fragment()};
}

QString TopicPath::toString() const
{
    return hasPlace() ? page + QLatin1Char('#') + place : page;
}

QUrl TopicPath::toUrl(const QString &scheme) const
{
    QUrl url;
    url.setScheme(scheme);
    url.setPath(rooted(page));
    if (hasPlace())
        url.setFragment(place);
    return url;
}
