#include "help/topicpath.h"

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
    url.setPath(page.startsWith(QLatin1Char('/')) ? page : QLatin1Char('/') + page);
    if (hasPlace())
        url.setFragment(place);
    return url;
}
