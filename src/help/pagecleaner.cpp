#include "help/pagecleaner.h"

#include "help/htmldocument.h"

#include <QSet>
#include <libxml/HTMLparser.h>
#include <vector>

namespace {

bool isVoid(const QByteArray &name)
{
    static const QSet<QByteArray> elements = {"area", "base", "basefont", "br", "col", "embed", "frame", "hr",
                                              "img", "input", "isindex", "link", "meta", "param", "source", "wbr"};
    return elements.contains(name);
}

bool isTablePart(const QByteArray &name)
{
    static const QSet<QByteArray> elements = {"caption", "col", "colgroup", "tbody", "td", "tfoot", "th", "thead", "tr"};
    return elements.contains(name);
}

QString reference(char32_t c)
{
    return QStringLiteral("&#x%1;").arg(uint(c), 0, 16);
}

// An attribute's value, quoted characters escaped and every character beyond ASCII as a reference.
QString escaped(const xmlChar *value)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(value)).toHtmlEscaped();
    QString written;
    written.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        written += c > 0x7e ? reference(c) : QString(QChar(c));
    return written;
}

class PageWriter
{
public:
    explicit PageWriter(const PageLimits &limits) : styles(limits.styleSelectors), m_limits(limits) {}

    // A page cut short, here or before it was read (`truncated`), ends with the note inside its body.
    void write(const xmlNode *first, bool truncated)
    {
        walkNodes(
            first,
            [this](const xmlNode *node) {
                const bool entered = !cut && enter(node);
                return cut ? Walk::stop : entered ? Walk::into : Walk::over;
            },
            [this](const xmlNode *) { leave(); });
        cut = cut || truncated;
        while (!m_open.empty() && m_open.back().name != "body")
            leave();
        if (cut)
            html += QStringLiteral("<hr><p><i>%1</i></p>").arg(cutNote().toHtmlEscaped());
        while (!m_open.empty())
            leave();
    }

    QString html;
    bool cut = false;
    StyleBudget styles;

private:
    struct Open
    {
        QByteArray name;
        bool written;
        bool table;
    };

    bool enter(const xmlNode *node)
    {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            writeText(node->content);
            return false;
        }
        if (node->type != XML_ELEMENT_NODE)
            return false;
        const QByteArray name = QByteArray(reinterpret_cast<const char *>(node->name)).toLower();
        if (name == "script")
            return false;
        if (++m_elements > m_limits.elementCount || html.size() > m_limits.pageBytes) {
            cut = true;
            return false;
        }
        if (name == "style") {
            writeStyle(node);
            return false;
        }
        const bool table = name == "table";
        const bool cell = name == "td" || name == "th";
        bool written = m_writtenDepth < m_limits.elementDepth;
        if (table) {
            written = written && m_tableDepth < m_limits.tableDepth && m_tableCount < m_limits.tableCount;
            m_tables.push_back(written);
            m_tableDepth += written ? 1 : 0;
            m_tableCount += written ? 1 : 0;
        } else if (isTablePart(name) && !m_tables.empty()) {
            written = written && m_tables.back();
        }
        if (written && cell && ++m_cells > m_limits.cellCount) {
            cut = true;
            return false;
        }
        m_open.push_back({name, written, table});
        if (written) {
            ++m_writtenDepth;
            writeStartTag(node, name);
        } else if (cell) {
            html += QLatin1Char(' ');
        }
        return true;
    }

    void leave()
    {
        const Open open = m_open.back();
        m_open.pop_back();
        if (open.table) {
            m_tableDepth -= open.written ? 1 : 0;
            m_tables.pop_back();
        }
        if (open.written) {
            --m_writtenDepth;
            if (!isVoid(open.name))
                html += QStringLiteral("</%1>").arg(QLatin1String(open.name));
            // The parser drops the line end that pages have after </body>, and the layout gives
            // it to the page's last paragraph; written back, the page ends as it did.
            if (open.name == "body")
                html += QLatin1Char('\n');
        } else if (open.name == "tr" || open.name == "table" || open.name == "caption") {
            html += QLatin1String("<br>");
        }
    }

    void writeStartTag(const xmlNode *node, const QByteArray &name)
    {
        html += QLatin1Char('<') + QLatin1String(name);
        for (const xmlAttr *attribute = node->properties; attribute; attribute = attribute->next) {
            xmlChar *value = xmlGetProp(node, attribute->name);
            html += QLatin1Char(' ') + QString::fromUtf8(reinterpret_cast<const char *>(attribute->name)).toLower()
                    + QLatin1String("=\"") + (value ? escaped(value) : QString()) + QLatin1Char('"');
            xmlFree(value);
        }
        html += QLatin1Char('>');
    }

    // Style sheets are written as they are: they hold no markup, and escaping would change them.
    void writeStyle(const xmlNode *node)
    {
        QString sheet;
        for (const xmlNode *child = node->children; child; child = child->next) {
            if (child->content)
                sheet += QString::fromUtf8(reinterpret_cast<const char *>(child->content));
        }
        if (sheet.contains(QLatin1String("</")) || !styles.take(sheet))
            return;
        writeStartTag(node, "style");
        html += sheet + QLatin1String("</style>");
    }

    // Every character beyond ASCII is written as a reference, so that the page reads the same
    // whatever character set its own <meta> names.
    void writeText(const xmlChar *content)
    {
        if (!content)
            return;
        const QString text = QString::fromUtf8(reinterpret_cast<const char *>(content));
        html.reserve(html.size() + text.size());
        for (const char32_t c : text.toUcs4()) {
            if (++m_textLength > m_limits.textLength) {
                cut = true;
                return;
            }
            if (QChar::isSpace(c)) {
                m_run = 0;
            } else if (++m_run > m_limits.wordLength) {
                html += QLatin1String("&#x200B;");
                m_run = 1;
            }
            if (c > 0x7e) {
                html += reference(c);
            } else if (c == U'&') {
                html += QLatin1String("&amp;");
            } else if (c == U'<') {
                html += QLatin1String("&lt;");
            } else if (c == U'>') {
                html += QLatin1String("&gt;");
            } else {
                html += QChar(c);
            }
        }
    }

    const PageLimits &m_limits;
    std::vector<Open> m_open;
    // For each table open, whether it was written as a table.
    std::vector<bool> m_tables;
    int m_tableDepth = 0;
    int m_tableCount = 0;
    int m_cells = 0;
    int m_writtenDepth = 0;
    int m_elements = 0;
    int m_textLength = 0;
    int m_run = 0;
};

// Cut after the last tag that ends within the limit, so no character is split.
QByteArray readablePart(const QByteArray &html, qsizetype limit)
{
    const qsizetype end = html.lastIndexOf('>', limit - 1);
    return html.left(end < 0 ? 0 : end + 1);
}

} // namespace

// Each rule's selectors end at its "{"; those of a comma-separated list count one each.
bool StyleBudget::take(const QString &sheet)
{
    if (sheet.contains(QLatin1String("@import"), Qt::CaseInsensitive))
        return false;
    int selectors = 0, depth = 0;
    for (const QChar c : sheet) {
        if (c == QLatin1Char('{'))
            selectors += depth++ == 0 ? 1 : 0;
        else if (c == QLatin1Char('}'))
            depth = std::max(0, depth - 1);
        else if (c == QLatin1Char(',') && depth == 0)
            ++selectors;
        if (selectors > m_left)
            return false;
    }
    m_left -= selectors;
    return true;
}

CleanedPage cleanPage(const QByteArray &html, const PageLimits &limits)
{
    const bool tooLong = html.size() > limits.pageBytes;
    const HtmlDocument document(tooLong ? readablePart(html, limits.pageBytes) : html);
    PageWriter writer(limits);
    writer.write(document.root(), tooLong);
    return {std::move(writer.html), writer.cut, writer.styles};
}
