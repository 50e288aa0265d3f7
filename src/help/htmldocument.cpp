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

void appendText(const xmlNode *first, QString &text)
{
    const auto apart = [](const xmlNode *node) { return node->type == XML_ELEMENT_NODE && !isInline(lowerName(node)); };
    walkNodes(
        first,
        [&](const xmlNode *node) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
                text += utf8(node->content);
            if (node->type != XML_ELEMENT_NODE || xmlStrcasecmp(node->name, BAD_CAST "script") == 0
                || xmlStrcasecmp(node->name, BAD_CAST "style") == 0)
                return Walk::over;
            if (apart(node))
                text += QLatin1Char(' ');
            return Walk::into;
        },
        [&](const xmlNode *node) {
            if (apart(node))
                text += QLatin1Char(' ');
        });
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

void walkNodes(const xmlNode *first, const std::function<Walk(const xmlNode *)> &enter,
               const std::function<void(const xmlNode *)> &leave)
{
    int depth = 0;
    const xmlNode *node = first;
    while (node) {
        const Walk step = enter(node);
        if (step == Walk::stop)
            return;
        if (step == Walk::into && node->children) {
            node = node->children;
            ++depth;
            continue;
        }
        if (step == Walk::into && leave)
            leave(node);
        while (!node->next && depth > 0) {
            node = node->parent;
            --depth;
            if (leave)
                leave(node);
        }
        node = node->next;
    }
}

HtmlDocument::HtmlDocument(const QByteArray &html)
{
    if (html.isEmpty())
        return;
    m_document = htmlReadMemory(html.constData(), int(html.size()), nullptr, fallbackEncoding(html),
                                HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
}

HtmlDocument::~HtmlDocument()
{
    xmlFreeDoc(m_document);
}

xmlNode *HtmlDocument::root() const
{
    return m_document ? m_document->children : nullptr;
}

QString HtmlDocument::title() const
{
    const xmlNode *title = nullptr;
    walkNodes(root(), [&title](const xmlNode *node) {
        if (node->type != XML_ELEMENT_NODE || xmlStrcasecmp(node->name, BAD_CAST "title") != 0)
            return Walk::into;
        title = node;
        return Walk::stop;
    });
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
