// The help viewer's Contents, Index and Search, on small help files compiled here with chmcmd and
// on the help the build makes, driven with mouse and keyboard as a user would.
#include "help/compiledhelp.h"
#include "help/viewer/helpbrowser.h"
#include "help/viewer/helpcontentstree.h"
#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "help/htmldocument.h"
#include "help/searchindex.h"
#include "help/sitemap.h"
#include "help/viewer/topicchooser.h"
#include "guitestutil.h"
#include "helpfile.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

// Nested contents as authoring tools write them: unclosed items, a list inside one item and a
// list after another's end tag, capitals and lower case mixed, a book without a page.
const QByteArray fixtureContents = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Book"></OBJECT>
  <UL>
  <LI><object type="text/sitemap"><PARAM NAME="name" VALUE="Alpha"><param name="Local" value="a.htm"></object>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Beta"><param name="Local" value="b.htm"></OBJECT></LI>
  <UL><LI><OBJECT type="text/sitemap"><param name="Name" value="Gamma"><param name="Local" value="c.htm#deep"></OBJECT></UL>
  </UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Delta"><param name="Local" value="d.htm"></OBJECT>
</UL></BODY></HTML>)";

const QByteArray fixtureIndex = R"(<HTML><BODY><UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="camera">
    <param name="Name" value="Alpha page"><param name="Local" value="a.htm">
    <param name="Name" value="Beta page"><param name="Local" value="b.htm"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="date"><param name="Local" value="b.htm"></OBJECT>
  <UL><LI><OBJECT type="text/sitemap"><param name="Name" value="and time"><param name="Local" value="c.htm"></OBJECT></UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="dates, see date"><param name="See Also" value="date"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="pages"><param name="Local" value="a.htm">
    <param name="Local" value="c.htm#deep"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="zebra"><param name="Local" value="a.htm"></OBJECT>
</UL></BODY></HTML>)";

QMap<QString, QByteArray> fixturePages()
{
    return {
        {QStringLiteral("a.htm"), helpPage("Alpha page", "<p>The ca<b>mera</b> is here.</p><p>Unique zebra word.</p>")},
        {QStringLiteral("b.htm"), helpPage("Beta page", "<p>camera<br>and date</p><p><a href=\"c.htm\">Gamma</a></p>")},
        {QStringLiteral("c.htm"), helpPage("Gamma page", "<p>Date and time.</p>" + QByteArray("<p>.</p>").repeated(80)
                                                         + "<p><a name=\"deep\"></a>CAMERA, deep down.</p>")},
        {QStringLiteral("d.htm"), helpPage("Delta page", "<script>camera()</script><p>Nothing to see.</p>")},
    };
}

// An entry tree as one line: name(topic paths)[children].
QString shapeOf(const QList<SitemapEntry> &entries)
{
    QStringList parts;
    for (const SitemapEntry &entry : entries) {
        QString part = entry.name;
        QStringList topics;
        for (const SitemapTopic &topic : entry.topics)
            topics << (topic.title.isEmpty() ? topic.path : topic.title + QLatin1Char('=') + topic.path);
        if (!topics.isEmpty())
            part += QLatin1Char('(') + topics.join(QLatin1Char(' ')) + QLatin1Char(')');
        if (!entry.seeAlso.isEmpty())
            part += QStringLiteral("->") + entry.seeAlso;
        if (!entry.children.isEmpty())
            part += QLatin1Char('[') + shapeOf(entry.children) + QLatin1Char(']');
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

QString shapeOf(const QTreeWidgetItem *parent)
{
    QStringList parts;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        parts << item->text(0) + (item->childCount() ? QLatin1Char('[') + shapeOf(item) + QLatin1Char(']') : QString());
    }
    return parts.join(QLatin1Char(','));
}

QStringList textsOf(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

QString accessibleName(QObject *object)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

QStringList highlighted(const QTextBrowser *browser)
{
    QStringList words;
    for (const QTextEdit::ExtraSelection &mark : browser->extraSelections())
        words << mark.cursor.selectedText();
    return words;
}

// A view takes a double click only on the item that the press before it hit.
void doubleClick(QListWidget *list, QListWidgetItem *item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class HelpNavigationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readsSitemaps_data();
    void readsSitemaps();
    void deepNestingIsReadWithoutRunningOutOfStack();
    void contentsShowTheFilesNestingAndOrder();
    void contentsOpenTopicsAndFollowTheShownPage();
    void indexJumpsToTheFirstKeywordStartingWithWhatIsTyped();
    void indexOpensTheTopicByEnterAndDoubleClick();
    void indexKeywordWithTwoTopicsLetsTheUserChoose();
    void indexSeeAlsoLeadsToTheKeywordItNames();
    void searchFindsThePagesHoldingEveryWord_data();
    void searchFindsThePagesHoldingEveryWord();
    void searchReadsTheWordsOnFirstUse();
    void searchOpensThePageAndHighlightsTheWords();
    void highlightGoesWithTheNextPage();
    void sitemapsAreFoundByTheirEntryWhenTheSystemDataNamesNone();
    void fileWithoutContentsOrIndexGivesEmptyTabs();
    void altKeysSwitchTheTabsAndNamesAreTheTexts();
    void paneHidesShowsAndResizes();
    void ourHelpHasItsKeywordsAndEveryEntryLeadsToAPlace();
    void everyEntryOfOurContentsOpensItsPage();

private:
    HelpViewer *showFixture();
    HelpViewer *show(const QString &helpFile);

    QTemporaryDir m_dir;
    QString m_fixture;
    std::unique_ptr<QWidget> m_caller;
};

void HelpNavigationTest::initTestCase()
{
    QMap<QString, QByteArray> files = fixturePages();
    files.insert(QStringLiteral("toc.hhc"), fixtureContents);
    files.insert(QStringLiteral("keys.hhk"), fixtureIndex);
    m_fixture = compileHelpFile(m_dir.path() + QStringLiteral("/fixture"), files,
                                QStringLiteral("Contents file=toc.hhc\nIndex file=keys.hhk\nDefault topic=d.htm\n"));
    QVERIFY2(!m_fixture.isEmpty(), "chmcmd compiles the test's help file");
}

void HelpNavigationTest::init()
{
    HelpViewer::setInstalledHelpFile(m_dir.path() + QStringLiteral("/not-installed.chm"));
    m_caller = std::make_unique<QWidget>();
    m_caller->resize(200, 100);
    m_caller->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_caller.get()));
}

void HelpNavigationTest::cleanup()
{
    m_caller.reset();
}

HelpViewer *HelpNavigationTest::show(const QString &helpFile)
{
    HelpViewer *viewer = HelpViewer::displayTopic(m_caller.get(), helpFile);
    if (!QTest::qWaitForWindowExposed(viewer))
        return nullptr;
    // The offscreen platform leaves the caller active; the keyboard goes to the viewer.
    QApplication::setActiveWindow(viewer);
    return QTest::qWaitFor([viewer] { return viewer->isActiveWindow(); }) ? viewer : nullptr;
}

HelpViewer *HelpNavigationTest::showFixture()
{
    return show(m_fixture);
}

void HelpNavigationTest::readsSitemaps_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("shape");
    const QByteArray li = R"(<li><object type="text/sitemap"><param name="Name" value=")";
    const QByteArray local = R"("><param name="Local" value=")";
    const QByteArray end = R"("></object>)";

    QTest::newRow("flat, in order") << "<ul>" + li + "B" + local + "b.htm" + end + li + "A" + local + "a.htm" + end + "</ul>"
                                    << "B(/b.htm),A(/a.htm)";
    QTest::newRow("list inside the item") << "<ul>" + li + "A" + end + "<ul>" + li + "A1" + local + "x.htm" + end
                                                 + "</ul></li>" + li + "B" + end + "</ul>"
                                          << "A[A1(/x.htm)],B";
    QTest::newRow("list after the item") << "<ul>" + li + "A" + end + "</li><ul>" + li + "A1" + end + "</ul>" + li + "B"
                                                + end + "</ul>"
                                         << "A[A1],B";
    QTest::newRow("three levels, no end tags") << "<ul>" + li + "A" + end + "<ul>" + li + "B" + end + "<ul>" + li + "C" + end
                                               << "A[B[C]]";
    QTest::newRow("objects left open") << "<ul>" + li + "A\"><ul>" + li + "A1\">" + li + "A2\"></ul>" + li + "B\"></ul>"
                                        << "A[A1,A2],B";
    QTest::newRow("Latin-1 without a declaration") << "<ul>" + li + "Caf\xe9" + end << "Caf\u00e9";
    QTest::newRow("Windows-1252 without a declaration") << "<ul>" + li + "\x93" "Caf\xe9\x94" + end << "\u201cCaf\u00e9\u201d";
    QTest::newRow("UTF-8") << "<ul>" + li + "Caf\xc3\xa9" + end << "Caf\u00e9";
    QTest::newRow("declared character set") << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-7\"><ul>" + li
                                                   + "\xe1" + end
                                            << "\u03b1";
    QTest::newRow("keyword with titled topics")
        << "<ul>" + li + R"(k"><param name="Name" value="One"><param name="Local" value="1.htm"><param name="Name" value="Two)"
               + local + "2.htm" + end
        << "k(One=/1.htm Two=/2.htm)";
    QTest::newRow("topics without titles") << "<ul>" + li + "k" + local + "1.htm" + local + "2.htm" + end
                                           << "k(/1.htm /2.htm)";
    QTest::newRow("see also") << "<ul>" + li + R"(k"><param name="See Also" value="other)" + end << "k->other";
    QTest::newRow("place on the page and folders") << "<ul>" + li + "A" + local + "sub/a.htm#here" + end << "A(/sub/a.htm#here)";
    QTest::newRow("full storage form") << "<ul>" + li + "A" + local + "ms-its:other.chm::/a.htm" + end << "A(/a.htm)";
    QTest::newRow("link out of the file is no topic") << "<ul>" + li + "A" + local + "http://example.org/" + end << "A";
    QTest::newRow("entities and spaces") << "<ul>" + li + " &quot;-a01&quot; &amp; more " + end << "\"-a01\" & more";
    QTest::newRow("other objects left out") << R"(<object type="text/site properties"><param name="Name" value="x"></object>)"
                                                   "<ul>" + li + "A" + end + "</ul>"
                                            << "A";
    QTest::newRow("no sitemap") << QByteArray("<html><body><p>Hello</p></body></html>") << "";
    QTest::newRow("not HTML at all") << QByteArray("\x00\x01\xff garbage", 12) << "";
    QTest::newRow("empty") << QByteArray() << "";
}

void HelpNavigationTest::readsSitemaps()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, shape);
    QCOMPARE(shapeOf(parseSitemap(html)), shape);
}

void HelpNavigationTest::deepNestingIsReadWithoutRunningOutOfStack()
{
    const QByteArray li = R"(<li><object type="text/sitemap"><param name="Name" value="x"></object><ul>)";
    const QList<SitemapEntry> entries = parseSitemap(li.repeated(200000));
    int depth = 0;
    for (const QList<SitemapEntry> *level = &entries; !level->isEmpty(); level = &level->first().children)
        ++depth;
    QVERIFY2(depth >= 100, qPrintable(QString::number(depth)));

    QVERIFY(HtmlDocument(QByteArray("<div>deep ").repeated(200000)).text().contains(QStringLiteral("deep")));
}

void HelpNavigationTest::contentsShowTheFilesNestingAndOrder()
{
    const CompiledHelp help(m_fixture);
    QCOMPARE(help.contentsFile(), QStringLiteral("/toc.hhc"));
    QCOMPARE(help.indexFile(), QStringLiteral("/keys.hhk"));

    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    QCOMPARE(viewer->navigation()->currentWidget(), viewer->contents());
    QCOMPARE(QApplication::focusWidget(), viewer->contents());
    QCOMPARE(shapeOf(viewer->contents()->invisibleRootItem()), QStringLiteral("Book[Alpha,Beta[Gamma]],Delta"));
    // The default topic is marked in the tree.
    QCOMPARE(viewer->contents()->currentItem()->text(0), QStringLiteral("Delta"));
}

void HelpNavigationTest::contentsOpenTopicsAndFollowTheShownPage()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpContentsTree *tree = viewer->contents();
    QTextBrowser *browser = viewer->browser();
    QTreeWidgetItem *book = tree->topLevelItem(0);
    tree->expandItem(book);
    QTreeWidgetItem *beta = book->child(1);

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(beta).center());
    QCOMPARE(browser->source(), HelpBrowser::urlOf(QStringLiteral("/b.htm")));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Beta page"));

    // Arrows move without opening; Enter opens.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Up);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Alpha"));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Beta page"));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(browser->documentTitle(), QStringLiteral("Alpha page"));

    // Gamma stands on a place far down its page.
    tree->expandItem(beta);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(beta->child(0)).center());
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/c.htm#deep")));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Gamma page"));
    QVERIFY(browser->verticalScrollBar()->value() > 0);

    // A link to the page as a whole marks the entry as well.
    browser->setSource(HelpBrowser::urlOf(QStringLiteral("/b.htm")));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Beta"));
    tree->collapseItem(beta);
    browser->setSource(HelpBrowser::urlOf(QStringLiteral("/c.htm")));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Gamma"));
    QVERIFY(beta->isExpanded());

    browser->backward();
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Beta"));
    browser->forward();
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Gamma"));

    // A book without a page of its own opens nothing.
    const QUrl before = browser->source();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(book).center());
    QCOMPARE(browser->source(), before);
}

void HelpNavigationTest::indexJumpsToTheFirstKeywordStartingWithWhatIsTyped()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpIndexPane *index = viewer->index();
    QListWidget *list = index->keywordList();
    QCOMPARE(textsOf(list), (QStringList{"camera", "date", "    and time", "dates, see date", "pages", "zebra"}));
    QCOMPARE(list->item(2)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("and time"));

    viewer->navigation()->setCurrentWidget(index);
    const struct
    {
        const char *typed;
        const char *current;
    } steps[] = {{"d", "date"}, {"da", "date"}, {"DATES", "dates, see date"}, {"z", "zebra"}, {"C", "camera"},
                 // A sub-keyword is found under its keyword, not by what it starts with.
                 {"and", "camera"}};
    for (const auto &step : steps) {
        index->keywordField()->clear();
        QTest::keyClicks(index->keywordField(), QString::fromLatin1(step.typed));
        QVERIFY2(list->currentItem(), step.typed);
        QCOMPARE(list->currentItem()->text(), QString::fromLatin1(step.current));
    }
    // Down in the field moves through the keywords.
    index->keywordField()->clear();
    QTest::keyClicks(index->keywordField(), QStringLiteral("date"));
    QTest::keyClick(index->keywordField(), Qt::Key_Down);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("    and time"));
}

void HelpNavigationTest::indexOpensTheTopicByEnterAndDoubleClick()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpIndexPane *index = viewer->index();
    viewer->navigation()->setCurrentWidget(index);

    QTest::keyClicks(index->keywordField(), QStringLiteral("zeb"));
    QTest::keyClick(index->keywordField(), Qt::Key_Return);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Alpha page"));

    doubleClick(index->keywordList(), index->keywordList()->item(2));
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Gamma page"));

    index->keywordList()->setFocus();
    index->keywordList()->setCurrentRow(1);
    QTest::keyClick(index->keywordList(), Qt::Key_Return);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Beta page"));
    QVERIFY(!viewer->findChild<TopicChooser *>());
}

void HelpNavigationTest::indexKeywordWithTwoTopicsLetsTheUserChoose()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpIndexPane *index = viewer->index();
    viewer->navigation()->setCurrentWidget(index);
    const QUrl shown = viewer->browser()->source();

    // Cancel shows nothing new.
    QTest::keyClicks(index->keywordField(), QStringLiteral("cam"));
    QTest::keyClick(index->keywordField(), Qt::Key_Return);
    QPointer<TopicChooser> chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QTRY_VERIFY(chooser->isVisible());
    QCOMPARE(textsOf(chooser->topicList()), (QStringList{"Alpha page", "Beta page"}));
    QTest::keyClick(chooser, Qt::Key_Escape);
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(viewer->browser()->source(), shown);

    // Down and Enter display the second.
    QTest::keyClick(index->keywordField(), Qt::Key_Return);
    chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QTRY_VERIFY(QApplication::focusWidget() == chooser->topicList());
    QTest::keyClick(chooser->topicList(), Qt::Key_Down);
    QTest::keyClick(chooser->topicList(), Qt::Key_Return);
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Beta page"));

    // A double click displays at once.
    QTest::keyClick(index->keywordField(), Qt::Key_Return);
    chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QTRY_VERIFY(chooser->isVisible());
    doubleClick(chooser->topicList(), chooser->topicList()->item(0));
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Alpha page"));

    // Topics the index leaves untitled are named as the contents name their pages.
    index->keywordField()->clear();
    QTest::keyClicks(index->keywordField(), QStringLiteral("pa"));
    QTest::keyClick(index->keywordField(), Qt::Key_Return);
    chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QCOMPARE(textsOf(chooser->topicList()), (QStringList{"Alpha", "Gamma"}));
    chooser->topicList()->setCurrentRow(1);
    QTest::keyClick(chooser->topicList(), Qt::Key_Return);
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(viewer->browser()->source(), QUrl(QStringLiteral("chm:/c.htm#deep")));
}

void HelpNavigationTest::indexSeeAlsoLeadsToTheKeywordItNames()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpIndexPane *index = viewer->index();
    const QUrl shown = viewer->browser()->source();
    doubleClick(index->keywordList(), index->keywordList()->item(3));
    QCOMPARE(index->keywordList()->currentItem()->text(), QStringLiteral("date"));
    QCOMPARE(viewer->browser()->source(), shown);
}

void HelpNavigationTest::searchFindsThePagesHoldingEveryWord_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("one word, three pages, by title") << "camera" << QStringList{"Alpha page", "Beta page", "Gamma page"};
    QTest::newRow("any case") << "CaMeRa" << QStringList{"Alpha page", "Beta page", "Gamma page"};
    QTest::newRow("word on one page only") << "zebra" << QStringList{"Alpha page"};
    QTest::newRow("every word must be there") << "camera date" << QStringList{"Beta page", "Gamma page"};
    QTest::newRow("words apart and punctuation") << "  date,   CAMERA! " << QStringList{"Beta page", "Gamma page"};
    QTest::newRow("one word missing") << "camera zebra time" << QStringList{};
    QTest::newRow("line break splits words") << "cameraand" << QStringList{};
    QTest::newRow("part of a word is no word") << "mera" << QStringList{};
    QTest::newRow("markup is not text") << "script" << QStringList{};
    QTest::newRow("script is not text") << "nothing camera" << QStringList{};
    QTest::newRow("title words count") << "delta" << QStringList{"Delta page"};
    QTest::newRow("no words") << " ,. " << QStringList{};
}

void HelpNavigationTest::searchFindsThePagesHoldingEveryWord()
{
    QFETCH(QString, query);
    QFETCH(QStringList, titles);
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    QTest::keyClicks(viewer->search()->wordsField(), query);
    QVERIFY(waitForSearchIndex(viewer));
    QCOMPARE(textsOf(viewer->search()->resultList()), titles);
}

void HelpNavigationTest::searchReadsTheWordsOnFirstUse()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    QVERIFY(!viewer->search()->isPrepared());
    viewer->navigation()->setCurrentWidget(viewer->index());
    QVERIFY(!viewer->search()->isPrepared());
    viewer->navigation()->setCurrentWidget(viewer->search());
    QVERIFY(viewer->search()->isPrepared());

    // Another file is read afresh when its Search is used.
    QCOMPARE(show(m_fixture), viewer);
    QVERIFY(viewer->search()->isPrepared());
    viewer->navigation()->setCurrentWidget(viewer->contents());
    QCOMPARE(show(m_fixture), viewer);
    QVERIFY(!viewer->search()->isPrepared());
}

void HelpNavigationTest::searchOpensThePageAndHighlightsTheWords()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    HelpSearchPane *search = viewer->search();
    QTextBrowser *browser = viewer->browser();
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), search->wordsField());

    QTest::keyClicks(search->wordsField(), QStringLiteral("Camera date"));
    QVERIFY(waitForSearchIndex(viewer));
    QTest::keyClick(search->wordsField(), Qt::Key_Return);
    QCOMPARE(browser->source(), HelpBrowser::urlOf(QStringLiteral("/b.htm")));
    QCOMPARE(highlighted(browser), (QStringList{"camera", "date"}));

    doubleClick(search->resultList(), search->resultList()->item(1));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Gamma page"));
    QCOMPARE(highlighted(browser), (QStringList{"Date", "CAMERA"}));

    // A word far below the first screen is scrolled into view.
    search->wordsField()->setText(QStringLiteral("deep"));
    search->resultList()->setFocus();
    QTest::keyClick(search->resultList(), Qt::Key_Return);
    QCOMPARE(highlighted(browser), QStringList{"deep"});
    const QRect mark = browser->cursorRect(browser->extraSelections().first().cursor);
    QVERIFY(browser->verticalScrollBar()->value() > 0);
    QVERIFY2(browser->viewport()->rect().intersects(mark), "the marked word is in view");

    // A word split by markup is found and marked whole.
    search->wordsField()->setText(QStringLiteral("camera zebra Camera"));
    QTest::keyClick(search->wordsField(), Qt::Key_Return);
    QCOMPARE(browser->documentTitle(), QStringLiteral("Alpha page"));
    QCOMPARE(highlighted(browser), (QStringList{"camera", "zebra"}));
}

void HelpNavigationTest::highlightGoesWithTheNextPage()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    viewer->navigation()->setCurrentWidget(viewer->search());
    viewer->search()->wordsField()->setText(QStringLiteral("zebra"));
    QVERIFY(waitForSearchIndex(viewer));
    QTest::keyClick(viewer->search()->wordsField(), Qt::Key_Return);
    QCOMPARE(highlighted(viewer->browser()), QStringList{"zebra"});
    viewer->findChild<QAction *>(QStringLiteral("home"))->trigger();
    QCOMPARE(highlighted(viewer->browser()), QStringList{});
}

void HelpNavigationTest::sitemapsAreFoundByTheirEntryWhenTheSystemDataNamesNone()
{
    QMap<QString, QByteArray> files = fixturePages();
    files.insert(QStringLiteral("toc.hhc"), fixtureContents);
    files.insert(QStringLiteral("keys.hhk"), fixtureIndex);
    const QString compiled = compileHelpFile(m_dir.path() + QStringLiteral("/unnamed"), files, QStringLiteral("Title=T\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QCOMPARE(shapeOf(viewer->contents()->invisibleRootItem()), QStringLiteral("Book[Alpha,Beta[Gamma]],Delta"));
    QCOMPARE(viewer->index()->keywordList()->count(), 6);
}

void HelpNavigationTest::fileWithoutContentsOrIndexGivesEmptyTabs()
{
    const QString compiled = compileHelpFile(m_dir.path() + QStringLiteral("/bare"), {{QStringLiteral("only.htm"), helpPage("Only", "<p>just this</p>")}},
                                             QStringLiteral("Title=Bare\n"));
    QVERIFY(!compiled.isEmpty());
    MessageBoxCatcher boxes;
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    QCOMPARE(show(compiled), viewer);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Only"));
    QCOMPARE(viewer->contents()->topLevelItemCount(), 0);
    QCOMPARE(viewer->index()->keywordList()->count(), 0);
    QTest::keyClick(viewer, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(viewer->index()->keywordField(), Qt::Key_X);
    QTest::keyClick(viewer->index()->keywordField(), Qt::Key_Return);
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    QTest::keyClicks(viewer->search()->wordsField(), QStringLiteral("just"));
    QVERIFY(waitForSearchIndex(viewer));
    QCOMPARE(textsOf(viewer->search()->resultList()), QStringList{"Only"});

    // And with no file at all the tabs are empty as well.
    QCOMPARE(show(m_dir.path() + QStringLiteral("/none.chm")), viewer);
    QCOMPARE(viewer->contents()->topLevelItemCount(), 0);
    QCOMPARE(viewer->index()->keywordList()->count(), 0);
    QCOMPARE(viewer->search()->resultList()->count(), 0);
    viewer->search()->wordsField()->setText(QStringLiteral("just"));
    QCOMPARE(viewer->search()->resultList()->count(), 0);
    QCOMPARE(boxes.seen(), QStringList{});
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void HelpNavigationTest::altKeysSwitchTheTabsAndNamesAreTheTexts()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    QTabWidget *tabs = viewer->navigation();
    const struct
    {
        Qt::Key key;
        QWidget *tab;
    } switches[] = {{Qt::Key_N, viewer->index()}, {Qt::Key_S, viewer->search()}, {Qt::Key_C, viewer->contents()}};
    for (const auto &step : switches) {
        QTest::keyClick(viewer, step.key, Qt::AltModifier);
        QCOMPARE(tabs->currentWidget(), step.tab);
    }

    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(tabs->tabBar());
    QVERIFY(bar);
    QStringList names;
    for (int i = 0; i < bar->childCount(); ++i) {
        if (bar->child(i)->role() == QAccessible::PageTab)
            names << bar->child(i)->text(QAccessible::Name);
    }
    QCOMPARE(names, (QStringList{"Contents", "Index", "Search"}));

    QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(viewer->contents());
    QVERIFY(tree);
    QStringList itemNames;
    for (int i = 0; i < tree->childCount(); ++i)
        itemNames << tree->child(i)->text(QAccessible::Name);
    QVERIFY2(itemNames.contains(QStringLiteral("Book")) && itemNames.contains(QStringLiteral("Delta")),
             qPrintable(itemNames.join(QLatin1Char('|'))));

    QAccessibleInterface *keywords = QAccessible::queryAccessibleInterface(viewer->index()->keywordList());
    QVERIFY(keywords);
    QStringList keywordNames;
    for (int i = 0; i < keywords->childCount(); ++i)
        keywordNames << keywords->child(i)->text(QAccessible::Name);
    QVERIFY2(keywordNames.contains(QStringLiteral("and time")), qPrintable(keywordNames.join(QLatin1Char('|'))));
    QVERIFY(!keywordNames.contains(QStringLiteral("    and time")));
}

void HelpNavigationTest::paneHidesShowsAndResizes()
{
    HelpViewer *viewer = showFixture();
    QVERIFY(viewer);
    auto *toggle = viewer->findChild<QAction *>(QStringLiteral("togglePane"));
    QVERIFY(toggle);
    auto *button = qobject_cast<QToolButton *>(viewer->findChild<QToolBar *>()->widgetForAction(toggle));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Hide"));
    QVERIFY(viewer->navigation()->isVisible());
    const int topicWidth = viewer->browser()->width();

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!viewer->navigation()->isVisible());
    QCOMPARE(button->text(), QStringLiteral("Show"));
    QTRY_VERIFY(viewer->browser()->width() > topicWidth);

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(viewer->navigation()->isVisible());
    QCOMPARE(button->text(), QStringLiteral("Hide"));

    // The splitter's handle moves the border between pane and topic.
    QSplitter *splitter = viewer->splitter();
    QTRY_COMPARE(viewer->browser()->width(), topicWidth);
    const int paneWidth = viewer->navigation()->width();
    QWidget *handle = splitter->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(80, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(80, 0));
    QTRY_VERIFY(viewer->navigation()->width() > paneWidth);
}

void HelpNavigationTest::ourHelpHasItsKeywordsAndEveryEntryLeadsToAPlace()
{
    const CompiledHelp help(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    QVERIFY(help.isOpen());
    QVERIFY(!help.contentsFile().isEmpty());
    QVERIFY(!help.indexFile().isEmpty());
    const QList<SitemapEntry> contents = parseSitemap(*help.read(help.contentsFile()), help.contentsFile());
    const QList<SitemapEntry> index = parseSitemap(*help.read(help.indexFile()), help.indexFile());
    QVERIFY(contents.size() >= 8);
    QVERIFY(std::any_of(contents.cbegin(), contents.cend(), [](const SitemapEntry &e) { return !e.children.isEmpty(); }));

    QStringList keywords;
    for (const SitemapEntry &entry : index)
        keywords << entry.name;
    const QStringList wanted = {
        "Add Date as Prefix to existing Filename", "Add Date as Suffix to existing Filename",
        "Replace the entire original filename by the Date", "Remove the Date from Filename",
        "Replace existing Names by Numbers {nn} {user text}", "Replace existing Names by Numbers {nnn} {user text}",
        "Replace existing Names by Numbers {nnnn} {user text}", "Add Number {nn} Prefix to Existing Filename",
        "Add Number {nnn} Prefix to Existing Filename", "Add Number {nnnn} Prefix to Existing Filename",
        "date format", "start number", "collision", "camera", "settings file"};
    for (const QString &keyword : wanted)
        QVERIFY2(keywords.contains(keyword), qPrintable(keyword));
    QStringList sorted = keywords;
    // In reading order: letters and digits count, braces and dashes do not.
    const auto readingKey = [](const QString &keyword) {
        QString key;
        for (const QChar c : keyword)
            key += c.isLetterOrNumber() || c == QLatin1Char(' ') ? c.toLower() : QChar();
        return key.remove(QChar());
    };
    std::sort(sorted.begin(), sorted.end(), [&](const QString &a, const QString &b) { return readingKey(a) < readingKey(b); });
    QCOMPARE(keywords, sorted);

    const std::function<void(const QList<SitemapEntry> &)> check = [&](const QList<SitemapEntry> &entries) {
        for (const SitemapEntry &entry : entries) {
            QVERIFY2(!entry.topics.isEmpty(), qPrintable(entry.name));
            for (const SitemapTopic &topic : entry.topics) {
                const QString path = topic.path.section(QLatin1Char('#'), 0, 0);
                const QString place = topic.path.section(QLatin1Char('#'), 1);
                QVERIFY2(help.contains(path), qPrintable(entry.name + QStringLiteral(" -> ") + topic.path));
                if (!place.isEmpty())
                    QVERIFY2(help.read(path)->contains("name=\"" + place.toUtf8() + '"'), qPrintable(topic.path));
            }
            check(entry.children);
        }
    };
    check(contents);
    check(index);

    // "Search" finds the rule pages by the words of a rule's caption.
    const SearchIndex words(help);
    QCOMPARE(words.pageCount(), help.pages().size());
    const QList<FoundPage> found = words.find(QStringLiteral("remove the date from filename"));
    QVERIFY(found.contains(FoundPage{QStringLiteral("/rules.htm"), QStringLiteral("The ten naming rules")}));
}

void HelpNavigationTest::everyEntryOfOurContentsOpensItsPage()
{
    HelpViewer *viewer = show(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    QVERIFY(viewer);
    HelpContentsTree *tree = viewer->contents();
    tree->expandAll();
    tree->setFocus();
    int opened = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it, ++opened) {
        tree->setCurrentItem(*it);
        QTest::keyClick(tree, Qt::Key_Return);
        const QString where = (*it)->text(0);
        QVERIFY2(!viewer->browser()->documentTitle().isEmpty(), qPrintable(where));
        QVERIFY2(viewer->browser()->toPlainText().size() > 200, qPrintable(where));
        QCOMPARE(tree->currentItem(), *it);
    }
    QVERIFY(opened >= 11);
}

QUARIMO_GUI_TEST_MAIN(HelpNavigationTest)
#include "tst_helpnavigation.moc"
