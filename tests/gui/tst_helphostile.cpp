// Help files built to harm: each is compiled here with chmcmd, opened in the viewer and worked as
// a user would. The viewer must show it or say why not, stay alive, open no file beyond the help file
// and hand only web and mail links to the desktop, and only on a click.
#include "help/compiledhelp.h"
#include "help/pagecleaner.h"
#include "help/viewer/helpbrowser.h"
#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "help/viewer/topicchooser.h"
#include "guitestutil.h"
#include "helpfile.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

using Pages = QMap<QString, QByteArray>;

// A body that starts with <head> brings its own head.
QByteArray page(const QByteArray &title, const QByteArray &body)
{
    if (body.startsWith("<head>"))
        return "<html>" + body.left(6) + "<title>" + title + "</title>" + body.mid(6) + "</html>";
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

QByteArray png(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The files opened in the watched folders, as the kernel reports them.
class OpenWatch
{
public:
    explicit OpenWatch(const QStringList &folders) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        for (const QString &folder : folders)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch() { ::close(m_fd); }
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    QStringList opened() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                names << (event->len ? QString::fromUtf8(event->name) : QStringLiteral("(the folder)"));
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_fd;
};

int deepestTable(const QTextFrame *frame, int depth = 0)
{
    int deepest = depth;
    for (const QTextFrame *child : frame->childFrames())
        deepest = std::max(deepest, deepestTable(child, depth + (qobject_cast<const QTextTable *>(child) ? 1 : 0)));
    return deepest;
}

} // namespace

class HelpHostileTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hostileFilesOpenAndReadNothingElse_data();
    void hostileFilesOpenAndReadNothingElse();
    void linksGoOnlyWhereTheirKindMay_data();
    void linksGoOnlyWhereTheirKindMay();
    void keywordWithThousandsOfTopicsOpensItsChooserAtOnce();
    void searchOfFiveThousandPagesAnswersWhenItsIndexIsReady();
    void ourPagesLayOutAsBeforeCleaning();
    void styleSheetsPastTheBudgetAreLeftOut();
    void readingStopsWhenAnotherFileOpensOrTheViewerCloses();
    void searchOfAFileThatCannotBeReadAgainSaysSo();

private:
    /** Shows `helpFile` in the viewer, recording every object its pages ask for from the start. */
    HelpViewer *show(const QString &helpFile);
    QString compile(const QString &name, const Pages &pages, const QString &options = {});

    std::unique_ptr<TemporaryWorkingFolder> m_start;
    std::unique_ptr<QTemporaryDir> m_outside;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QWidget> m_caller;
    QStringList m_requests;
    QList<QUrl> m_handedToDesktop;
    HelpBrowser::DesktopHandOff m_realHandOff;
};

void HelpHostileTest::init()
{
    m_start = std::make_unique<TemporaryWorkingFolder>();
    m_outside = std::make_unique<QTemporaryDir>();
    m_scratch = std::make_unique<QTemporaryDir>();
    // Files a page may name by a path of its own: in the start folder and in another one.
    for (const QString &folder : {m_start->path(), m_outside->path()}) {
        for (const QString &name : {QStringLiteral("canary.png"), QStringLiteral("canary.css"), QStringLiteral("canary.htm")}) {
            QFile file(folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name.endsWith(QLatin1String(".png")) ? png({8, 8}) : QByteArray("p { color: red }"));
        }
    }
    HelpViewer::setInstalledHelpFile(m_scratch->path() + QStringLiteral("/not-installed.chm"));
    m_requests.clear();
    m_handedToDesktop.clear();
    m_realHandOff = HelpBrowser::setDesktopHandOff([this](const QUrl &url) { m_handedToDesktop << url; });
    m_caller = std::make_unique<QWidget>();
    m_caller->resize(200, 100);
    m_caller->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_caller.get()));
}

void HelpHostileTest::cleanup()
{
    m_caller.reset();
    HelpBrowser::setDesktopHandOff(m_realHandOff);
    m_scratch.reset();
    m_outside.reset();
    m_start.reset();
}

QString HelpHostileTest::compile(const QString &name, const Pages &pages, const QString &options)
{
    return compileHelpFile(m_scratch->path() + QLatin1Char('/') + name, pages, options, false);
}

HelpViewer *HelpHostileTest::show(const QString &helpFile)
{
    // The first call finds no file and shows the viewer's note, so the recorder is in place before
    // the file's first page asks for anything.
    HelpViewer *viewer = HelpViewer::displayTopic(m_caller.get(), m_scratch->path() + QStringLiteral("/none.chm"));
    auto *browser = qobject_cast<HelpBrowser *>(viewer->browser());
    if (!browser)
        return nullptr;
    browser->setRequestRecorder([this](int, const QUrl &name) { m_requests << name.toString(); });
    HelpViewer::displayTopic(m_caller.get(), helpFile);
    if (!QTest::qWaitForWindowExposed(viewer))
        return nullptr;
    QApplication::setActiveWindow(viewer);
    return QTest::qWaitFor([viewer] { return viewer->isActiveWindow(); }) ? viewer : nullptr;
}

void HelpHostileTest::hostileFilesOpenAndReadNothingElse_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("cut");
    // @OUT@ stands for a folder outside the help file; canary.* lie there and in the start folder.
    QTest::newRow("absolute paths") << QByteArray(R"(<img src="/etc/hostname"><img src="@OUT@/canary.png">)")
                                    << QStringList{"chm:/etc/hostname", "/canary.png"} << false;
    QTest::newRow("file URL picture") << QByteArray(R"(<img src="file://@OUT@/canary.png">)")
                                      << QStringList{"file://"} << false;
    QTest::newRow("file URL style sheet") << QByteArray(R"(<head><link rel="stylesheet" type="text/css" href="file://@OUT@/canary.css"></head><body><p>styled</p></body>)")
                                          << QStringList{"canary.css"} << false;
    QTest::newRow("relative paths out of the file")
        << QByteArray(R"(<head><link rel="stylesheet" type="text/css" href="../../canary.css"></head><body><img src="canary.png">)"
                      R"(<img src="../../../canary.png"><img src="../canary.htm"></body>)")
        << QStringList{"chm:/canary.css", "chm:/canary.png", "chm:/canary.htm"} << false;
    QTest::newRow("backgrounds") << QByteArray(R"(<table background="file://@OUT@/canary.png"><tr><td background="canary.png">c</td></tr></table>)")
                                 << QStringList{} << false;
    QTest::newRow("endless device") << QByteArray(R"(<head><link rel="stylesheet" type="text/css" href="file:///dev/zero"></head><body><img src="file:///dev/zero">)"
                                                  R"(<img src="/dev/zero"></body>)")
                                    << QStringList{"file:///dev/zero", "chm:/dev/zero"} << false;
    QTest::newRow("oversized picture") << QByteArray(R"(<img src="huge.png"><img src="notapicture.png">)")
                                       << QStringList{"chm:/huge.png", "chm:/notapicture.png"} << false;
    QTest::newRow("30 nested tables") << QByteArray("<table><tr><td>x").repeated(30) + QByteArray("</td></tr></table>").repeated(30)
                                      << QStringList{} << false;
    QTest::newRow("10,000 nested tables") << QByteArray("<table><tr><td>x").repeated(10000) << QStringList{} << false;
    QTest::newRow("100,000 nested bold") << QByteArray("<b>").repeated(100000) + "bold" << QStringList{} << false;
    QTest::newRow("a word of a megabyte") << QByteArray(1 << 20, 'w') << QStringList{} << true;
    QTest::newRow("a page of 40,000 paragraphs") << QByteArray("<p>words upon words</p>\n").repeated(40000) << QStringList{} << true;
}

void HelpHostileTest::hostileFilesOpenAndReadNothingElse()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, asked);
    QFETCH(bool, cut);
    body.replace("@OUT@", QFile::encodeName(m_outside->path()));
    const QString compiled = compile(QStringLiteral("hostile"),
                                     {{QStringLiteral("index.htm"), page("Hostile", body)},
                                      {QStringLiteral("huge.png"), png({5000, 5000})},
                                      {QStringLiteral("notapicture.png"), QByteArray(5000, 'x')}},
                                     QStringLiteral("Default topic=index.htm\n"));
    QVERIFY2(!compiled.isEmpty(), "chmcmd compiles the test's help file");
    const OpenWatch watch({m_start->path(), m_outside->path()});

    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QTextBrowser *browser = viewer->browser();
    QCOMPARE(viewer->shownFile(), compiled);
    QCOMPARE(browser->documentTitle(), QStringLiteral("Hostile"));
    // Laid out and painted to the end, as a reader scrolling down would have it.
    browser->moveCursor(QTextCursor::End);
    browser->viewport()->grab();
    QVERIFY(deepestTable(browser->document()->rootFrame()) <= PageLimits().tableDepth);
    QCOMPARE(browser->toPlainText().contains(cutNote()), cut);

    for (const QString &name : asked) {
        QVERIFY2(std::any_of(m_requests.cbegin(), m_requests.cend(), [&](const QString &r) { return r.contains(name); }),
                 qPrintable(name + QStringLiteral(" was not asked of the viewer: ") + m_requests.join(QLatin1Char(' '))));
    }
    // Pictures the file does not hold, or holds too large to show, are empty.
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat()) {
                const QVariant image = browser->document()->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
                QVERIFY2(image.value<QImage>().size().width() <= 1, qPrintable(format.toImageFormat().name()));
            }
        }
    }
    QCOMPARE(watch.opened(), QStringList{});
    QCOMPARE(m_handedToDesktop, QList<QUrl>{});
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void HelpHostileTest::linksGoOnlyWhereTheirKindMay_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("page of the file") << "other.htm" << "page";
    QTest::newRow("place on a page of the file") << "other.htm#there" << "page";
    QTest::newRow("page the file lacks") << "gone.htm" << "note";
    QTest::newRow("http") << "http://example.org/a" << "desktop";
    QTest::newRow("https") << "HTTPS://example.org/b" << "desktop";
    QTest::newRow("mailto") << "mailto:someone@example.org" << "desktop";
    const char *refused[] = {"file:///usr/share/applications/x.desktop", "file:///etc/passwd", "/etc/passwd",
                             "smb://server/share", "sftp://host/file", "ftp://host/file", "javascript:alert(1)",
                             "data:text/html,<p>x</p>", "ms-its:other.chm::/a.htm", "help:quarimo", "ssh://host",
                             "vbscript:x", "unknown-scheme:thing", "about:blank"};
    for (const char *href : refused)
        QTest::newRow(href) << href << "note";
}

void HelpHostileTest::linksGoOnlyWhereTheirKindMay()
{
    QFETCH(QString, href);
    QFETCH(QString, outcome);
    const QByteArray link = "<p><a href=\"" + href.toHtmlEscaped().toUtf8() + "\">the link</a></p>";
    const QString compiled = compile(QStringLiteral("links"),
                                     {{QStringLiteral("index.htm"), page("Links", link)},
                                      {QStringLiteral("other.htm"), page("Other", "<p><a name=\"there\"></a>here</p>")}},
                                     QStringLiteral("Default topic=index.htm\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QTextBrowser *browser = viewer->browser();
    browser->viewport()->grab();
    // Shown and hovered, nothing leaves.
    QTest::mouseMove(browser->viewport(), browser->viewport()->rect().topLeft() + QPoint(30, 15));
    QCOMPARE(m_handedToDesktop, QList<QUrl>{});

    QVERIFY(clickLink(browser, QStringLiteral("the link")));
    const QString note = viewer->findChild<QStatusBar *>() ? viewer->statusBar()->currentMessage() : QString();
    if (outcome == QLatin1String("page")) {
        QTRY_COMPARE(browser->source().path(), QStringLiteral("/other.htm"));
        QCOMPARE(browser->documentTitle(), QStringLiteral("Other"));
        QCOMPARE(m_handedToDesktop, QList<QUrl>{});
    } else if (outcome == QLatin1String("desktop")) {
        QCOMPARE(m_handedToDesktop, QList<QUrl>{QUrl(href)});
        QCOMPARE(browser->source().path(), QStringLiteral("/index.htm"));
    } else {
        QCOMPARE(m_handedToDesktop, QList<QUrl>{});
        QCOMPARE(browser->source().path(), QStringLiteral("/index.htm"));
        QCOMPARE(browser->documentTitle(), QStringLiteral("Links"));
        QVERIFY2(!note.isEmpty(), "the status line says why the link was not followed");
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void HelpHostileTest::keywordWithThousandsOfTopicsOpensItsChooserAtOnce()
{
    constexpr int topics = 2000;
    Pages pages;
    QByteArray index = R"(<ul><li><object type="text/sitemap"><param name="Name" value="many">)";
    for (int i = 0; i < topics; ++i) {
        const QString name = QStringLiteral("p%1.htm").arg(i, 4, 10, QLatin1Char('0'));
        pages.insert(name, page("Topic " + QByteArray::number(i), QByteArray("<p>text</p>").repeated(50)));
        index += R"(<param name="Local" value=")" + name.toUtf8() + "\">";
    }
    index += "</object></ul>";
    pages.insert(QStringLiteral("keys.hhk"), index);
    const QString compiled = compile(QStringLiteral("topics"), pages, QStringLiteral("Index file=keys.hhk\nDefault topic=p0000.htm\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QTest::keyClick(viewer, Qt::Key_N, Qt::AltModifier);
    QTest::keyClicks(viewer->index()->keywordField(), QStringLiteral("many"));
    QTest::keyClick(viewer->index()->keywordField(), Qt::Key_Return);

    // Open at once, with the first topic current and marked before the list has the keyboard.
    QPointer<TopicChooser> chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QListWidget *list = chooser->topicList();
    QCOMPARE(list->count(), topics);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(list->item(0)->isSelected());
    // The pages' own titles come as they are read.
    QTRY_COMPARE_WITH_TIMEOUT(list->item(topics - 1)->text(), QStringLiteral("Topic %1").arg(topics - 1), 60000);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Topic 0"));
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(chooser.isNull());
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Topic %1").arg(topics - 1));

    // Asked again, the titles are known.
    QTest::keyClick(viewer->index()->keywordField(), Qt::Key_Return);
    chooser = viewer->findChild<TopicChooser *>();
    QVERIFY(chooser);
    QCOMPARE(chooser->topicList()->item(topics / 2)->text(), QStringLiteral("Topic %1").arg(topics / 2));
    chooser->reject();
}

void HelpHostileTest::searchOfFiveThousandPagesAnswersWhenItsIndexIsReady()
{
    constexpr int count = 5000;
    Pages pages;
    for (int i = 0; i < count; ++i) {
        pages.insert(QStringLiteral("p%1.htm").arg(i, 4, 10, QLatin1Char('0')),
                     page("Page " + QByteArray::number(i), "<p>common word" + QByteArray::number(i) + "</p>"
                                                               + QByteArray("<p>filler text of a help page</p>").repeated(20)));
    }
    const QString compiled = compile(QStringLiteral("search"), pages, QStringLiteral("Default topic=p0000.htm\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    HelpSearchPane *search = viewer->search();
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    QTest::keyClicks(search->wordsField(), QStringLiteral("word4999"));
    QCOMPARE(search->wordsField()->text(), QStringLiteral("word4999"));
    if (!search->isIndexed()) {
        QVERIFY2(search->statusLine()->text().startsWith(QStringLiteral("Indexing the help file")),
                 qPrintable(search->statusLine()->text()));
        QCOMPARE(search->resultList()->count(), 0);
        // The rest of the viewer works meanwhile.
        QTest::keyClick(viewer, Qt::Key_C, Qt::AltModifier);
        QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(viewer->navigation()->currentWidget(), search);
    }
    QTRY_VERIFY_WITH_TIMEOUT(search->isIndexed(), 60000);
    QTRY_COMPARE(search->resultList()->count(), 1);
    QCOMPARE(search->resultList()->item(0)->text(), QStringLiteral("Page 4999"));
    QCOMPARE(search->statusLine()->text(), QStringLiteral("Topics found: 1"));
    QTest::keyClick(search->wordsField(), Qt::Key_Return);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Page 4999"));

    search->wordsField()->setText(QStringLiteral("common"));
    QCOMPARE(search->resultList()->count(), count);
}

// The cleaned page and the page as it is give the same document, formats and all.
void HelpHostileTest::ourPagesLayOutAsBeforeCleaning()
{
    const CompiledHelp help(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    QVERIFY(help.isOpen());
    const QString css = QString::fromUtf8(help.read(QStringLiteral("/help.css")).value_or(QByteArray()));
    QVERIFY(!css.isEmpty());
    const QImage icon = QImage::fromData(help.read(QStringLiteral("/icon.png")).value_or(QByteArray()));
    const auto laidOut = [&](const QString &html) {
        QTextDocument document;
        document.addResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("help.css")), css);
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("icon.png")), icon);
        document.setHtml(html);
        return document.toHtml();
    };
    const QStringList pages = help.pages();
    QVERIFY(pages.size() >= 8);
    for (const QString &path : pages) {
        const QByteArray original = *help.read(path);
        QCOMPARE(laidOut(cleanPage(original).html), laidOut(QString::fromUtf8(original)));
    }
}

// 15,000 rules over 2,000 paragraphs took seconds to lay out, within any cap on bytes.
void HelpHostileTest::styleSheetsPastTheBudgetAreLeftOut()
{
    const QByteArray links = R"(<head><link rel="stylesheet" type="text/css" href="small.css">)"
                             R"(<link rel="stylesheet" type="text/css" href="rules.css"></head><body>)";
    const QString compiled = compile(QStringLiteral("styles"),
                                     {{QStringLiteral("index.htm"), page("Styles", links + QByteArray("<p>text</p>\n").repeated(2000))},
                                      {QStringLiteral("small.css"), "p { font-weight: bold }"},
                                      {QStringLiteral("rules.css"), QByteArray("*{margin:0}\n").repeated(15000) + "p { color: #123456 }"}},
                                     QStringLiteral("Default topic=index.htm\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QTextBrowser *browser = viewer->browser();
    QCOMPARE(browser->documentTitle(), QStringLiteral("Styles"));
    QVERIFY(m_requests.contains(QStringLiteral("chm:/rules.css")));
    const QTextCharFormat format = browser->document()->lastBlock().charFormat();
    QCOMPARE(format.fontWeight(), int(QFont::Bold));
    QVERIFY(format.foreground().color() != QColor(0x12, 0x34, 0x56));
}

// Nobody waits for the titles and words of a file no longer shown: their reading is cancelled.
void HelpHostileTest::readingStopsWhenAnotherFileOpensOrTheViewerCloses()
{
    const QString ours = QStringLiteral(QUARIMO_BUILT_HELP_FILE);
    HelpViewer *viewer = show(ours);
    QVERIFY(viewer);
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    const QFuture<void> first = viewer->search()->indexing();
    QVERIFY(first.isStarted());
    HelpViewer::displayTopic(m_caller.get(), ours);
    QVERIFY(first.isCanceled());

    QVERIFY(viewer->search()->isPrepared());
    const QFuture<void> second = viewer->search()->indexing();
    QVERIFY(!second.isCanceled());
    viewer->close();
    QVERIFY(second.isCanceled());
}

// The file was read when the viewer opened it; the search reads it again, and finds it gone.
void HelpHostileTest::searchOfAFileThatCannotBeReadAgainSaysSo()
{
    const QString compiled = compile(QStringLiteral("changing"), {{QStringLiteral("index.htm"), page("Changing", "<p>words</p>")}},
                                     QStringLiteral("Default topic=index.htm\n"));
    QVERIFY(!compiled.isEmpty());
    HelpViewer *viewer = show(compiled);
    QVERIFY(viewer);
    QFile file(compiled);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    QTest::keyClick(viewer, Qt::Key_S, Qt::AltModifier);
    QTest::keyClicks(viewer->search()->wordsField(), QStringLiteral("words"));
    QVERIFY(waitForSearchIndex(viewer));
    QCOMPARE(viewer->search()->statusLine()->text(), QStringLiteral("The search is not available for this file."));
    QCOMPARE(viewer->search()->resultList()->count(), 0);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Changing"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QUARIMO_GUI_TEST_MAIN(HelpHostileTest)
#include "tst_helphostile.moc"
