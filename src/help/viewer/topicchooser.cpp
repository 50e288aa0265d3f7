#include "help/viewer/topicchooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TopicChooser::TopicChooser(const QString &keyword, const QList<SitemapTopic> &topics, QWidget *parent)
    : QDialog(parent), m_topics(topics), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("topicChooser"));
    setWindowTitle(QStringLiteral("Topics Found"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list->setObjectName(QStringLiteral("topics"));
    m_list->setAccessibleName(QStringLiteral("Topics"));
    for (const SitemapTopic &topic : topics)
        m_list->addItem(topic.title);
    m_list->setCurrentRow(0);

    auto *label = new QLabel(QStringLiteral("\"%1\" leads to these topics. Choose one, then &Display:").arg(keyword), this);
    label->setBuddy(m_list);
    label->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(QStringLiteral("&Display"), QDialogButtonBox::AcceptRole)->setDefault(true);

    resize(380, 240);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter and a double click display at once. Enter may reach the default button as well, and
    // the topic is shown once all the same.
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(this, &QDialog::accepted, this, [this] {
        const int row = m_list->currentRow();
        if (!m_chosen && row >= 0 && row < m_topics.size()) {
            m_chosen = true;
            emit topicChosen(m_topics.at(row).path);
        }
    });
}
