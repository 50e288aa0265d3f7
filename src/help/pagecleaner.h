#pragma once

#include <QByteArray>
#include <QString>

/**
 * How much of a page the viewer lays out. The layout's time doubles with every table nested in a table
 * and grows with the square of a line's longest unbreakable run, so both are kept small.
 */
struct PageLimits
{
    /** Tables inside tables; a deeper table shows its cells' text without the table. */
    int tableDepth = 6;
    /** Tables on one page; later ones show their cells' text without the table. */
    int tableCount = 500;
    /** Table cells on one page, whose layout costs most; the page is cut at the next one. */
    int cellCount = 2000;
    /** Elements inside elements; deeper markup is dropped and its text kept. */
    int elementDepth = 40;
    /** Characters in a row with nowhere to break the line; a longer run gets an invisible break. */
    int wordLength = 80;
    /** Characters of text on one page; the rest is cut off. */
    int textLength = 200000;
    /** Elements on one page; the rest is cut off. */
    int elementCount = 20000;
    /** Bytes of a page that are read at all. */
    qsizetype pageBytes = 2 * 1024 * 1024;
    /** Style-sheet selectors of one page, its own and linked: the layout tries each on every element. */
    int styleSelectors = 256;
};

/** What is left of a page's budget of style-sheet selectors. */
class StyleBudget
{
public:
    StyleBudget() = default;
    explicit StyleBudget(int selectors) : m_left(selectors) {}

    /** Whether `sheet` is laid out: when its selectors fit, which then use up the budget. Never one that imports. */
    bool take(const QString &sheet);

private:
    int m_left = PageLimits().styleSelectors;
};

/** A page made safe to lay out, as HTML. */
struct CleanedPage
{
    QString html;
    /** Whether the page was longer than the limits allow; `cutNote()` then stands where it ends. */
    bool cut = false;
    /** What the page's own style sheets left for those it links. */
    StyleBudget styles;
};

/**
 * Reads `html` with the forgiving parser and writes it again within `limits`: markup nested too deeply
 * is flattened, long words get invisible breaks, scripts, comments and style sheets beyond the budget
 * are left out, and a page too long is cut with a note. A page within the limits keeps its structure.
 */
CleanedPage cleanPage(const QByteArray &html, const PageLimits &limits = {});

/** The note that stands where a page was cut. */
inline QString cutNote()
{
    return QStringLiteral("This page is longer than the help viewer shows; the rest of it is left out.");
}
