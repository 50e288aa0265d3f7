// What a screen reader hears of each window, asked through Qt's accessibility interfaces, and the
// windows from the keyboard alone: F10, and in the help viewer Tab, F6, the tool bar's keys and
// panes that stay quiet while hidden. The viewer shows a small help file compiled here with chmcmd.
#include "about/progdetails.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "help/viewer/helpbrowser.h"
#include "help/viewer/helpcontentstree.h"
#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "ui_mainform.h"

#include <QAccessible>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString accessibleText(QObject *object, QAccessible::Text kind = QAccessible::Name)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(kind) : QStringLiteral("<no interface>");
}

QByteArray sitemap(const QList<std::pair<QByteArray, QByteArray>> &entries)
{
    QByteArray html = "<UL>";
    for (const auto &[name, local] : entries)
        html += R"(<LI><OBJECT type="text/sitemap"><param name="Name" value=")" + name + R"("><param name="Local" value=")"
                + local + R"("></OBJECT>)";
    return html + "</UL>";
}

// The first link opens the page: the browser's own walk back stopped on it for good.
const QStringList linkTexts = {"One", "Two", "Three", "Four"};
const QByteArray linksBody = R"(<a href="one.htm">One</a><p>Text and <a href="two.htm">Two</a> between words.</p>
<ul><li><a href="one.htm">Three</a></li><li><a href="two.htm">Four</a></li></ul>)";

void press(const QKeySequence &keys)
{
    QTest::keySequence(QApplication::focusWidget(), keys);
}

} // namespace

class AccessibilityTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyFocusableControlHasAName_data();
    void everyFocusableControlHasAName();
    void controlsAreNamedInTheProgramsWords_data();
    void controlsAreNamedInTheProgramsWords();
    void f10OpensTheMenuBar();
    void tabAndShiftTabLeaveTheTopic_data();
    void tabAndShiftTabLeaveTheTopic();
    void f6SwitchesBetweenPaneAndTopic_data();
    void f6SwitchesBetweenPaneAndTopic();
    void toolBarKeysActAndTheTopicIsDescribedByItsTitle();
    void hiddenPanesMoveNoCurrentEntry_data();
    void hiddenPanesMoveNoCurrentEntry();

private:
    /** The viewer opened from the Help menu, active, with the keyboard in its `tab` (0, 1, 2). */
    HelpViewer *openHelpfile(int tab = 0);

    QTemporaryDir m_dir;
    QString m_helpFile;
};

void AccessibilityTest::initTestCase()
{
    m_helpFile = compileHelpFile(m_dir.path(),
                                 {{"links.htm", helpPage("Links page", linksBody)},
                                  {"one.htm", helpPage("One page", "<p>The first page.</p>")},
                                  {"two.htm", helpPage("Two page", "<p>The second page.</p>")},
                                  {"toc.hhc", sitemap({{"Links", "links.htm"}, {"One", "one.htm"}, {"Two", "two.htm"}})},
                                  {"keys.hhk", sitemap({{"first", "one.htm"}, {"second", "two.htm"}})}},
                                 QStringLiteral("Contents file=toc.hhc\nIndex file=keys.hhk\nDefault topic=links.htm\n"));
    QVERIFY2(!m_helpFile.isEmpty(), "chmcmd compiles the test's help file");
}

void AccessibilityTest::init()
{
    makeFolder();
    // The start folder holds no help: the viewer shows the "installed" one.
    HelpViewer::setInstalledHelpFile(m_helpFile);
    startWithAboutBox();
}

void AccessibilityTest::cleanup()
{
    closeAll();
}

HelpViewer *AccessibilityTest::openHelpfile(int tab)
{
    u->OpenHelpfile1->trigger();
    auto *viewer = m_form->findChild<HelpViewer *>();
    if (!viewer || !QTest::qWaitForWindowExposed(viewer))
        return nullptr;
    // The offscreen platform leaves the main window active; the keyboard goes to the viewer.
    QApplication::setActiveWindow(viewer);
    if (!QTest::qWaitFor([viewer] { return viewer->isActiveWindow(); }))
        return nullptr;
    viewer->navigation()->setCurrentIndex(tab);
    return viewer;
}

void AccessibilityTest::everyFocusableControlHasAName_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("fewestControls");
    QTest::newRow("main window") << "main window" << 25;
    QTest::newRow("About box") << "About box" << 1;
    QTest::newRow("help viewer") << "help viewer" << 7;
}

// Every control Tab reaches, now or once the control around it shows; the batch list, hidden for
// good, and the parts that hand the keyboard on to another control are left out.
void AccessibilityTest::everyFocusableControlHasAName()
{
    QFETCH(QString, which);
    QFETCH(int, fewestControls);
    QWidget *window = m_form.get();
    if (which == QLatin1String("About box")) {
        u->Help1->trigger();
        window = m_about.get();
    } else if (which == QLatin1String("help viewer")) {
        window = openHelpfile();
    }
    QVERIFY(window && QTest::qWaitForWindowExposed(window));
    QVERIFY(!accessibleText(window).isEmpty());

    int controls = 0;
    QStringList unnamed;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->window() != window || !(control->focusPolicy() & Qt::TabFocus) || control->focusProxy()
            || control->isHidden())
            continue;
        ++controls;
        if (accessibleText(control).trimmed().isEmpty())
            unnamed << control->objectName() + QLatin1Char(':') + QLatin1String(control->metaObject()->className());
    }
    QVERIFY2(controls >= fewestControls, qPrintable(QString::number(controls)));
    QCOMPARE(unnamed, QStringList{});
}

void AccessibilityTest::controlsAreNamedInTheProgramsWords_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("directory list") << "Dir001" << "Folders";
    QTest::newRow("file list") << "File001" << "Photographs";
    QTest::newRow("drive box") << "Drive001" << "Drive";
    QTest::newRow("user text") << "user" << "User text";
    QTest::newRow("progress bar") << "ProgressBar1" << "Rename progress";
    QTest::newRow("thousands") << "C1" << "Start number, thousands";
    QTest::newRow("hundreds") << "C2" << "Start number, hundreds";
    QTest::newRow("tens") << "C3" << "Start number, tens";
    QTest::newRow("units") << "C4" << "Start number, units";
    QTest::newRow("About box") << "ProgDetails" << "About Quarimo";
}

// A drop-down box goes on telling its value and its list beside its name.
void AccessibilityTest::controlsAreNamedInTheProgramsWords()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QObject *found = m_form->findChild<QObject *>(control);
    QVERIFY(found);
    QCOMPARE(accessibleText(found), name);
    if (auto *box = qobject_cast<QComboBox *>(found)) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(accessible->role(), QAccessible::ComboBox);
        QCOMPARE(accessible->text(QAccessible::Value), box->currentText());
        QCOMPARE(accessible->child(0)->object(), box->view());
    }
}

void AccessibilityTest::f10OpensTheMenuBar()
{
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitFor([this] { return m_form->isActiveWindow(); }));
    u->user->setFocus();
    QTest::keyClick(u->user, Qt::Key_F10);
    QTRY_VERIFY(u->File1->isVisible());
    QCOMPARE(m_form->menuBar()->activeAction(), u->File1->menuAction());
    QTest::keyClick(u->File1, Qt::Key_Right);
    QTRY_VERIFY(u->CameraReady->isVisible());
    QTest::keyClick(u->CameraReady, Qt::Key_Escape);
    QTRY_VERIFY(!u->CameraReady->isVisible());
    QCOMPARE(u->File1->title(), QStringLiteral("File            "));
}

void AccessibilityTest::tabAndShiftTabLeaveTheTopic_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("forward");
    for (const auto &[name, tab] : {std::pair{"Contents", 0}, {"Index", 1}, {"Search", 2}}) {
        QTest::addRow("%s, Tab", name) << tab << true;
        QTest::addRow("%s, Shift+Tab", name) << tab << false;
    }
}

// From the pane into the topic, through each of its links, out, and round to where the walk began.
void AccessibilityTest::tabAndShiftTabLeaveTheTopic()
{
    QFETCH(int, tab);
    QFETCH(bool, forward);
    HelpViewer *viewer = openHelpfile(tab);
    QVERIFY(viewer);
    QWidget *start = QApplication::focusWidget();
    QVERIFY(viewer->navigation()->isAncestorOf(start));
    QTextBrowser *topic = viewer->browser();
    const QKeySequence key(forward ? Qt::Key_Tab : Qt::SHIFT | Qt::Key_Backtab);

    for (int presses = 0; QApplication::focusWidget() != topic; ++presses) {
        QVERIFY(presses < 10);
        press(key);
    }
    QStringList walked;
    for (int presses = 0; QApplication::focusWidget() == topic; ++presses) {
        QVERIFY2(presses < linkTexts.size() + 2, qPrintable(walked.join(QLatin1Char(','))));
        if (topic->textCursor().hasSelection())
            walked << topic->textCursor().selectedText();
        press(key);
    }
    QStringList expected = linkTexts;
    if (!forward)
        std::reverse(expected.begin(), expected.end());
    QCOMPARE(walked, expected);
    for (int presses = 0; QApplication::focusWidget() != start; ++presses) {
        QVERIFY(presses < 10 && QApplication::focusWidget() != topic);
        press(key);
    }
}

void AccessibilityTest::f6SwitchesBetweenPaneAndTopic_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QKeySequence>("key");
    for (const auto &[name, tab] : {std::pair{"Contents", 0}, {"Index", 1}, {"Search", 2}}) {
        QTest::addRow("%s, F6", name) << tab << QKeySequence(Qt::Key_F6);
        QTest::addRow("%s, Shift+F6", name) << tab << QKeySequence(Qt::SHIFT | Qt::Key_F6);
    }
}

// Back in the pane the keyboard is where it was there; with the pane put away it stays in the topic.
void AccessibilityTest::f6SwitchesBetweenPaneAndTopic()
{
    QFETCH(int, tab);
    QFETCH(QKeySequence, key);
    HelpViewer *viewer = openHelpfile(tab);
    QVERIFY(viewer);
    if (tab != 0)
        press(Qt::Key_Tab);
    QWidget *start = QApplication::focusWidget();
    QVERIFY(viewer->navigation()->isAncestorOf(start));

    press(key);
    QCOMPARE(QApplication::focusWidget(), viewer->browser());
    press(key);
    QCOMPARE(QApplication::focusWidget(), start);
    press(key);
    press(Qt::Key_F9);
    QVERIFY(!viewer->navigation()->isVisible());
    press(key);
    QCOMPARE(QApplication::focusWidget(), viewer->browser());
}

void AccessibilityTest::toolBarKeysActAndTheTopicIsDescribedByItsTitle()
{
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QTextBrowser *topic = viewer->browser();
    QCOMPARE(accessibleText(topic), QStringLiteral("Topic"));
    QCOMPARE(accessibleText(topic, QAccessible::Description), QStringLiteral("Links page"));
    QVERIFY(clickLink(topic, QStringLiteral("Two")));
    QCOMPARE(accessibleText(topic, QAccessible::Description), QStringLiteral("Two page"));
    press(QKeySequence::Back);
    QCOMPARE(accessibleText(topic, QAccessible::Description), QStringLiteral("Links page"));
    press(QKeySequence::Forward);
    QCOMPARE(accessibleText(topic, QAccessible::Description), QStringLiteral("Two page"));
    press(viewer->findChild<QAction *>(QStringLiteral("home"))->shortcut());
    QCOMPARE(accessibleText(topic, QAccessible::Description), QStringLiteral("Links page"));

    auto *toggle = viewer->findChild<QAction *>(QStringLiteral("togglePane"));
    for (const bool shownAfter : {false, true}) {
        press(toggle->shortcut());
        QCOMPARE(viewer->navigation()->isVisible(), shownAfter);
        QVERIFY2(toggle->toolTip().contains(toggle->shortcut().toString(QKeySequence::NativeText)),
                 qPrintable(toggle->toolTip()));
    }
}

void AccessibilityTest::hiddenPanesMoveNoCurrentEntry_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("searchWhileHidden");
    QTest::newRow("Enter in Index") << 1 << false;
    QTest::newRow("Enter in Search") << 2 << false;
    QTest::newRow("Search results found while hidden") << 0 << true;
}

// A view tells a screen reader of its new current entry as a focus change, so a hidden one keeps
// its current entry until it shows, and catches up then.
void AccessibilityTest::hiddenPanesMoveNoCurrentEntry()
{
    QFETCH(int, tab);
    QFETCH(bool, searchWhileHidden);
    HelpViewer *viewer = openHelpfile(tab);
    QVERIFY(viewer);
    QListWidget *results = viewer->search()->resultList();
    QSignalSpy treeMoves(viewer->contents()->selectionModel(), &QItemSelectionModel::currentChanged);
    QSignalSpy resultMoves(results->selectionModel(), &QItemSelectionModel::currentChanged);

    if (searchWhileHidden) {
        viewer->search()->wordsField()->setText(QStringLiteral("second"));
        QTRY_COMPARE(results->count(), 1);
        QCOMPARE(resultMoves.count(), 0);
        press(Qt::ALT | Qt::Key_S);
        QCOMPARE(results->currentRow(), 0);
    } else {
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("second"));
        QTRY_VERIFY(tab != 2 || results->count() > 0);
    }
    press(Qt::Key_Return);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Two page"));
    QCOMPARE(treeMoves.count(), 0);
    press(Qt::ALT | Qt::Key_C);
    QCOMPARE(viewer->contents()->currentItem()->text(0), QStringLiteral("Two"));
}

QUARIMO_GUI_TEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
