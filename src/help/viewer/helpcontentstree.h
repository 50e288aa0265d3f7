#pragma once

#include "help/sitemap.h"

#include <QHash>
#include <QTreeWidget>
#include <optional>

/**
 * The Contents tab: the help file's table of contents as a tree. A click, or Enter on the current entry,
 * opens its topic; the tree marks the entry of whatever page is shown.
 */
class HelpContentsTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit HelpContentsTree(QWidget *parent = nullptr);

    void setEntries(const QList<SitemapEntry> &entries);

    /** Makes the entry of `shown` ("/page.htm#place") current, or none when no entry leads there. */
    void follow(const QString &shown);

    /** The title the contents give the page at `path` (without "#place"); empty when none does. */
    QString titleOf(const QString &path) const;

signals:
    void topicChosen(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addEntries(const QList<SitemapEntry> &entries, QTreeWidgetItem *parent);
    void open(QTreeWidgetItem *item);

    QHash<QString, QTreeWidgetItem *> m_itemByTopic;
    // The page shown last while the tree was hidden, marked when it shows.
    std::optional<QString> m_shownWhileHidden;
};
