#pragma once

#include "help/sitemap.h"

#include <QDialog>

class QListWidget;

/**
 * Asks which of the topics of an index keyword to show. It is window-modal and does not block:
 * `topicChosen` follows when the user displays one.
 */
class TopicChooser : public QDialog
{
    Q_OBJECT

public:
    TopicChooser(const QString &keyword, const QList<SitemapTopic> &topics, QWidget *parent);

    QListWidget *topicList() const { return m_list; }

signals:
    void topicChosen(const QString &path);

private:
    QList<SitemapTopic> m_topics;
    QListWidget *m_list = nullptr;
    bool m_chosen = false;
};
