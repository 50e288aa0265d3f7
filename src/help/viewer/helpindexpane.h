#pragma once

#include "help/sitemap.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

/**
 * The Index tab: the index's keywords in order, sub-keywords indented, under a field that moves to the
 * first keyword starting with what is typed. Enter or a double click chooses the current keyword.
 */
class HelpIndexPane : public QWidget
{
    Q_OBJECT

public:
    explicit HelpIndexPane(QWidget *parent = nullptr);

    void setEntries(const QList<SitemapEntry> &entries);

    QLineEdit *keywordField() const { return m_field; }
    QListWidget *keywordList() const { return m_list; }

signals:
    /** A keyword was chosen; `topics` are the pages it leads to (one or more). */
    void keywordChosen(const QString &keyword, const QList<SitemapTopic> &topics);

private:
    void addEntries(const QList<SitemapEntry> &entries, int depth);
    void jumpTo(const QString &typed);
    void choose(QListWidgetItem *item);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QLineEdit *m_field = nullptr;
    QListWidget *m_list = nullptr;
    QList<SitemapEntry> m_entries;
};
