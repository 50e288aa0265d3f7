#pragma once

#include <QByteArray>
#include <QString>

/**
 * How much of a page the viewer lays out. The text layout's time doubles with every table nested in
 * a table and grows with the square of a line's longest unbreakable run, so both are kept small;
 * the other limits bound the time and memory any page can take.
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
    /**
     * Selectors that the style sheets of one page may bring in all, its own and those it links: the
     * layout tries each on every element, so their number and not their bytes is what costs.
     */
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
 * Reads `html` with the forgiving parser and writes it again within `limits`: tables and other
 * markup nested too deeply are flattened, very long words get invisible line breaks, scripts,
 * comments and style sheets beyond the budget are left out, and a page that is too long is cut with a note. A page within the limits
 * keeps its text and structure.
 */
CleanedPage cleanPage(const QByteArray &html, const PageLimits &limits = {});

/** The note that stands where a page was cut. */
QString cutNote();
