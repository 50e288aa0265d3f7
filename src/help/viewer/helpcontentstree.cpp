#include "help/viewer/helpcontentstree.h"

#include "help/topicpath.h"

#include <utility>

namespace {

constexpr int topicRole = Qt::UserRole;

QString withoutPlace(const QString &path)
{
    return TopicPath::parse(path).page;
}

} // namespace

HelpContentsTree::HelpContentsTree(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("contents"));
    setAccessibleName(QStringLiteral("Contents"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemClicked, this, &HelpContentsTree::open);
    connect(this, &QTreeWidget::itemActivated, this, &HelpContentsTree::open);
}

void HelpContentsTree::setEntries(const QList<SitemapEntry> &entries)
{
    clear();
    m_itemByTopic.clear();
    addEntries(entries, invisibleRootItem());
}

void HelpContentsTree::addEntries(const QList<SitemapEntry> &entries, QTreeWidgetItem *parent)
{
    for (const SitemapEntry &entry : entries) {
        auto *item = new QTreeWidgetItem(parent, {entry.name});
        if (!entry.topics.isEmpty()) {
            const QString path = entry.topics.first().path;
            item->setData(0, topicRole, path);
            // The first entry that leads to a page is the one that marks it.
            for (const QString &topic : {path, withoutPlace(path)}) {
                if (!m_itemByTopic.contains(topic))
                    m_itemByTopic.insert(topic, item);
            }
        }
        addEntries(entry.children, item);
    }
}

void HelpContentsTree::open(QTreeWidgetItem *item)
{
    const QString path = item ? item->data(0, topicRole).toString() : QString();
    if (!path.isEmpty())
        emit topicChosen(path);
}

void HelpContentsTree::follow(const QString &shown)
{
    // A view announces its new current entry as focus to a screen reader, even while hidden; a
    // hidden tree catches up when it shows.
    if (!isVisible()) {
        m_shownWhileHidden = shown;
        return;
    }
    m_shownWhileHidden.reset();
    QTreeWidgetItem *item = m_itemByTopic.value(shown, m_itemByTopic.value(withoutPlace(shown)));
    if (!item) {
        clearSelection();
        return;
    }
    for (QTreeWidgetItem *above = item->parent(); above; above = above->parent())
        above->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
}

void HelpContentsTree::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    if (const std::optional<QString> shown = std::exchange(m_shownWhileHidden, std::nullopt))
        follow(*shown);
}

QString HelpContentsTree::titleOf(const QString &path) const
{
    const QTreeWidgetItem *item = m_itemByTopic.value(path);
    return item ? item->text(0) : QString();
}
