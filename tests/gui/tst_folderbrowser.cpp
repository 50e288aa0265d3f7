// The folder browser driven as a user would: walking folders, the file list, the selection,
// the settings file at every folder change and at start-up, and the error boxes.
#include "app/directorylistbox.h"
#include "app/filelistbox.h"
#include "app/glyphs.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "platform/workdir.h"
#include "ui_mainform.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class FolderBrowserTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void walksFoldersByDoubleClickAndEnter();
    void aSingleClickOrArrowOnlyMovesTheHighlight();
    void openingTheCurrentLineDoesNothing();
    void showsTheRootAsOneCurrentLine();
    void fileListHoldsTheVisiblePhotographsInOrder();
    void namesStayBytesWhateverTheyShow();
    void linesAreDrawnByTheProgram();
    void selectionEnablesRename_data();
    void selectionEnablesRename();
    void arrowKeysMoveAndExtendTheSelection();
    void selectAllFilesEnablesRenameEvenWithNoLines();
    void incrementalSearchSelectsTheFoundLine();
    void directoryListSearchOnlyMovesTheHighlight();
    void aLongListingShowsTheWaitCursor();
    void deferredListingReadsOnlyWhenFlushed();
    void restoresTheLastFolderAtStartUp_data();
    void restoresTheLastFolderAtStartUp();
    void aVanishedSubfolderGivesFileNotFound();
    void aSettingsFileThatCannotBeWrittenFailsEveryFolderChange();
    void aSettingsFileThatCannotBeReadEndsStartUp();
    void aFolderThatCannotBeListedShowsNoLinesAndNoMessage();

private:
    QString path(const QString &relative) const { return m_folder->path() + QLatin1Char('/') + relative; }
    int dirRow(const QString &text) const;
    void doubleClickDirLine(const QString &text);
    void clickFileLine(int row, Qt::KeyboardModifiers modifiers = {});
};

void FolderBrowserTest::init()
{
    makeFolder();
}

void FolderBrowserTest::cleanup()
{
    closeAll();
}

int FolderBrowserTest::dirRow(const QString &text) const
{
    return int(dirLines().lastIndexOf(text));
}

void FolderBrowserTest::doubleClickDirLine(const QString &text)
{
    const int row = dirRow(text);
    QVERIFY2(row >= 0, qPrintable(text));
    const QModelIndex index = u->Dir001->model()->index(row, 0);
    u->Dir001->scrollTo(index);
    const QPoint at = u->Dir001->visualRect(index).center();
    QTest::mouseClick(u->Dir001->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(u->Dir001->viewport(), Qt::LeftButton, {}, at);
}

void FolderBrowserTest::clickFileLine(int row, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = u->File001->model()->index(row, 0);
    u->File001->scrollTo(index);
    QTest::mouseClick(u->File001->viewport(), Qt::LeftButton, modifiers, u->File001->visualRect(index).center());
}

void FolderBrowserTest::walksFoldersByDoubleClickAndEnter()
{
    m_folder->writeFile("album/2015/beach.jpg");
    m_folder->writeFile("album/cover.jpg");
    m_folder->writeFile("start.jpg");
    start();
    QCOMPARE(fileLines(), QStringList{"start.jpg"});

    doubleClickDirLine("album");
    const std::string album = path("album").toStdString();
    QCOMPARE(u->Dir001->folder(), album);
    QCOMPARE(u->File001->folder(), album);
    QCOMPARE(m_form->currentFolder(), album);
    QCOMPARE(platform::currentDirectory(), album);
    QCOMPARE(fileLines(), QStringList{"cover.jpg"});
    QCOMPARE(settingsContent(), path("album") + "\r\n");
    QCOMPARE(dirLines().last(), QStringLiteral("2015"));
    QCOMPARE(u->Dir001->currentIndex().row(), dirRow("album"));

    u->Dir001->setFocus();
    u->Dir001->setCurrentIndex(u->Dir001->model()->index(dirRow("2015"), 0));
    QTest::keyClick(u->Dir001, Qt::Key_Return);
    QCOMPARE(m_form->currentFolder(), path("album/2015").toStdString());
    QCOMPARE(fileLines(), QStringList{"beach.jpg"});
    QCOMPARE(settingsContent(), path("album/2015") + "\r\n");

    // Back up two levels through a path line.
    doubleClickDirLine(QFileInfo(m_folder->path()).fileName());
    QCOMPARE(m_form->currentFolder(), m_folder->path().toStdString());
    QCOMPARE(fileLines(), QStringList{"start.jpg"});
    QCOMPARE(settingsContent(), m_folder->path() + "\r\n");
}

void FolderBrowserTest::aSingleClickOrArrowOnlyMovesTheHighlight()
{
    m_folder->writeFile("a/x.jpg");
    m_folder->writeFile("b/y.jpg");
    start();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    const QModelIndex a = u->Dir001->model()->index(dirRow("a"), 0);
    QTest::mouseClick(u->Dir001->viewport(), Qt::LeftButton, {}, u->Dir001->visualRect(a).center());
    QCOMPARE(u->Dir001->currentIndex().row(), dirRow("a"));
    QTest::keyClick(u->Dir001, Qt::Key_Down);
    QCOMPARE(u->Dir001->currentIndex().row(), dirRow("b"));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(u->Dir001->folder(), m_folder->path().toStdString());
    QVERIFY(!QFile::exists(path("quarimo.txt")));
}

void FolderBrowserTest::openingTheCurrentLineDoesNothing()
{
    m_folder->writeFile("a/x.jpg");
    start();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    doubleClickDirLine(QFileInfo(m_folder->path()).fileName());
    QCOMPARE(changes.count(), 0);
    QVERIFY2(!QFile::exists(path("quarimo.txt")), "no save without a folder change");
}

void FolderBrowserTest::showsTheRootAsOneCurrentLine()
{
    start();
    u->Dir001->changeFolder("/");
    QCOMPARE(m_form->currentFolder(), std::string("/"));
    QCOMPARE(platform::currentDirectory(), std::string("/"));
    const FolderLines &lines = u->Dir001->folderLines();
    QCOMPARE(lines.currentLine, 0);
    QCOMPARE(dirLines().first(), QStringLiteral("/"));
    QVERIFY(dirLines().contains("tmp"));
    QCOMPARE(settingsContent(), QStringLiteral("/\r\n"));
}

void FolderBrowserTest::fileListHoldsTheVisiblePhotographsInOrder()
{
    for (const char *name : {"b.jpg", "A.JPG", "c.Jpg", "notes.txt", "d.jpeg", ".hidden.jpg", "ro.jpg", "Z.jpg"})
        m_folder->writeFile(name);
    ::chmod(path("ro.jpg").toLocal8Bit().constData(), 0444);
    QDir().mkpath(path("folder.jpg"));
    QDir().mkpath(path(".hidden-folder"));
    start();
    QCOMPARE(fileLines(), (QStringList{"A.JPG", "b.jpg", "c.Jpg", "ro.jpg", "Z.jpg"}));
    QVERIFY(!dirLines().contains(".hidden-folder"));
    QVERIFY(dirLines().contains("folder.jpg"));
    for (int i = 0; i < u->File001->lineCount(); ++i)
        QVERIFY(!u->File001->isLineSelected(i));

    // A re-read after a rename re-sorts and clears the selection.
    u->File001->selectAllLines();
    QFile::rename(path("Z.jpg"), path("0.jpg"));
    u->File001->listFiles();
    QCOMPARE(fileLines(), (QStringList{"0.jpg", "A.JPG", "b.jpg", "c.Jpg", "ro.jpg"}));
    for (int i = 0; i < u->File001->lineCount(); ++i)
        QVERIFY(!u->File001->isLineSelected(i));
    QCOMPARE(platform::currentDirectory(), m_folder->path().toStdString());
}

void FolderBrowserTest::namesStayBytesWhateverTheyShow()
{
    const QByteArray latin1 = QFile::encodeName(m_folder->path()) + "/caf\xe9.jpg";
    QVERIFY(::close(::open(latin1.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
    m_folder->writeFile(QString::fromUtf8("\xc3\xa9t\xc3\xa9.jpg"));
    start();
    QCOMPARE(u->File001->lineCount(), 2);
    QCOMPARE(u->File001->lineText(0), std::string("caf\xe9.jpg"));
    QCOMPARE(u->File001->model()->index(0, 0).data().toString(), QString::fromUtf8("caf\xef\xbf\xbd.jpg"));
    QCOMPARE(u->File001->lineText(1), std::string("\xc3\xa9t\xc3\xa9.jpg"));
    QCOMPARE(u->File001->model()->index(1, 0).data().toString(), QString::fromUtf8("\xc3\xa9t\xc3\xa9.jpg"));
}

void FolderBrowserTest::linesAreDrawnByTheProgram()
{
    m_folder->writeFile("a.jpg");
    m_folder->writeFile("b.jpg");
    m_folder->writeFile("sub/c.jpg");
    start();
    const int height = std::max(QFontMetrics(u->File001->font()).height(), 16);
    const QModelIndex first = u->File001->model()->index(0, 0);
    QCOMPARE(u->File001->visualRect(first).height(), height);
    QCOMPARE(u->Dir001->visualRect(u->Dir001->model()->index(0, 0)).height(),
             std::max(QFontMetrics(u->Dir001->font()).height(), 16));

    clickFileLine(0);
    const QImage image = u->File001->viewport()->grab().toImage();
    const QRect selectedLine = u->File001->visualRect(first);
    const QRect plainLine = u->File001->visualRect(u->File001->model()->index(1, 0));
    const QPalette palette = u->File001->palette();
    QCOMPARE(image.pixelColor(selectedLine.right() - 3, selectedLine.center().y()),
             palette.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(image.pixelColor(plainLine.right() - 3, plainLine.center().y()),
             palette.color(QPalette::Active, QPalette::Base));
    // The glyph sits 2 pixels in, vertically centred, with its bottom-left colour see-through:
    // the line's background shows at the glyph's bottom-left corner.
    const QImage blank = glyph(QStringLiteral("unknownfile")).toImage();
    QVERIFY(!blank.isNull());
    const int glyphTop = plainLine.top() + (plainLine.height() - blank.height()) / 2;
    QCOMPARE(image.pixelColor(2, glyphTop + blank.height() - 1), palette.color(QPalette::Active, QPalette::Base));
    int glyphPixels = 0;
    for (int x = 2; x < 2 + blank.width(); ++x)
        for (int y = glyphTop; y < glyphTop + blank.height(); ++y)
            glyphPixels += image.pixelColor(x, y) != palette.color(QPalette::Active, QPalette::Base);
    QVERIFY(glyphPixels > 10);
    // The text stands after the glyph's room.
    bool inked = false;
    for (int x = 19; x < 40; ++x)
        for (int y = plainLine.top(); y <= plainLine.bottom(); ++y)
            inked = inked || image.pixelColor(x, y) == palette.color(QPalette::Active, QPalette::Text);
    QVERIFY(inked);
}

void FolderBrowserTest::selectionEnablesRename_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("modifiers");
    QTest::addColumn<QList<int>>("selected");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    QTest::newRow("click") << QList<int>{2} << QList<int>{none} << QList<int>{2};
    QTest::newRow("click replaces") << QList<int>{1, 3} << QList<int>{none, none} << QList<int>{3};
    QTest::newRow("ctrl adds") << QList<int>{1, 3} << QList<int>{none, ctrl} << QList<int>{1, 3};
    QTest::newRow("shift range") << QList<int>{1, 3} << QList<int>{none, shift} << QList<int>{1, 2, 3};
    QTest::newRow("ctrl removes last") << QList<int>{2, 2} << QList<int>{none, ctrl} << QList<int>{};
}

void FolderBrowserTest::selectionEnablesRename()
{
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, modifiers);
    QFETCH(QList<int>, selected);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        m_folder->writeFile(name);
    start();
    QVERIFY(!u->Rename->isEnabled());
    for (int i = 0; i < rows.size(); ++i)
        clickFileLine(rows[i], Qt::KeyboardModifiers(modifiers[i]));
    for (int row = 0; row < u->File001->lineCount(); ++row)
        QCOMPARE(u->File001->isLineSelected(row), selected.contains(row));
    QVERIFY(u->Rename->isEnabled());
}

void FolderBrowserTest::arrowKeysMoveAndExtendTheSelection()
{
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        m_folder->writeFile(name);
    start();
    clickFileLine(0);
    QSignalSpy clicks(u->File001, &FileListBox::userClicked);
    QTest::keyClick(u->File001, Qt::Key_Down);
    QTest::keyClick(u->File001, Qt::Key_Down, Qt::ShiftModifier);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(u->File001->isLineSelected(row), row == 1 || row == 2);
    QVERIFY(clicks.count() >= 2);
    QTest::keyClick(u->File001, Qt::Key_Up);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(u->File001->isLineSelected(row), row == 1);
    QVERIFY(u->Rename->isEnabled());
}

void FolderBrowserTest::selectAllFilesEnablesRenameEvenWithNoLines()
{
    m_folder->writeFile("photos/a.jpg");
    m_folder->writeFile("photos/b.jpg");
    start();
    QCOMPARE(u->File001->lineCount(), 0);
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    QVERIFY(u->Rename->isEnabled());

    m_form.reset();
    start();
    doubleClickDirLine("photos");
    QSignalSpy clicks(u->File001, &FileListBox::userClicked);
    QVERIFY(!u->Rename->isEnabled());
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    QVERIFY(u->Rename->isEnabled());
    QVERIFY(u->File001->isLineSelected(0) && u->File001->isLineSelected(1));
    QCOMPARE(clicks.count(), 0);
}

void FolderBrowserTest::incrementalSearchSelectsTheFoundLine()
{
    for (const char *name : {"apple.jpg", "Beach.jpg", "berry.jpg", "cat.jpg"})
        m_folder->writeFile(name);
    start();
    QSignalSpy clicks(u->File001, &FileListBox::userClicked);
    clickFileLine(3, Qt::NoModifier);
    clicks.clear();

    u->File001->setFocus();
    QTest::keyClicks(u->File001, "BER");
    QCOMPARE(u->File001->currentIndex().row(), 2);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(u->File001->isLineSelected(row), row == 2);
    QVERIFY(clicks.count() >= 1);

    // Backspace takes the last character off: "be" finds the first line beginning so.
    QTest::keyClick(u->File001, Qt::Key_Backspace);
    QCOMPARE(u->File001->currentIndex().row(), 1);
    QTest::keyClick(u->File001, Qt::Key_Backspace);
    QCOMPARE(u->File001->currentIndex().row(), 1);
    // Emptied, the caret goes to the first line, which counts as a click too.
    clicks.clear();
    QTest::keyClick(u->File001, Qt::Key_Backspace);
    QCOMPARE(u->File001->currentIndex().row(), 0);
    QVERIFY(u->File001->isLineSelected(0));
    QCOMPARE(clicks.count(), 1);

    // After a pause the prefix starts afresh.
    QTest::keyClicks(u->File001, "b");
    QCOMPARE(u->File001->currentIndex().row(), 1);
    QTest::qWait(600);
    QTest::keyClicks(u->File001, "c");
    QCOMPARE(u->File001->currentIndex().row(), 3);
    // Without a pause it goes on: "cz" matches nothing, and nothing changes.
    clicks.clear();
    QTest::keyClicks(u->File001, "z");
    QCOMPARE(u->File001->currentIndex().row(), 3);
    QCOMPARE(clicks.count(), 0);
}

void FolderBrowserTest::directoryListSearchOnlyMovesTheHighlight()
{
    QDir().mkpath(path("Holiday"));
    QDir().mkpath(path("home-made"));
    QDir().mkpath(path("work"));
    start();
    u->Dir001->setFocus();
    QTest::keyClicks(u->Dir001, "hom");
    QCOMPARE(u->Dir001->currentIndex().row(), dirRow("home-made"));
    QTest::qWait(600);
    QTest::keyClicks(u->Dir001, "W");
    QCOMPARE(u->Dir001->currentIndex().row(), dirRow("work"));
    QCOMPARE(u->Dir001->folder(), m_folder->path().toStdString());
}

void FolderBrowserTest::aLongListingShowsTheWaitCursor()
{
    for (int i = 0; i < 150; ++i)
        m_folder->writeFile(QString("long/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    for (int i = 0; i < 100; ++i)
        m_folder->writeFile(QString("short/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    start();
    QList<int> shapes;
    connect(u->File001->model(), &QAbstractItemModel::modelAboutToBeReset, this, [&shapes] {
        shapes << (QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
    });
    u->Dir001->changeFolder(path("long").toStdString());
    QCOMPARE(u->File001->lineCount(), 150);
    u->Dir001->changeFolder(path("short").toStdString());
    QCOMPARE(u->File001->lineCount(), 100);
    QCOMPARE(shapes, (QList<int>{int(Qt::WaitCursor), -1}));
    QVERIFY(!QApplication::overrideCursor());
}

void FolderBrowserTest::deferredListingReadsOnlyWhenFlushed()
{
    m_folder->writeFile("a.jpg");
    start();
    QDir::setCurrent(QDir::tempPath());
    u->File001->setListingDeferred(true);
    m_folder->writeFile("b.jpg");
    u->File001->listFiles();
    QCOMPARE(fileLines(), QStringList{"a.jpg"});
    QCOMPARE(platform::currentDirectory(), m_folder->path().toStdString());
    u->File001->flushListing();
    QCOMPARE(fileLines(), (QStringList{"a.jpg", "b.jpg"}));

    m_folder->writeFile("c.jpg");
    u->File001->flushListing(); // nothing stale: no re-read
    QCOMPARE(u->File001->lineCount(), 2);
    u->File001->listFiles();
    QCOMPARE(u->File001->lineCount(), 2);
    u->File001->setListingDeferred(false);
    QCOMPARE(fileLines(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    m_folder->writeFile("d.jpg");
    u->File001->listFiles();
    QCOMPARE(u->File001->lineCount(), 4);
}

void FolderBrowserTest::restoresTheLastFolderAtStartUp_data()
{
    // In the content, "@" stands for the start directory. The expected folder is relative to it.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("rewritten");
    QTest::addColumn<QString>("error");
    QTest::newRow("no settings file") << QByteArray() << "" << false << "";
    QTest::newRow("empty line") << QByteArray("\r\n") << "" << false << "";
    QTest::newRow("empty file") << QByteArray("") << "" << false << "";
    QTest::newRow("start directory") << QByteArray("@\r\nmore\r\n") << "" << false << "";
    QTest::newRow("a subfolder") << QByteArray("@/sub\r\n") << "sub" << true << "";
    QTest::newRow("further lines") << QByteArray("@/sub\r\n@/other\r\n") << "sub" << true << "";
    QTest::newRow("lf only") << QByteArray("@/sub\n@/other\n") << "sub" << true << "";
    QTest::newRow("stray cr") << QByteArray("@/s\rub\r\n") << "sub" << true << "";
    QTest::newRow("a file's path") << QByteArray("@/sub/photo.jpg\r\n") << "sub" << true << "";
    QTest::newRow("a missing folder") << QByteArray("@/gone\r\n") << "" << true << "File not found.";
    QTest::newRow("a missing folder on the way") << QByteArray("@/gone/deeper\r\n") << "" << true
                                                 << "Invalid filename.";
    // Linux volumes tell letter cases apart: another case names another folder, here a missing one.
    QTest::newRow("start directory in another case") << QByteArray("@upper\r\n") << "" << true << "File not found.";
}

void FolderBrowserTest::restoresTheLastFolderAtStartUp()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, folder);
    QFETCH(bool, rewritten);
    QFETCH(QString, error);
    m_folder->writeFile("sub/photo.jpg");
    const QByteArray start = m_folder->path().toUtf8();
    if (!content.isNull()) {
        if (content.startsWith("@upper")) {
            const QByteArray name = QFileInfo(m_folder->path()).fileName().toUtf8();
            content = start.left(start.size() - name.size()) + name.toUpper() + content.mid(6);
        }
        m_folder->writeFile("quarimo.txt", QByteArray(content).replace('@', start));
    }

    MessageBoxCatcher catcher;
    this->start();
    const QString expected = folder.isEmpty() ? m_folder->path() : path(folder);
    QCOMPARE(QString::fromStdString(m_form->currentFolder()), expected);
    QCOMPARE(QString::fromStdString(u->Dir001->folder()), expected);
    QCOMPARE(QString::fromStdString(u->File001->folder()), expected);
    QCOMPARE(QString::fromStdString(platform::currentDirectory()), expected);
    if (rewritten)
        QCOMPARE(settingsContent(), expected + "\r\n");
    else if (content.isNull())
        QCOMPARE(settingsContent(), QStringLiteral("<none>"));
    else
        QCOMPARE(settingsContent().toUtf8(), QByteArray(content).replace('@', start));

    if (error.isEmpty()) {
        QCOMPARE(catcher.seen(), QStringList());
        QVERIFY(u->RadioButton1->isChecked());
    } else {
        QCOMPARE(catcher.seen(), QStringList{QString("tst_folderbrowser|%1|%2").arg(error).arg(int(QMessageBox::Critical))});
        // The failure ended start-up's create step before the date format was chosen.
        QVERIFY(!u->RadioButton1->isChecked());
    }
}

void FolderBrowserTest::aVanishedSubfolderGivesFileNotFound()
{
    m_folder->writeFile("keep/a.jpg");
    m_folder->writeFile("gone/b.jpg");
    m_folder->writeFile("c.jpg");
    start();
    MessageBoxCatcher catcher;
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    QDir(path("gone")).removeRecursively();
    doubleClickDirLine("gone");
    QTRY_COMPARE(catcher.seen().size(), 1);
    QCOMPARE(catcher.seen().first(), QString("tst_folderbrowser|File not found.|%1").arg(int(QMessageBox::Critical)));
    QVERIFY(!dirLines().contains("gone"));
    QVERIFY(dirLines().contains("keep"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(m_form->currentFolder(), m_folder->path().toStdString());
    QCOMPARE(fileLines(), QStringList{"c.jpg"});
    QCOMPARE(settingsContent(), m_folder->path() + "\r\n");
    QCOMPARE(platform::currentDirectory(), m_folder->path().toStdString());

    // No failure is left behind for the next change.
    doubleClickDirLine("keep");
    QCOMPARE(catcher.seen().size(), 1);
    QCOMPARE(fileLines(), QStringList{"a.jpg"});
}

void FolderBrowserTest::aSettingsFileThatCannotBeWrittenFailsEveryFolderChange()
{
    // Root may write anywhere, so the start directory's refusal is staged: a folder holds the
    // settings file's name.
    m_folder->writeFile("one/a.jpg");
    m_folder->writeFile("two/b.jpg");
    QDir().mkpath(path("quarimo.txt"));
    start();
    MessageBoxCatcher catcher;
    doubleClickDirLine("one");
    QTRY_COMPARE(catcher.seen().size(), 1);
    QCOMPARE(catcher.seen().last(), QString("tst_folderbrowser|File access denied.|%1").arg(int(QMessageBox::Critical)));
    // The change itself happened.
    QCOMPARE(m_form->currentFolder(), path("one").toStdString());
    QCOMPARE(fileLines(), QStringList{"a.jpg"});

    u->Dir001->setFocus();
    u->Dir001->setCurrentIndex(u->Dir001->model()->index(u->Dir001->folderLines().currentLine - 1, 0));
    QTest::keyClick(u->Dir001, Qt::Key_Return);
    QTRY_COMPARE(catcher.seen().size(), 2);
    QCOMPARE(catcher.seen().last(), catcher.seen().first());
    QCOMPARE(m_form->currentFolder(), m_folder->path().toStdString());
    QVERIFY(QFileInfo(path("quarimo.txt")).isDir());
}

void FolderBrowserTest::aSettingsFileThatCannotBeReadEndsStartUp()
{
    // Root may read any file, so an unreadable settings file is staged as a pipe.
    m_folder->writeFile("sub/a.jpg");
    QVERIFY(::mkfifo(path("quarimo.txt").toLocal8Bit().constData(), 0600) == 0);
    MessageBoxCatcher catcher;
    start();
    QCOMPARE(catcher.seen(), QStringList{QString("tst_folderbrowser|File access denied.|%1").arg(int(QMessageBox::Critical))});
    QCOMPARE(m_form->currentFolder(), m_folder->path().toStdString());
    QVERIFY(!u->RadioButton1->isChecked());
    // The window works all the same.
    doubleClickDirLine("sub");
    QCOMPARE(fileLines(), QStringList{"a.jpg"});
}

void FolderBrowserTest::aFolderThatCannotBeListedShowsNoLinesAndNoMessage()
{
    m_folder->writeFile("doomed/a.jpg");
    m_folder->writeFile("b.jpg");
    start();
    MessageBoxCatcher catcher;
    doubleClickDirLine("doomed");
    QCOMPARE(fileLines(), QStringList{"a.jpg"});
    QDir(path("doomed")).removeRecursively();
    u->File001->listFiles();
    QCOMPARE(u->File001->lineCount(), 0);
    QTest::qWait(100);
    QCOMPARE(catcher.seen(), QStringList());

    // Walking up from the vanished folder works, with no failure left over for it.
    doubleClickDirLine(QFileInfo(m_folder->path()).fileName());
    QTest::qWait(100);
    QCOMPARE(catcher.seen(), QStringList());
    QCOMPARE(m_form->currentFolder(), m_folder->path().toStdString());
    QCOMPARE(fileLines(), QStringList{"b.jpg"});
}

QUARIMO_GUI_TEST_MAIN(FolderBrowserTest)
#include "tst_folderbrowser.moc"
