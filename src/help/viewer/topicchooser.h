#pragma once

#include "help/sitemap.h"

#include <QDialog>
#include <QHash>

class QListWidget;

/**
 * Asks which topic of an index keyword to show; window-modal, it does not block: `topicChosen` follows.
 * It opens with the first topic current, and shows an untitled topic by its page until `updateTitles` names it.
 */
class TopicChooser : public QDialog
{
    Q_OBJECT

public:
    TopicChooser(const QString &keyword, const QList<SitemapTopic> &topics, QWidget *parent);

    QListWidget *topicList() const { return m_list; }

    /** Names the untitled topics whose pages `titleByPage` knows. */
    void updateTitles(const QHash<QString, QString> &titleByPage);

signals:
    void topicChosen(const QString &path);

private:
    QList<SitemapTopic> m_topics;
    QListWidget *m_list = nullptr;
    bool m_chosen = false;
};
