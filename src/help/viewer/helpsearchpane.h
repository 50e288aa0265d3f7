#pragma once

#include "help/backgroundread.h"
#include "help/searchindex.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

/**
 * The Search tab: a field for words and the titles of the pages that hold them all. The pages' words are
 * read on first use, on a thread of their own, into memory; meanwhile the tab tells the progress, and a
 * query typed then is answered when it is done. Another file, or the viewer closed, stops the reading.
 * Enter or a double click chooses the current page.
 */
class HelpSearchPane : public QWidget
{
    Q_OBJECT

public:
    explicit HelpSearchPane(QWidget *parent = nullptr);

    /** Searches `help` from now on (not owned; nullptr for none); its words are read on first use. */
    void setHelp(const CompiledHelp *help);

    /** Starts reading the words of the help file unless that was done already. */
    void prepare();

    /** Whether the words of the current help file are being read or are in memory. */
    bool isPrepared() const { return m_index || m_reading; }
    /** Whether the words of the current help file are in memory, or could not be read. */
    bool isIndexed() const { return m_index != nullptr; }
    /** The reading of the words under way or last begun; cancelled when it is no longer wanted. */
    QFuture<void> indexing() const { return m_reading ? QFuture<void>(m_reading->future()) : QFuture<void>(); }

    QLineEdit *wordsField() const { return m_field; }
    QListWidget *resultList() const { return m_results; }
    /** The line below the results: how many were found, or how far the reading has got. */
    QLabel *statusLine() const { return m_count; }

signals:
    /** A found page was chosen; `words` are the words searched for. */
    void pageChosen(const QString &path, const QStringList &words);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void search(const QString &query);
    void choose(QListWidgetItem *item);
    void showProgress(int read, int total);
    void takeIndex();

    const CompiledHelp *m_help = nullptr;
    std::shared_ptr<const SearchIndex> m_index;
    std::unique_ptr<ReadingWatcher<std::shared_ptr<const SearchIndex>>> m_reading;
    bool m_unavailable = false;
    QLineEdit *m_field = nullptr;
    QListWidget *m_results = nullptr;
    QLabel *m_count = nullptr;
};
