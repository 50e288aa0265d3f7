// "Open Helpfile" and the help viewer, driven through the main window's Help menu as a user would,
// on the compiled help file that the build makes and on small ones compiled here.
#include "help/compiledhelp.h"
#include "help/viewer/helpbrowser.h"
#include "help/viewer/helpviewer.h"
#include "about/progdetails.h"
#include "app/directorylistbox.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "helpfile.h"
#include "shell/messageboxes.h"
#include "ui_mainform.h"

#include <QAction>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString builtHelpFile = QStringLiteral(QUARIMO_BUILT_HELP_FILE);

QStringList imagesOf(const QTextDocument *document)
{
    QStringList names;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat())
                names << format.toImageFormat().name();
        }
    }
    return names;
}

// The document keeps a picture as it was loaded, or as the image it decoded from that.
QImage imageOf(const QVariant &resource)
{
    switch (resource.userType()) {
    case QMetaType::QImage:
        return resource.value<QImage>();
    case QMetaType::QPixmap:
        return resource.value<QPixmap>().toImage();
    case QMetaType::QByteArray:
        return QImage::fromData(resource.toByteArray());
    default:
        return {};
    }
}

} // namespace

class HelpTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensTheDefaultTopicOfTheStartDirectorysFile();
    void followsALinkInsideTheFileAndBack();
    void openHelpfileTwiceGivesOneViewerOnTheDefaultTopic();
    void everyLinkAndPictureOfTheHelpResolves();
    void looksInTheStartDirectoryNotTheCurrentFolder();
    void opensTheInstalledCopyWhenTheStartDirectoryHasNone_data();
    void opensTheInstalledCopyWhenTheStartDirectoryHasNone();
    void saysSoInItsWindowWhenNoCopyCanBeRead_data();
    void saysSoInItsWindowWhenNoCopyCanBeRead();
    void namesARefusedFileInTheErrorBox();
    void findsAHelpFilePutInPlaceMeanwhile();
    void defaultTopicFallsBackToTheFirstPage_data();
    void defaultTopicFallsBackToTheFirstPage();
    void readsTheSystemEntries_data();
    void readsTheSystemEntries();
    void closingTheMainWindowWhileTheViewerShowsEndsTheProgram();

private:
    HelpViewer *openHelpfile();
    QString startCopy() const { return m_folder->path() + QStringLiteral("/rename.chm"); }
    /** Compiles `pages` (name, content) with chmcmd under `options`; the path of the compiled file. */
    QString compile(const QMap<QString, QByteArray> &pages, const QString &options);

    std::unique_ptr<QTemporaryDir> m_scratch;
};

void HelpTest::initTestCase()
{
    QVERIFY2(QFile::exists(builtHelpFile), "the build compiles the help before the tests run");
}

void HelpTest::init()
{
    makeFolder();
    m_scratch = std::make_unique<QTemporaryDir>();
    // No test may depend on what is installed on the machine.
    HelpViewer::setInstalledHelpFile(m_scratch->path() + QStringLiteral("/installed/rename.chm"));
    startWithAboutBox();
}

void HelpTest::cleanup()
{
    closeAll();
    m_scratch.reset();
}

HelpViewer *HelpTest::openHelpfile()
{
    m_form->ui()->OpenHelpfile1->trigger();
    auto *viewer = m_form->findChild<HelpViewer *>();
    return viewer && QTest::qWaitForWindowExposed(viewer) ? viewer : nullptr;
}

QString HelpTest::compile(const QMap<QString, QByteArray> &pages, const QString &options)
{
    return compileHelpFile(m_scratch->path() + QStringLiteral("/compiled"), pages, options);
}

void HelpTest::opensTheDefaultTopicOfTheStartDirectorysFile()
{
    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    MessageBoxCatcher boxes;

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->parentWidget(), m_form.get());
    QCOMPARE(viewer->shownFile(), startCopy());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Quarimo Help"));
    QTextBrowser *browser = viewer->browser();
    QCOMPARE(browser->source(), HelpBrowser::urlOf(QStringLiteral("/index.htm")));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Welcome to Quarimo"));

    // The program icon, a picture inside the help file.
    const QStringList images = imagesOf(browser->document());
    QCOMPARE(images, QStringList{QStringLiteral("icon.png")});
    const QVariant picture = browser->document()->resource(QTextDocument::ImageResource, QUrl(images.first()));
    QCOMPARE(imageOf(picture).size(), QSize(64, 64));

    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(boxes.seen(), QStringList{});
}

void HelpTest::followsALinkInsideTheFileAndBack()
{
    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QTextBrowser *browser = viewer->browser();
    auto *back = viewer->findChild<QAction *>(QStringLiteral("back"));
    auto *home = viewer->findChild<QAction *>(QStringLiteral("home"));
    QVERIFY(!back->isEnabled());

    QVERIFY(clickLink(browser, QStringLiteral("ten naming rules")));
    QTRY_COMPARE(browser->source(), HelpBrowser::urlOf(QStringLiteral("/rules.htm")));
    QCOMPARE(browser->documentTitle(), QStringLiteral("The ten naming rules"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Add Date as Prefix to existing Filename")));
    QVERIFY(back->isEnabled());

    // A link to a place on another page.
    QVERIFY(clickLink(browser, QStringLiteral("Names already taken")));
    QTRY_COMPARE(browser->source().path(), QStringLiteral("/collisions.htm"));
    QVERIFY(clickLink(browser, QStringLiteral("The naming rules")));
    QTRY_COMPARE(browser->source(), QUrl(QStringLiteral("chm:/rules.htm#date")));

    back->trigger();
    QCOMPARE(browser->source().path(), QStringLiteral("/collisions.htm"));
    home->trigger();
    QCOMPARE(browser->source(), HelpBrowser::urlOf(QStringLiteral("/index.htm")));
    QCOMPARE(browser->documentTitle(), QStringLiteral("Welcome to Quarimo"));
}

void HelpTest::openHelpfileTwiceGivesOneViewerOnTheDefaultTopic()
{
    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    // Asked again while it already shows the default topic, it still shows the page.
    QCOMPARE(openHelpfile(), viewer);
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Welcome to Quarimo"));

    QVERIFY(clickLink(viewer->browser(), QStringLiteral("Camera-Ready Rename")));
    QTRY_COMPARE(viewer->browser()->source().path(), QStringLiteral("/camera.htm"));
    viewer->close();
    QVERIFY(!viewer->isVisible());

    QCOMPARE(openHelpfile(), viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(m_form->findChildren<HelpViewer *>().size(), 1);
    QCOMPARE(viewer->browser()->source(), HelpBrowser::urlOf(QStringLiteral("/index.htm")));
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Welcome to Quarimo"));
}

void HelpTest::everyLinkAndPictureOfTheHelpResolves()
{
    const CompiledHelp help(builtHelpFile);
    QVERIFY(help.isOpen());
    QCOMPARE(help.defaultTopic(), QStringLiteral("/index.htm"));
    QCOMPARE(help.title(), QStringLiteral("Quarimo Help"));
    const QStringList pages = help.pages();
    QVERIFY2(pages.size() >= 8, qPrintable(pages.join(QLatin1Char(' '))));

    static const QRegularExpression reference(QStringLiteral(R"re((?:href|src)="([^"]*)")re"));
    static const QRegularExpression title(QStringLiteral("<title>[^<]+</title>"));
    for (const QString &page : pages) {
        const QString html = QString::fromUtf8(*help.read(page));
        QVERIFY2(title.match(html).hasMatch(), qPrintable(page + QStringLiteral(" has no title")));
        QVERIFY2(html.contains(QStringLiteral("href=\"index.htm\"")), qPrintable(page + QStringLiteral(" has no way back")));
        for (auto match = reference.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            const QUrl url = HelpBrowser::urlOf(page).resolved(QUrl(target));
            const QString where = page + QStringLiteral(" -> ") + target;
            QVERIFY2(url.scheme() == QLatin1String("chm"), qPrintable(where + QStringLiteral(" leaves the file")));
            QVERIFY2(help.contains(url.path()), qPrintable(where));
            if (url.hasFragment()) {
                const QString anchor = QStringLiteral("name=\"%1\"").arg(url.fragment());
                QVERIFY2(QString::fromUtf8(*help.read(url.path())).contains(anchor), qPrintable(where));
            }
        }
    }
}

void HelpTest::looksInTheStartDirectoryNotTheCurrentFolder()
{
    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    m_folder->writeFile(QStringLiteral("photos/rename.chm"), "not a help file");
    m_form->ui()->Dir001->changeFolder((m_folder->path() + QStringLiteral("/photos")).toStdString());
    QCOMPARE(QDir::currentPath(), m_folder->path() + QStringLiteral("/photos"));

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QCOMPARE(viewer->shownFile(), startCopy());
}

void HelpTest::opensTheInstalledCopyWhenTheStartDirectoryHasNone_data()
{
    QTest::addColumn<QByteArray>("startDirectoryCopy");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("a file that is no help file") << QByteArray("not a help file");
}

void HelpTest::opensTheInstalledCopyWhenTheStartDirectoryHasNone()
{
    QFETCH(QByteArray, startDirectoryCopy);
    if (!startDirectoryCopy.isNull())
        m_folder->writeFile(QStringLiteral("rename.chm"), startDirectoryCopy);
    HelpViewer::setInstalledHelpFile(builtHelpFile);
    MessageBoxCatcher boxes;

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QCOMPARE(viewer->shownFile(), builtHelpFile);
    QCOMPARE(viewer->browser()->source(), HelpBrowser::urlOf(QStringLiteral("/index.htm")));
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Welcome to Quarimo"));
    QCOMPARE(boxes.seen(), QStringList{});
}

void HelpTest::saysSoInItsWindowWhenNoCopyCanBeRead_data()
{
    QTest::addColumn<QString>("startDirectoryEntry");
    QTest::addColumn<QString>("reason");
    QTest::newRow("none") << QString() << "there is no such file";
    QTest::newRow("not a help file") << "file" << "the file could not be read as a compiled help file";
    QTest::newRow("a folder") << "folder" << "this is not a file";
}

void HelpTest::saysSoInItsWindowWhenNoCopyCanBeRead()
{
    QFETCH(QString, startDirectoryEntry);
    QFETCH(QString, reason);
    if (startDirectoryEntry == QLatin1String("file"))
        m_folder->writeFile(QStringLiteral("rename.chm"), QByteArray(4096, 'x'));
    else if (startDirectoryEntry == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(startCopy()));
    MessageBoxCatcher boxes;

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->shownFile(), QString());
    const QString note = viewer->browser()->toPlainText();
    QVERIFY2(note.contains(QStringLiteral("The help cannot be shown")), qPrintable(note));
    QVERIFY2(note.contains(startCopy() + QStringLiteral(": ") + reason), qPrintable(note));
    QVERIFY2(note.contains(HelpViewer::installedHelpFile() + QStringLiteral(": there is no such file")), qPrintable(note));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(boxes.seen(), QStringList{});
}

// A compiled help file cut short after its directory's header: damaged, so refused with a message.
void HelpTest::namesARefusedFileInTheErrorBox()
{
    QFile built(builtHelpFile);
    QVERIFY(built.open(QIODevice::ReadOnly));
    m_folder->writeFile(QStringLiteral("rename.chm"), built.read(0x100));
    QVERIFY(QDir().mkpath(QFileInfo(HelpViewer::installedHelpFile()).path()));
    QVERIFY(QFile::copy(builtHelpFile, HelpViewer::installedHelpFile()));
    MessageBoxCatcher boxes;

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    const QString refusal = QStringLiteral("The help file \"rename.chm\" is refused: it is damaged and cannot be read");
    QTRY_COMPARE(boxes.seen(), QStringList{applicationTitle() + QLatin1Char('|') + refusal + QStringLiteral(".|")
                                           + QString::number(int(QMessageBox::Critical))});
    // The installed copy is shown instead.
    QCOMPARE(viewer->shownFile(), HelpViewer::installedHelpFile());
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Welcome to Quarimo"));
}

void HelpTest::findsAHelpFilePutInPlaceMeanwhile()
{
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QCOMPARE(viewer->shownFile(), QString());

    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    QCOMPARE(openHelpfile(), viewer);
    QCOMPARE(viewer->shownFile(), startCopy());
    QCOMPARE(viewer->browser()->documentTitle(), QStringLiteral("Welcome to Quarimo"));
}

void HelpTest::defaultTopicFallsBackToTheFirstPage_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no default topic") << "Title=T\n" << "/a.html";
    QTest::newRow("default topic missing") << "Default topic=gone.htm\n" << "/a.html";
    QTest::newRow("default topic named") << "Default topic=b.htm\n" << "/b.htm";
}

void HelpTest::defaultTopicFallsBackToTheFirstPage()
{
    QFETCH(QString, options);
    QFETCH(QString, shown);
    const QString compiled = compile({{QStringLiteral("b.htm"), "<html><head><title>B</title></head><body>b</body></html>"},
                                      {QStringLiteral("a.html"), "<html><head><title>A</title></head><body>a</body></html>"},
                                      {QStringLiteral("style.css"), "body { }"}},
                                     options);
    if (compiled.isEmpty())
        QSKIP("chmcmd is not available");
    QVERIFY(QFile::copy(compiled, startCopy()));

    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer);
    QCOMPARE(viewer->browser()->source().path(), shown);
    QCOMPARE(viewer->browser()->toPlainText(), shown.mid(1, 1));
}

void HelpTest::readsTheSystemEntries_data()
{
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QStringList>("entries");
    const QByteArray version("\x03\x00\x00\x00", 4);
    QTest::newRow("texts ended by NUL") << version + QByteArray("\x02\x00\x0a\x00index.htm\0\x03\x00\x05\x00Help\0", 23)
                                        << QStringList{"2=index.htm", "3=Help"};
    QTest::newRow("text without NUL") << version + QByteArray("\x02\x00\x03\x00" "a.h", 7) << QStringList{"2=a.h"};
    QTest::newRow("empty entry") << version + QByteArray("\x04\x00\x00\x00", 4) << QStringList{"4="};
    QTest::newRow("entry longer than the data") << version + QByteArray("\x02\x00\x0a\x00" "a.htm", 9)
                                                << QStringList{};
    QTest::newRow("good entry, then a cut one") << version + QByteArray("\x03\x00\x02\x00T\0\x02\x00\xff\xff", 10)
                                                << QStringList{"3=T"};
    QTest::newRow("half an entry head") << version + QByteArray("\x02\x00", 2) << QStringList{};
    QTest::newRow("shorter than the version") << QByteArray("\x03\x00", 2) << QStringList{};
}

void HelpTest::readsTheSystemEntries()
{
    QFETCH(QByteArray, system);
    QFETCH(QStringList, entries);
    QStringList read;
    const QMap<quint16, QByteArray> parsed = parseSystemEntries(system);
    for (auto it = parsed.cbegin(); it != parsed.cend(); ++it)
        read << QString::number(it.key()) + QLatin1Char('=') + QString::fromLatin1(it.value());
    QCOMPARE(read, entries);
}

void HelpTest::closingTheMainWindowWhileTheViewerShowsEndsTheProgram()
{
    QVERIFY(QFile::copy(builtHelpFile, startCopy()));
    HelpViewer *viewer = openHelpfile();
    QVERIFY(viewer && viewer->isVisible());
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

    QTimer::singleShot(0, m_form.get(), [this] { m_form->close(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(lastWindowClosed.count(), 1);
}

QUARIMO_GUI_TEST_MAIN(HelpTest)
#include "tst_help.moc"
