#include "help/viewer/helpviewer.h"

#include "help/pagecleaner.h"
#include "help/topicpath.h"
#include "help/viewer/helpcontentstree.h"
#include "help/viewer/helpfocuschain.h"
#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/htmldocument.h"
#include "help/viewer/topicchooser.h"
#include "helpfile.h"
#include "shell/localtext.h"
#include "shell/messageboxes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <utility>

namespace {

const QString viewerTitle = QStringLiteral("Quarimo Help");
// Titles read are handed to the window in batches, at most this often.
constexpr int titleBatchInterval = 50;
constexpr int noteShown = 10000;

QString whyUnreadable(const QString &path, const QString &refusal)
{
    if (!refusal.isEmpty())
        return refusal.left(1).toLower() + refusal.mid(1);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (!info.isFile())
        return QStringLiteral("this is not a file");
    return QStringLiteral("the file could not be read as a compiled help file");
}

} // namespace

QString &HelpViewer::installedPath()
{
    static QString path = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                          + QStringLiteral(QUARIMO_INSTALLED_HELP_FROM_PROGRAM));
    return path;
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
    // A help file refused for what it holds is worth more than a note: the user may have been sent it.
    for (const QString &refusal : std::exchange(viewer->m_refusals, {}))
        showErrorBox(viewer, localBytes(refusal));
    return viewer;
}

// A window of its own that belongs to the caller: it closes with it and never keeps the program running.
HelpViewer::HelpViewer(QWidget *caller) : QMainWindow(caller, Qt::Window), m_browser(new HelpBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(viewerTitle);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);
    resize(1000, 600);

    QToolBar *bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_togglePane = bar->addAction(QString());
    m_togglePane->setObjectName(QStringLiteral("togglePane"));
    m_togglePane->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_togglePane, &QAction::triggered, this, [this] { setPaneShown(!m_navigation->isVisible()); });
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

    buildNavigation();
    new HelpFocusChain(m_browser, m_navigation);
}

void HelpViewer::buildNavigation()
{
    m_navigation = new QTabWidget(m_splitter);
    m_navigation->setObjectName(QStringLiteral("navigation"));
    m_contents = new HelpContentsTree(m_navigation);
    m_index = new HelpIndexPane(m_navigation);
    m_search = new HelpSearchPane(m_navigation);
    // The mnemonics give Alt+C, Alt+N and Alt+S.
    m_navigation->addTab(m_contents, QStringLiteral("&Contents"));
    m_navigation->addTab(m_index, QStringLiteral("I&ndex"));
    m_navigation->addTab(m_search, QStringLiteral("&Search"));
    m_splitter->addWidget(m_navigation);
    m_splitter->addWidget(m_browser);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({300, 700});
    setPaneShown(true);

    connect(m_navigation, &QTabWidget::currentChanged, this, [this](int tab) {
        QWidget *page = m_navigation->widget(tab);
        if (page == m_search)
            m_search->prepare();
        // Switching tabs by keyboard puts the user where the tab is worked.
        if (page)
            (page == m_index ? m_index->keywordField() : page == m_search ? m_search->wordsField() : page)->setFocus();
    });
    // The viewer opens with the keyboard in the contents.
    m_contents->setFocus();
    connect(m_contents, &HelpContentsTree::topicChosen, this, &HelpViewer::openTopic);
    connect(m_index, &HelpIndexPane::keywordChosen, this, &HelpViewer::openKeyword);
    connect(m_search, &HelpSearchPane::pageChosen, this, [this](const QString &path, const QStringList &words) {
        openTopic(path);
        m_browser->highlight(words);
    });
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &shown) { m_contents->follow(TopicPath::fromUrl(shown).toString()); });
    // The status line appears with its first note.
    connect(m_browser, &HelpBrowser::noted, this, [this](const QString &note) { statusBar()->showMessage(note, noteShown); });
}

void HelpViewer::fillNavigation()
{
    const auto sitemap = [this](const QString &path) {
        const std::optional<QByteArray> html = path.isEmpty() || !m_help ? std::nullopt : m_help->read(path);
        return html ? parseSitemap(*html, path) : QList<SitemapEntry>{};
    };
    m_contents->setEntries(sitemap(m_help ? m_help->contentsFile() : QString()));
    m_index->setEntries(sitemap(m_help ? m_help->indexFile() : QString()));
    m_search->setHelp(m_help.get());
    if (m_navigation->currentWidget() == m_search)
        m_search->prepare();
}

void HelpViewer::setPaneShown(bool shown)
{
    m_navigation->setVisible(shown);
    m_togglePane->setText(shown ? QStringLiteral("Hide") : QStringLiteral("Show"));
    m_togglePane->setToolTip((shown ? QStringLiteral("Hide the Contents, Index and Search (%1)")
                                    : QStringLiteral("Show the Contents, Index and Search (%1)"))
                                 .arg(m_togglePane->shortcut().toString(QKeySequence::NativeText)));
}

// A topic may name a place on its page ("/rules.htm#date"); the place is no part of the object's path.
void HelpViewer::openTopic(const QString &topic)
{
    if (!m_help)
        return;
    m_browser->setSource(HelpBrowser::urlOf(TopicPath::parse(topic)));
}

void HelpViewer::openKeyword(const QString &keyword, QList<SitemapTopic> topics)
{
    if (topics.size() == 1) {
        openTopic(topics.first().path);
        return;
    }
    // An untitled topic is named as the contents name its page, else by the page's own title.
    QStringList unread;
    QSet<QString> unreadPages;
    for (SitemapTopic &topic : topics) {
        if (!topic.title.isEmpty())
            continue;
        const QString page = TopicPath::parse(topic.path).page;
        topic.title = m_contents->titleOf(page);
        if (topic.title.isEmpty())
            topic.title = m_pageTitles.value(page);
        if (topic.title.isEmpty() && !unreadPages.contains(page)) {
            unreadPages.insert(page);
            unread.append(page);
        }
    }
    if (!unread.isEmpty() && m_help)
        readTitles(unread);
    m_chooser = new TopicChooser(keyword, topics, this);
    connect(m_chooser, &TopicChooser::topicChosen, this, &HelpViewer::openTopic);
    // Without a window manager to hand it back, the viewer would lose the keyboard's shortcuts.
    connect(m_chooser, &QDialog::finished, this, [this] { activateWindow(); });
    m_chooser->open();
}

void HelpViewer::readTitles(const QStringList &pages)
{
    using Titles = QHash<QString, QString>;
    m_titleReading = std::make_unique<ReadingWatcher<Titles>>();
    ReadingWatcher<Titles> *reading = m_titleReading.get();
    connect(reading, &QFutureWatcherBase::resultsReadyAt, this, [this, reading](int first, int end) {
        try {
            for (int at = first; at < end; ++at)
                m_pageTitles.insert(reading->resultAt(at));
        } catch (...) {
            // The reading failed after these titles; its end says so.
        }
        if (m_chooser)
            m_chooser->updateTitles(m_pageTitles);
    });
    // Only a failure cancels a reading that is still watched.
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading] {
        if (reading->isCanceled())
            statusBar()->showMessage(QStringLiteral("The titles of the pages could not be read from the help file."), noteShown);
    });
    reading->setFuture(readInBackground<Titles>(m_help->path(), [pages](QPromise<Titles> &promise, const CompiledHelp &help) {
        promise.setProgressRange(0, int(pages.size()));
        Titles batch;
        QElapsedTimer sinceBatch;
        sinceBatch.start();
        for (int done = 0; done < pages.size() && !promise.isCanceled(); ++done) {
            const QString &page = pages.at(done);
            const QString title = HtmlDocument(help.read(page, PageLimits().pageBytes).value_or(QByteArray())).title();
            batch.insert(page, title.isEmpty() ? page : title);
            if (done + 1 == pages.size() || sinceBatch.hasExpired(titleBatchInterval)) {
                promise.addResult(std::exchange(batch, {}));
                promise.setProgressValue(done + 1);
                sinceBatch.restart();
            }
        }
    }));
}

void HelpViewer::closeEvent(QCloseEvent *event)
{
    m_titleReading.reset();
    m_search->setHelp(m_help.get());
    QMainWindow::closeEvent(event);
}

void HelpViewer::showHelpFile(const QString &helpFile)
{
    QList<std::pair<QString, QString>> tried;
    m_refusals.clear();
    QStringList candidates = {helpFile, installedHelpFile()};
    candidates.removeDuplicates();
    for (const QString &candidate : std::as_const(candidates)) {
        if (candidate.isEmpty())
            continue;
        auto help = std::make_unique<CompiledHelp>(candidate);
        if (!help->isOpen()) {
            tried.append({candidate, whyUnreadable(candidate, help->refusal())});
            if (!help->refusal().isEmpty())
                m_refusals.append(help->refusal());
            continue;
        }
        const QString topic = help->defaultTopic();
        if (!help->contains(topic)) {
            tried.append({candidate, QStringLiteral("the file holds no page to show")});
            continue;
        }
        const QString title = help->title();
        useHelp(std::move(help), topic);
        setWindowTitle(title.isEmpty() ? viewerTitle : title);
        goHome();
        return;
    }
    showNote(tried);
}

void HelpViewer::useHelp(std::unique_ptr<CompiledHelp> help, const QString &homeTopic)
{
    m_browser->setHelp(help.get());
    m_titleReading.reset();
    m_pageTitles.clear();
    m_help = std::move(help);
    m_homeTopic = homeTopic;
    fillNavigation();
}

void HelpViewer::showNote(const QList<std::pair<QString, QString>> &tried)
{
    useHelp(nullptr, {});
    setWindowTitle(viewerTitle);

    QString places;
    for (const auto &[path, why] : tried)
        places += QStringLiteral("<li><code>%1</code>: %2.</li>").arg(path.toHtmlEscaped(), why.toHtmlEscaped());
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
