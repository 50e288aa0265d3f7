#include "about/helpviewer.h"

#include "about/compiledhelp.h"
#include "about/helpbrowser.h"
#include "helpfile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

namespace {

const QString viewerTitle = QStringLiteral("Quarimo Help");

QString &installedPath()
{
    static QString path = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                          + QStringLiteral(QUARIMO_INSTALLED_HELP_FROM_PROGRAM));
    return path;
}

QString whyUnreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (!info.isFile())
        return QStringLiteral("this is not a file");
    return QStringLiteral("the file could not be read as a compiled help file");
}

} // namespace

QString HelpViewer::installedHelpFile()
{
    return installedPath();
}

void HelpViewer::setInstalledHelpFile(const QString &path)
{
    installedPath() = path;
}

HelpViewer *HelpViewer::displayTopic(QWidget *caller, const QString &helpFile)
{
    auto *viewer = caller ? caller->findChild<HelpViewer *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!viewer)
        viewer = new HelpViewer(caller);
    viewer->showHelpFile(helpFile);
    viewer->placeOverCaller();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

// A window of its own that belongs to the caller: it closes with it and never keeps the program running.
HelpViewer::HelpViewer(QWidget *caller) : QMainWindow(caller, Qt::Window), m_browser(new HelpBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(viewerTitle);
    setCentralWidget(m_browser);
    resize(720, 560);

    QToolBar *bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    QAction *forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    QAction *home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Home"));
    back->setObjectName(QStringLiteral("back"));
    forward->setObjectName(QStringLiteral("forward"));
    home->setObjectName(QStringLiteral("home"));
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, &HelpViewer::goHome);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto *closeWindow = new QAction(this);
    closeWindow->setShortcuts({QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)});
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::showHelpFile(const QString &helpFile)
{
    QList<std::pair<QString, QString>> tried;
    const auto triedAlready = [&tried](const QString &path) {
        return std::any_of(tried.cbegin(), tried.cend(), [&path](const auto &place) { return place.first == path; });
    };
    for (const QString &candidate : {helpFile, installedHelpFile()}) {
        if (candidate.isEmpty() || triedAlready(candidate))
            continue;
        auto help = std::make_unique<CompiledHelp>(candidate);
        if (!help->isOpen()) {
            tried.append({candidate, whyUnreadable(candidate)});
            continue;
        }
        const QString topic = help->defaultTopic();
        if (!help->contains(topic)) {
            tried.append({candidate, QStringLiteral("the file holds no page to show")});
            continue;
        }
        m_browser->setHelp(help.get());
        m_help = std::move(help);
        m_homeTopic = topic;
        const QString title = m_help->title();
        setWindowTitle(title.isEmpty() ? viewerTitle : title);
        goHome();
        return;
    }
    showNote(tried);
}

void HelpViewer::showNote(const QList<std::pair<QString, QString>> &tried)
{
    m_browser->setHelp(nullptr);
    m_help.reset();
    m_homeTopic.clear();
    setWindowTitle(viewerTitle);

    QString places;
    for (const auto &[path, why] : tried)
        places += QStringLiteral("<li><code>%1</code>: %2.</li>").arg(path.toHtmlEscaped(), why);
    m_browser->setHtml(QStringLiteral(
        "<h2>The help cannot be shown</h2>"
        "<p>Quarimo looked for its help file, <code>rename.chm</code>, in these places:</p><ul>%1</ul>"
        "<p>Put a copy of <code>rename.chm</code> into the folder you start Quarimo from, "
        "or install Quarimo again so that its own copy is in place at <code>%2</code>.</p>"
        "<p>Everything else in Quarimo works without the help.</p>")
                           .arg(places, installedHelpFile().toHtmlEscaped()));
}

void HelpViewer::goHome()
{
    if (!m_homeTopic.isEmpty())
        m_browser->setSource(HelpBrowser::urlOf(m_homeTopic));
}

void HelpViewer::placeOverCaller()
{
    if (m_placed || !parentWidget())
        return;
    m_placed = true;
    const QRect caller = parentWidget()->frameGeometry();
    move(caller.center() - QPoint(width() / 2, height() / 2));
}

QString HelpViewer::shownFile() const
{
    return m_help ? m_help->path() : QString();
}

QTextBrowser *HelpViewer::browser() const
{
    return m_browser;
}
