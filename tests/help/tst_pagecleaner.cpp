// The page cleaner on hostile pages and on the program's own help pages, without a window.
#include "help/htmldocument.h"
#include "help/pagecleaner.h"
#include "help/searchindex.h"
#include "fuzzseed.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

namespace {

// What a cleaned page is made of, as the parser reads it back.
struct Shape
{
    int tableDepth = 0;
    int tableCount = 0;
    int cellCount = 0;
    int elementDepth = 0;
    int longestRun = 0;
    // Characters other than spaces and invisible breaks.
    int visibleLength = 0;
    QString text;
    QStringList elements;
};

void measure(const xmlNode *node, int depth, int tables, Shape &shape)
{
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(node->name));
        const int below = tables + (name == QLatin1String("table") ? 1 : 0);
        shape.tableCount += name == QLatin1String("table") ? 1 : 0;
        shape.cellCount += name == QLatin1String("td") || name == QLatin1String("th") ? 1 : 0;
        shape.tableDepth = std::max(shape.tableDepth, below);
        shape.elementDepth = std::max(shape.elementDepth, depth + 1);
        shape.elements << QString(depth, QLatin1Char(' ')) + name;
        measure(node->children, depth + 1, below, shape);
    }
}

Shape shapeOf(const QString &html)
{
    const HtmlDocument document(html.toUtf8());
    Shape shape;
    measure(document.root(), 0, 0, shape);
    shape.text = document.text();
    int run = 0;
    for (const QChar c : shape.text) {
        run = c.isSpace() || c == QChar(0x200B) ? 0 : run + 1;
        shape.longestRun = std::max(shape.longestRun, run);
        shape.visibleLength += run > 0 ? 1 : 0;
    }
    return shape;
}

QByteArray nested(const QByteArray &open, const QByteArray &close, int depth, const QByteArray &inside = "x")
{
    return "<html><body>" + open.repeated(depth) + inside + close.repeated(depth) + "</body></html>";
}

struct HostilePage
{
    const char *name;
    QByteArray html;
    bool cut;
};

class HostilePages : public testing::TestWithParam<HostilePage>
{
};

// Every hostile page comes out within every limit, whatever it was built to break.
TEST_P(HostilePages, comeOutWithinTheLimits)
{
    const PageLimits limits;
    writeFuzzSeed(GetParam().name, GetParam().html);
    const CleanedPage cleaned = cleanPage(GetParam().html, limits);
    const Shape shape = shapeOf(cleaned.html);
    EXPECT_LE(shape.tableDepth, limits.tableDepth);
    EXPECT_LE(shape.tableCount, limits.tableCount);
    EXPECT_LE(shape.cellCount, limits.cellCount);
    EXPECT_LE(shape.elementDepth, limits.elementDepth + 2); // the note's paragraph and emphasis
    EXPECT_LE(shape.longestRun, limits.wordLength);
    EXPECT_LE(shape.visibleLength, limits.textLength + cutNote().size());
    EXPECT_EQ(cleaned.cut, GetParam().cut);
    EXPECT_EQ(shape.text.contains(cutNote()), GetParam().cut);
}

INSTANTIATE_TEST_SUITE_P(
    PageCleaner, HostilePages,
    testing::Values(HostilePage{"thirtyNestedTables", nested("<table><tr><td>", "</td></tr></table>", 30), false},
                    HostilePage{"tenThousandNestedTables", nested("<table><tr><td>", "</td></tr></table>", 10000), false},
                    HostilePage{"tablesWithoutEndTags", nested("<table><tr><td>", "", 10000), false},
                    HostilePage{"aThousandNestsOfSixTables",
                                nested("", "", 0, QByteArray("<table><tr><td>x").repeated(6).append(QByteArray("</table>").repeated(6)).repeated(1000)),
                                false},
                    HostilePage{"fiftyNestsOfTenTables",
                                nested("", "", 0, QByteArray("<table><tr><td>x").repeated(10).append(QByteArray("</table>").repeated(10)).repeated(50)),
                                false},
                    HostilePage{"fifteenThousandStyleRulesOverTwoThousandParagraphs",
                                "<html><head><style>" + QByteArray("*{margin:0}\n").repeated(15000) + "</style></head><body>"
                                    + QByteArray("<p>text</p>").repeated(2000) + "</body></html>",
                                false},
                    HostilePage{"aTableOfTwentyThousandCells",
                                nested("<table>", "</table>", 1, QByteArray("<tr>" + QByteArray("<td>c</td>").repeated(100)).repeated(200)),
                                true},
                    HostilePage{"hundredThousandNestedBold", nested("<b>", "</b>", 100000), false},
                    HostilePage{"nestedListsAndQuotes", nested("<ul><li><blockquote>", "", 3000), false},
                    HostilePage{"aWordOfAMegabyte", nested("<p>", "</p>", 1, QByteArray(1 << 20, 'w')), true},
                    HostilePage{"aWordOfAThousandCharacters", nested("<p>", "</p>", 1, QByteArray(1000, 'w')), false},
                    HostilePage{"aWordSplitByMarkup", nested("<p>", "</p>", 1, QByteArray("w<b>w</b>").repeated(500)), false},
                    HostilePage{"manyParagraphs", nested("", "", 0, QByteArray("<p>words and words</p>").repeated(100000)), true},
                    HostilePage{"pageOfTenMegabytes", nested("", "", 0, QByteArray("<i>many words here</i> ").repeated(500000)), true}),
    [](const testing::TestParamInfo<HostilePage> &info) { return info.param.name; });

TEST(PageCleaner, flattensDeepTablesKeepingTheirText)
{
    QByteArray html = "<table><tr><td>cell0</td></tr></table>";
    for (int level = 1; level <= 10; ++level)
        html = "<table><tr><td>cell" + QByteArray::number(level) + html + "</td></tr></table>";
    const Shape shape = shapeOf(cleanPage(html).html);
    EXPECT_EQ(shape.tableDepth, PageLimits().tableDepth);
    for (int level = 0; level <= 10; ++level)
        EXPECT_TRUE(shape.text.contains(QStringLiteral("cell%1").arg(level))) << level;
}

TEST(PageCleaner, leavesOutScriptsAndCommentsAndEscapesText)
{
    const CleanedPage cleaned = cleanPage("<p title='a\"b'>1 &lt; 2 &amp; <!-- hidden --><script>run()</script>3 &gt; 2</p>");
    EXPECT_FALSE(cleaned.html.contains(QLatin1String("run()")));
    EXPECT_FALSE(cleaned.html.contains(QLatin1String("hidden")));
    EXPECT_TRUE(cleaned.html.contains(QLatin1String("<p title=\"a&quot;b\">1 &lt; 2 &amp; 3 &gt; 2</p>")))
        << qPrintable(cleaned.html);
}

// Titles and words are read off the raw page on the worker threads, before any cleaning: as deep as
// the parser nests, and deeper still in a tree built by hand.
TEST(HtmlDocument, readsAPageNestedAsDeepAsTwoMegabytesGo)
{
    const QByteArray deep = QByteArray("<b>").repeated(PageLimits().pageBytes / 4);
    const HtmlDocument document("<html><head><title>Deep " + deep + "</title></head><body>words before " + deep + "</body></html>");
    EXPECT_TRUE(document.title().startsWith(QStringLiteral("Deep")));
    EXPECT_EQ(SearchIndex::wordsOf(document.text()).value(0), QStringLiteral("deep"));

    xmlNode *root = xmlNewNode(nullptr, BAD_CAST "html");
    xmlNode *node = root;
    for (int depth = 0; depth < 1000000; ++depth)
        node = xmlAddChild(node, xmlNewNode(nullptr, BAD_CAST "b"));
    int entered = 0, left = 0;
    walkNodes(root, [&](const xmlNode *) { return ++entered, Walk::into; }, [&](const xmlNode *) { ++left; });
    EXPECT_EQ(entered, 1000001);
    EXPECT_EQ(left, entered);
    xmlFreeNode(root);
}

// The layout tries every selector on every element: sheets past the page's budget are left out whole.
TEST(PageCleaner, keepsStyleSheetsWithinTheSelectorBudget)
{
    const auto styled = [](const QByteArray &sheets) {
        return cleanPage("<html><head>" + sheets + "</head><body>" + QByteArray("<p>text</p>").repeated(2000) + "</body></html>");
    };
    const QByteArray small = "<style>p, h1 { color: red } td { margin: 0 }</style>";
    const QByteArray many = "<style>" + QByteArray("*{margin:0}\n").repeated(15000) + "</style>";
    const QByteArray half = "<style>" + QByteArray("p.a{margin:0}\n").repeated(PageLimits().styleSelectors / 2) + "</style>";
    EXPECT_EQ(styled(small).html.count(QLatin1String("<style")), 1);
    EXPECT_EQ(styled(many).html.count(QLatin1String("<style")), 0);
    EXPECT_EQ(styled(many + small).html.count(QLatin1String("p, h1")), 1);
    EXPECT_EQ(styled(half + half + half).html.count(QLatin1String("<style")), 2);
    EXPECT_EQ(styled("<style>@import url(other.css); p { color: red }</style>").html.count(QLatin1String("<style")), 0);

    // What a page's own sheets leave is what the sheets it links may use.
    StyleBudget left = styled(half).styles;
    EXPECT_TRUE(left.take(QStringLiteral("p.a{margin:0}\n").repeated(PageLimits().styleSelectors / 2)));
    EXPECT_FALSE(left.take(QStringLiteral("p { color: red }")));
}

// The help the program ships keeps every word, every element and its nesting.
TEST(PageCleaner, leavesOurOwnPagesAsTheyAre)
{
    const QDir pages(QStringLiteral(QUARIMO_HELP_SOURCES));
    const QStringList names = pages.entryList({QStringLiteral("*.htm")});
    ASSERT_GE(names.size(), 8);
    for (const QString &name : names) {
        QFile file(pages.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        const CleanedPage cleaned = cleanPage(original);
        EXPECT_FALSE(cleaned.cut) << qPrintable(name);
        const Shape before = shapeOf(QString::fromUtf8(original));
        const Shape after = shapeOf(cleaned.html);
        EXPECT_EQ(after.text.trimmed().toStdString(), before.text.trimmed().toStdString()) << qPrintable(name);
        EXPECT_EQ(after.elements.join(QLatin1Char('\n')).toStdString(), before.elements.join(QLatin1Char('\n')).toStdString())
            << qPrintable(name);
    }
}

} // namespace
