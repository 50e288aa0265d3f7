#include "help/sitemap.h"

#include "help/htmldocument.h"
#include "help/topicpath.h"

#include <QUrl>
#include <libxml/HTMLparser.h>

namespace {

bool isElement(const xmlNode *node, const char *name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, BAD_CAST name) == 0;
}

QString attribute(const xmlNode *node, const char *name)
{
    xmlChar *value = xmlGetProp(node, BAD_CAST name);
    const QString text = value ? QString::fromUtf8(reinterpret_cast<const char *>(value)) : QString();
    xmlFree(value);
    return text;
}

// A topic names its page relative to the sitemap, or as "ms-its:other.chm::/page.htm" when the
// author wrote the full form; this viewer shows one file, so only the part after "::" counts.
QString topicPath(QString local, const QString &sitemapPath)
{
    const qsizetype storage = local.indexOf(QLatin1String("::"));
    if (storage >= 0)
        local = local.mid(storage + 2);
    QUrl base;
    base.setScheme(QStringLiteral("chm"));
    base.setPath(sitemapPath);
    const QUrl url = base.resolved(QUrl(local.trimmed()));
    if (url.scheme() != base.scheme())
        return {};
    return TopicPath::fromUrl(url).toString();
}

// The <param> children of an <object type="text/sitemap">, in order: the first "Name" names the
// entry; every later "Name" titles the "Local" that follows it.
SitemapEntry entryOf(const xmlNode *object, const QString &sitemapPath)
{
    SitemapEntry entry;
    bool named = false;
    QString pendingTitle;
    for (const xmlNode *param = object->children; param; param = param->next) {
        if (!isElement(param, "param"))
            continue;
        const QString key = attribute(param, "name").trimmed().toLower();
        const QString value = attribute(param, "value");
        if (key == QLatin1String("name")) {
            (named ? pendingTitle : entry.name) = value.trimmed();
            named = true;
        } else if (key == QLatin1String("local") || key == QLatin1String("url")) {
            const QString path = topicPath(value, sitemapPath);
            if (!path.isEmpty())
                entry.topics.append({pendingTitle, path});
            pendingTitle.clear();
        } else if (key == QLatin1String("see also")) {
            entry.seeAlso = value.trimmed();
        }
    }
    return entry;
}

// Every sitemap object becomes an entry of the list being filled; a list met after an entry holds
// that entry's children, whether the author put it inside the entry's <li> or after it.
void collect(const xmlNode *node, QList<SitemapEntry> &entries, const QString &sitemapPath)
{
    for (; node; node = node->next) {
        if (isElement(node, "object")) {
            if (attribute(node, "type").trimmed().compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0)
                entries.append(entryOf(node, sitemapPath));
            // An object left open holds whatever follows it.
            collect(node->children, entries, sitemapPath);
        } else if (isElement(node, "ul") || isElement(node, "ol")) {
            collect(node->children, entries.isEmpty() ? entries : entries.last().children, sitemapPath);
        } else {
            collect(node->children, entries, sitemapPath);
        }
    }
}

} // namespace

QList<SitemapEntry> parseSitemap(const QByteArray &html, const QString &sitemapPath)
{
    QList<SitemapEntry> entries;
    const HtmlDocument document(html);
    collect(document.root(), entries, sitemapPath);
    return entries;
}
