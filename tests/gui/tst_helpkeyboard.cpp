// The help viewer from the keyboard alone: Tab and Shift+Tab through the panes and the topic's
// links and out again, F6 between pane and topic, the tool bar's shortcuts, and panes that stay
// quiet while hidden. On a small help file compiled here with chmcmd.
#include "help/viewer/helpbrowser.h"
#include "help/viewer/helpcontentstree.h"
#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "guitestutil.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {

QByteArray page(const QByteArray &title, const QByteArray &body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// The first link opens the page, where the browser's own walk back used to stop for good.
const QStringList linkTexts = {"One", "Two", "Three", "Four"};
const QByteArray linksBody = R"(<a href="one.htm">One</a><p>Text and <a href="two.htm">Two</a> between words.</p>
<ul><li><a href="one.htm">Three</a></li><li><a href="two.htm">Four</a></li></ul><p>The end.</p>)";

const QByteArray contents = R"(<UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Links"><param name="Local" value="links.htm"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="One"><param name="Local" value="one.htm"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="Two"><param name="Local" value="two.htm"></OBJECT>
</UL>)";

const QByteArray keywords = R"(<UL>
<LI><OBJECT type="text/sitemap"><param name="Name" value="first"><param name="Local" value="one.htm"></OBJECT>
<LI><OBJECT type="text/sitemap"><param name="Name" value="second"><param name="Local" value="two.htm"></OBJECT>
</UL>)";

enum Pane { ContentsPane, IndexPane, SearchPane };

QString focusName()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() + QLatin1Char(':') + QLatin1String(focus->metaObject()->className())
                 : QStringLiteral("<none>");
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void press(const QKeySequence &sequence)
{
    QTest::keySequence(QApplication::focusWidget(), sequence);
}

} // namespace

class HelpKeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tabAndShiftTabWalkThroughTheTopicAndOut_data();
    void tabAndShiftTabWalkThroughTheTopicAndOut();
    void f6SwitchesBetweenPaneAndTopic_data();
    void f6SwitchesBetweenPaneAndTopic();
    void toolBarActionsHaveShortcuts();
    void aHiddenPaneMovesNoCurrentEntry_data();
    void aHiddenPaneMovesNoCurrentEntry();
    void searchResultsFoundWhileHiddenArePickedWhenShown();

private:
    /** The viewer, active, on the page of links, with the keyboard in `pane`. */
    HelpViewer *showIn(Pane pane);

    QTemporaryDir m_dir;
    QString m_helpFile;
    std::unique_ptr<QWidget> m_caller;
    HelpViewer *m_viewer = nullptr;
};

void HelpKeyboardTest::initTestCase()
{
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("links.htm"), page("Links page", linksBody)},
        {QStringLiteral("one.htm"), page("One page", "<p>The first page.</p>")},
        {QStringLiteral("two.htm"), page("Two page", "<p>The second page.</p>")},
        {QStringLiteral("toc.hhc"), contents},
        {QStringLiteral("keys.hhk"), keywords},
    };
    m_helpFile = compileHelpFile(m_dir.path() + QStringLiteral("/links"), files,
                                 QStringLiteral("Contents file=toc.hhc\nIndex file=keys.hhk\nDefault topic=links.htm\n"));
    QVERIFY2(!m_helpFile.isEmpty(), "chmcmd compiles the test's help file");
}

void HelpKeyboardTest::init()
{
    HelpViewer::setInstalledHelpFile(m_dir.path() + QStringLiteral("/not-installed.chm"));
    m_caller = std::make_unique<QWidget>();
    m_caller->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_caller.get()));
}

void HelpKeyboardTest::cleanup()
{
    m_viewer = nullptr;
    m_caller.reset();
}

HelpViewer *HelpKeyboardTest::showIn(Pane pane)
{
    m_viewer = HelpViewer::displayTopic(m_caller.get(), m_helpFile);
    if (!QTest::qWaitForWindowExposed(m_viewer))
        return nullptr;
    // The offscreen platform leaves the caller active; the keyboard goes to the viewer.
    QApplication::setActiveWindow(m_viewer);
    if (!QTest::qWaitFor([this] { return m_viewer->isActiveWindow(); }))
        return nullptr;
    QWidget *page = pane == ContentsPane ? static_cast<QWidget *>(m_viewer->contents())
                  : pane == IndexPane    ? static_cast<QWidget *>(m_viewer->index())
                                         : static_cast<QWidget *>(m_viewer->search());
    m_viewer->navigation()->setCurrentWidget(page);
    return m_viewer;
}

void HelpKeyboardTest::tabAndShiftTabWalkThroughTheTopicAndOut_data()
{
    QTest::addColumn<int>("pane");
    QTest::addColumn<bool>("forward");
    for (const auto &[name, pane] : {std::pair{"Contents", ContentsPane}, {"Index", IndexPane}, {"Search", SearchPane}}) {
        QTest::addRow("%s, Tab", name) << int(pane) << true;
        QTest::addRow("%s, Shift+Tab", name) << int(pane) << false;
    }
}

// From the pane into the topic, through each of its links and out, and round the window back to
// where the walk began.
void HelpKeyboardTest::tabAndShiftTabWalkThroughTheTopicAndOut()
{
    QFETCH(int, pane);
    QFETCH(bool, forward);
    HelpViewer *viewer = showIn(Pane(pane));
    QVERIFY(viewer);
    QWidget *start = QApplication::focusWidget();
    QVERIFY(start && viewer->navigation()->isAncestorOf(start));
    QTextBrowser *topic = viewer->browser();
    const auto step = [forward] { forward ? press(Qt::Key_Tab) : press(Qt::Key_Backtab, Qt::ShiftModifier); };

    int presses = 0;
    for (; QApplication::focusWidget() != topic; ++presses) {
        QVERIFY2(presses < 10, qPrintable(focusName()));
        step();
    }
    QStringList walked;
    int inTopic = 0;
    for (; QApplication::focusWidget() == topic; ++inTopic) {
        QVERIFY2(inTopic < linkTexts.size() + 2, qPrintable(walked.join(QLatin1Char(','))));
        if (topic->textCursor().hasSelection())
            walked << topic->textCursor().selectedText();
        step();
    }
    QStringList expected = linkTexts;
    if (!forward)
        std::reverse(expected.begin(), expected.end());
    QCOMPARE(walked, expected);

    for (presses = 0; QApplication::focusWidget() != start; ++presses) {
        QVERIFY2(presses < 10, qPrintable(focusName()));
        QVERIFY2(QApplication::focusWidget() != topic, "the walk came round to the topic before its start");
        step();
    }
}

void HelpKeyboardTest::f6SwitchesBetweenPaneAndTopic_data()
{
    QTest::addColumn<int>("pane");
    QTest::addColumn<QKeySequence>("key");
    for (const auto &[name, pane] : {std::pair{"Contents", ContentsPane}, {"Index", IndexPane}, {"Search", SearchPane}}) {
        QTest::addRow("%s, F6", name) << int(pane) << QKeySequence(Qt::Key_F6);
        QTest::addRow("%s, Shift+F6", name) << int(pane) << QKeySequence(Qt::SHIFT | Qt::Key_F6);
    }
}

// Back in the pane, the keyboard is where it was: the list, say, rather than the field above it.
void HelpKeyboardTest::f6SwitchesBetweenPaneAndTopic()
{
    QFETCH(int, pane);
    QFETCH(QKeySequence, key);
    HelpViewer *viewer = showIn(Pane(pane));
    QVERIFY(viewer);
    if (pane != ContentsPane)
        press(Qt::Key_Tab);
    QWidget *start = QApplication::focusWidget();
    QVERIFY(viewer->navigation()->isAncestorOf(start));

    press(key);
    QCOMPARE(QApplication::focusWidget(), viewer->browser());
    press(key);
    QCOMPARE(QApplication::focusWidget(), start);

    // With the pane put away, F6 leaves the keyboard in the topic.
    press(key);
    press(Qt::Key_F9);
    QVERIFY(!viewer->navigation()->isVisible());
    press(key);
    QCOMPARE(QApplication::focusWidget(), viewer->browser());
}

void HelpKeyboardTest::toolBarActionsHaveShortcuts()
{
    HelpViewer *viewer = showIn(ContentsPane);
    QVERIFY(viewer);
    QTextBrowser *topic = viewer->browser();
    const QUrl links = HelpBrowser::urlOf(QStringLiteral("/links.htm"));
    const QUrl two = HelpBrowser::urlOf(QStringLiteral("/two.htm"));
    QVERIFY(clickLink(topic, QStringLiteral("Two")));
    QCOMPARE(topic->source(), two);

    press(QKeySequence(QKeySequence::Back));
    QCOMPARE(topic->source(), links);
    press(QKeySequence(QKeySequence::Forward));
    QCOMPARE(topic->source(), two);
    auto *home = viewer->findChild<QAction *>(QStringLiteral("home"));
    QVERIFY(home && !home->shortcut().isEmpty());
    press(home->shortcut());
    QCOMPARE(topic->source(), links);

    // Hide and Show name their key in their hint.
    auto *toggle = viewer->findChild<QAction *>(QStringLiteral("togglePane"));
    QVERIFY(toggle && !toggle->shortcut().isEmpty());
    const QString key = toggle->shortcut().toString(QKeySequence::NativeText);
    QVERIFY2(toggle->toolTip().contains(key), qPrintable(toggle->toolTip()));
    press(toggle->shortcut());
    QVERIFY(!viewer->navigation()->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Show"));
    QVERIFY2(toggle->toolTip().contains(key), qPrintable(toggle->toolTip()));
    press(toggle->shortcut());
    QVERIFY(viewer->navigation()->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Hide"));
}

void HelpKeyboardTest::aHiddenPaneMovesNoCurrentEntry_data()
{
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Index") << int(IndexPane) << QStringLiteral("second");
    QTest::newRow("Search") << int(SearchPane) << QStringLiteral("second");
}

// Pages found while the Search tab is not shown: the first is picked when it shows, not before.
void HelpKeyboardTest::searchResultsFoundWhileHiddenArePickedWhenShown()
{
    HelpViewer *viewer = showIn(ContentsPane);
    QVERIFY(viewer);
    QListWidget *results = viewer->search()->resultList();
    QSignalSpy moves(results->selectionModel(), &QItemSelectionModel::currentChanged);
    viewer->search()->wordsField()->setText(QStringLiteral("second"));
    QTRY_COMPARE(results->count(), 1);
    QCOMPARE(moves.count(), 0);

    press(Qt::Key_S, Qt::AltModifier);
    QVERIFY(results->isVisible());
    QCOMPARE(results->currentRow(), 0);
    press(Qt::Key_Return);
    QCOMPARE(viewer->browser()->source(), HelpBrowser::urlOf(QStringLiteral("/two.htm")));
}

// A view tells a screen reader of its new current entry as a focus event, so a view that is not
// shown must not move it: the Contents catch up with the page when they show again.
void HelpKeyboardTest::aHiddenPaneMovesNoCurrentEntry()
{
    QFETCH(int, pane);
    QFETCH(QString, typed);
    HelpViewer *viewer = showIn(Pane(pane));
    QVERIFY(viewer);
    HelpContentsTree *tree = viewer->contents();
    QVERIFY(!tree->isVisible());
    QSignalSpy moves(tree->selectionModel(), &QItemSelectionModel::currentChanged);

    QTest::keyClicks(QApplication::focusWidget(), typed);
    if (pane == SearchPane)
        QTRY_VERIFY(viewer->search()->resultList()->count() > 0);
    press(Qt::Key_Return);
    QCOMPARE(viewer->browser()->source(), HelpBrowser::urlOf(QStringLiteral("/two.htm")));
    QCOMPARE(moves.count(), 0);

    press(Qt::Key_C, Qt::AltModifier);
    QVERIFY(tree->isVisible());
    QVERIFY(tree->currentItem());
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Two"));
}

QUARIMO_GUI_TEST_MAIN(HelpKeyboardTest)
#include "tst_helpkeyboard.moc"
