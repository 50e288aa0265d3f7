#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <utility>

#include "help/backgroundread.h"
#include "help/sitemap.h"
#include "help/viewer/helpbrowser.h"

class HelpContentsTree;
class HelpIndexPane;
class HelpSearchPane;
class TopicChooser;
class QAction;
class QSplitter;
class QTabWidget;

/**
 * The window that shows the compiled help file: its pages, Back, Forward and Home, and a pane with the
 * file's Contents, Index and full-text Search. One viewer per calling window, made on first use and kept.
 */
class HelpViewer : public QMainWindow
{
    Q_OBJECT

public:
    /**
     * Shows `helpFile` (else the installed copy, else a note why neither) at its default topic in the
     * viewer of `caller`, in front. A file refused for what it holds is also named in the error box.
     */
    static HelpViewer *displayTopic(QWidget *caller, const QString &helpFile);

    /** Where `make install` puts the help file; a test points it elsewhere. */
    static QString installedHelpFile() { return installedPath(); }
    static void setInstalledHelpFile(const QString &path) { installedPath() = path; }

    explicit HelpViewer(QWidget *caller);

    void showHelpFile(const QString &helpFile);

    /** The help file being shown; empty while the viewer shows its note that none could be read. */
    QString shownFile() const { return m_help ? m_help->path() : QString(); }

    QTextBrowser *browser() const { return m_browser; }
    QTabWidget *navigation() const { return m_navigation; }
    HelpContentsTree *contents() const { return m_contents; }
    HelpIndexPane *index() const { return m_index; }
    HelpSearchPane *search() const { return m_search; }
    QSplitter *splitter() const { return m_splitter; }

protected:
    /** Stops the reading of titles and words: nobody is waiting for them. */
    void closeEvent(QCloseEvent *event) override;

private:
    static QString &installedPath();
    void buildNavigation();
    void fillNavigation();
    void openTopic(const QString &topic);
    void openKeyword(const QString &keyword, QList<SitemapTopic> topics);
    /** Reads the titles of `pages` on a pool thread, naming them in the chooser as they come. */
    void readTitles(const QStringList &pages);
    /** Shows `help` (none: nothing) from now on, forgetting what was read of the file before. */
    void useHelp(std::unique_ptr<CompiledHelp> help, const QString &homeTopic);
    void setPaneShown(bool shown);
    /** Says in the window why none of the `tried` places (path, reason) could be shown. */
    void showNote(const QList<std::pair<QString, QString>> &tried);
    void goHome();
    void placeOverCaller();

    std::unique_ptr<CompiledHelp> m_help;
    HelpBrowser *m_browser = nullptr;
    QSplitter *m_splitter = nullptr;
    QTabWidget *m_navigation = nullptr;
    HelpContentsTree *m_contents = nullptr;
    HelpIndexPane *m_index = nullptr;
    HelpSearchPane *m_search = nullptr;
    QAction *m_togglePane = nullptr;
    QString m_homeTopic;
    /** Why the help files tried last were refused, for the error box once the viewer shows. */
    QStringList m_refusals;
    bool m_placed = false;
    // The titles of the file's pages, read once each, by page path.
    QHash<QString, QString> m_pageTitles;
    std::unique_ptr<ReadingWatcher<QHash<QString, QString>>> m_titleReading;
    QPointer<TopicChooser> m_chooser;
};
