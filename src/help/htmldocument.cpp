#include "help/htmldocument.h"

#include <QSet>
#include <QStringDecoder>
#include <libxml/HTMLparser.h>

namespace {

QString utf8(const xmlChar *text)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text));
}

QString lowerName(const xmlNode *node)
{
    return utf8(node->name).toLower();
}

const xmlNode *findElement(const xmlNode *node, const char *name)
{
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, BAD_CAST name) == 0)
            return node;
        if (const xmlNode *below = findElement(node->children, name))
            return below;
    }
    return nullptr;
}

bool isInline(const QString &element)
{
    static const QSet<QString> inlineElements = {
        QStringLiteral("a"),    QStringLiteral("abbr"), QStringLiteral("b"),      QStringLiteral("big"),
        QStringLiteral("cite"), QStringLiteral("code"), QStringLiteral("dfn"),    QStringLiteral("em"),
        QStringLiteral("font"), QStringLiteral("i"),    QStringLiteral("kbd"),    QStringLiteral("mark"),
        QStringLiteral("q"),    QStringLiteral("s"),    QStringLiteral("samp"),   QStringLiteral("small"),
        QStringLiteral("span"), QStringLiteral("strike"), QStringLiteral("strong"), QStringLiteral("sub"),
        QStringLiteral("sup"),  QStringLiteral("tt"),   QStringLiteral("u"),      QStringLiteral("var"),
    };
    return inlineElements.contains(element);
}

void appendText(const xmlNode *node, QString &text)
{
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            text += utf8(node->content);
        } else if (node->type == XML_ELEMENT_NODE) {
            const QString element = lowerName(node);
            if (element == QLatin1String("script") || element == QLatin1String("style"))
                continue;
            const bool apart = !isInline(element);
            if (apart)
                text += QLatin1Char(' ');
            appendText(node->children, text);
            if (apart)
                text += QLatin1Char(' ');
        }
    }
}

// Help files are written on systems whose 8-bit code page is mostly Windows-1252, and their sitemaps
// seldom say so. A file that declares its character set, or is valid UTF-8, is read as it is.
const char *fallbackEncoding(const QByteArray &html)
{
    if (html.left(2048).toLower().contains("charset"))
        return nullptr;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(html);
    return utf8.hasError() ? "windows-1252" : nullptr;
}

} // namespace

HtmlDocument::HtmlDocument(const QByteArray &html)
{
    if (html.isEmpty())
        return;
    m_document = htmlReadMemory(html.constData(), int(html.size()), nullptr, fallbackEncoding(html),
                                HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
}

HtmlDocument::~HtmlDocument()
{
    if (m_document)
        xmlFreeDoc(m_document);
}

xmlNode *HtmlDocument::root() const
{
    return m_document ? m_document->children : nullptr;
}

QString HtmlDocument::title() const
{
    const xmlNode *title = findElement(root(), "title");
    if (!title)
        return {};
    QString text;
    appendText(title->children, text);
    return text.simplified();
}

QString HtmlDocument::text() const
{
    QString text;
    appendText(root(), text);
    return text;
}
