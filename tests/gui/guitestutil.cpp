#include "guitestutil.h"


#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "ui_mainform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

namespace {

int livingCatchers = 0;

QString describe(const QMessageBox *box)
{
    return box->windowTitle() + QLatin1Char('|') + box->text() + QLatin1Char('|') + QString::number(int(box->icon()));
}

void pressOk(QMessageBox *box)
{
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
}

QList<QMessageBox *> visibleMessageBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            boxes << box;
    return boxes;
}

// A box no test expects would hold the test in its modal loop until ctest kills it: close it
// and fail the running test, saying which box it was.
void closeUnexpectedMessageBoxes()
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [] {
        if (livingCatchers > 0)
            return;
        for (QMessageBox *box : visibleMessageBoxes()) {
            const QByteArray what = "unexpected message box: " + describe(box).toUtf8();
            pressOk(box);
            QTest::qFail(what.constData(), __FILE__, __LINE__);
        }
    });
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(closeUnexpectedMessageBoxes)

struct MessageBoxCatcher::Impl
{
    QTimer timer;
    QStringList seen;
};

MessageBoxCatcher::MessageBoxCatcher(std::function<void(const QString &)> onBox) : m_impl(new Impl)
{
    ++livingCatchers;
    m_impl->timer.setInterval(20);
    QObject::connect(&m_impl->timer, &QTimer::timeout, [impl = m_impl, onBox] {
        for (QMessageBox *box : visibleMessageBoxes()) {
            impl->seen << describe(box);
            if (onBox)
                onBox(impl->seen.last());
            pressOk(box);
        }
    });
    m_impl->timer.start();
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    --livingCatchers;
    delete m_impl;
}

QStringList MessageBoxCatcher::seen() const
{
    return m_impl->seen;
}

struct TemporaryWorkingFolder::Impl
{
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
};

TemporaryWorkingFolder::TemporaryWorkingFolder() : m_impl(new Impl)
{
    QDir::setCurrent(m_impl->dir.path());
}

TemporaryWorkingFolder::~TemporaryWorkingFolder()
{
    QDir::setCurrent(m_impl->previous);
    delete m_impl;
}

QString TemporaryWorkingFolder::path() const
{
    // The form the working directory reports: symbolic links resolved.
    return QFileInfo(m_impl->dir.path()).canonicalFilePath();
}

void TemporaryWorkingFolder::writeFile(const QString &relativePath, const QByteArray &bytes) const
{
    const QString full = path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

void MainWindowFixture::makeFolder()
{
    m_folder = std::make_unique<TemporaryWorkingFolder>();
}

void MainWindowFixture::start()
{
    open(false);
}

void MainWindowFixture::startWithAboutBox()
{
    open(true);
}

void MainWindowFixture::open(bool withAboutBox)
{
    m_form = std::make_unique<TMainForm>();
    u = m_form->ui();
    if (withAboutBox)
        m_about = std::make_unique<TProgDetails>(m_form.get());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void MainWindowFixture::closeAll()
{
    m_about.reset();
    m_form.reset();
    u = nullptr;
    m_folder.reset();
}

QStringList MainWindowFixture::fileLines() const
{
    QStringList lines;
    for (int i = 0; i < u->File001->lineCount(); ++i)
        lines << QString::fromStdString(u->File001->lineText(i));
    return lines;
}

QStringList MainWindowFixture::dirLines() const
{
    QStringList lines;
    for (int i = 0; i < u->Dir001->model()->rowCount(); ++i)
        lines << u->Dir001->model()->index(i, 0).data().toString();
    return lines;
}

QString MainWindowFixture::settingsContent() const
{
    QFile file(m_folder->path() + QStringLiteral("/quarimo.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<none>");
    return QString::fromUtf8(file.readAll());
}

QString compileHelpFile(const QString &dir, const QMap<QString, QByteArray> &files, const QString &options,
                        bool scanPages)
{
    const QString chmcmd = QStandardPaths::findExecutable(QStringLiteral("chmcmd"));
    if (chmcmd.isEmpty())
        return {};
    QDir().mkpath(dir);
    QString project = QStringLiteral("[OPTIONS]\nCompiled file=test.chm\n") + options + QStringLiteral("\n[FILES]\n");
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(dir + QLatin1Char('/') + it.key());
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(it.value());
        project += it.key() + QLatin1Char('\n');
    }
    QFile projectFile(dir + QStringLiteral("/test.hhp"));
    if (!projectFile.open(QIODevice::WriteOnly))
        return {};
    projectFile.write(project.toUtf8());
    projectFile.close();
    QProcess compiler;
    compiler.setWorkingDirectory(dir);
    compiler.start(chmcmd, scanPages ? QStringList{QStringLiteral("test.hhp")}
                                     : QStringList{QStringLiteral("--no-html-scan"), QStringLiteral("test.hhp")});
    compiler.waitForFinished(120000);
    const QString compiled = dir + QStringLiteral("/test.chm");
    if (!QFile::exists(compiled))
        return {};
    return compiled;
}

QByteArray exifJpeg(const QByteArray &date)
{
    // APP1 at 2, TIFF header at 12 (big-endian, IFD0 at 8), one IFD0 entry pointing to the
    // EXIF directory at 26, whose one entry points to the date text at 44.
    const QByteArray bytes = QByteArray::fromHex("FFD8" "FFE10048") + QByteArray("Exif\0\0", 6)
                             + QByteArray::fromHex("4D4D002A00000008" "0001" "87690004000000010000001A" "00000000"
                                                   "0001" "90030002000000140000002C" "00000000");
    return bytes + date.leftJustified(19, ' ', true) + QByteArray::fromHex("00FFD9");
}

bool clickLink(QTextBrowser *browser, const QString &linkText)
{
    QTextCursor found(browser->document());
    do {
        found = browser->document()->find(linkText, found, QTextDocument::FindCaseSensitively);
    } while (!found.isNull() && !found.charFormat().isAnchor());
    if (found.isNull())
        return false;
    QTextCursor middle(browser->document());
    middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
    browser->setTextCursor(middle);
    browser->ensureCursorVisible();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(middle).center());
    return true;
}

bool waitForSearchIndex(const HelpViewer *viewer)
{
    return QTest::qWaitFor([viewer] { return viewer->search()->isIndexed(); }, 60000);
}

QByteArray helpPage(const QByteArray &title, const QByteArray &body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}
