#include "help/topicpath.h"

TopicPath TopicPath::parse(const QString &text)
{
    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    return hash < 0 ? TopicPath{text, {}} : TopicPath{text.left(hash), text.mid(hash + 1)};
}

QUrl TopicPath::toUrl(const QString &scheme) const
{
    QUrl url;
    url.setScheme(scheme);
    url.setPath(rooted(page));
    if (!place.isEmpty())
        url.setFragment(place);
    return url;
}
