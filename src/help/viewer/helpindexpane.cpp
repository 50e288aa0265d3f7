#include "help/viewer/helpindexpane.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

// Where an item's entry stands in the flattened list of entries, and whether it is a sub-keyword.
constexpr int entryRole = Qt::UserRole;
constexpr int depthRole = Qt::UserRole + 1;

HelpIndexPane::HelpIndexPane(QWidget *parent)
    : QWidget(parent), m_field(new QLineEdit(this)), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("index"));
    m_field->setObjectName(QStringLiteral("indexKeyword"));
    m_list->setObjectName(QStringLiteral("indexList"));
    auto *label = new QLabel(QStringLiteral("&Type in the keyword to find:"), this);
    label->setBuddy(m_field);
    m_field->setAccessibleName(QStringLiteral("Type in the keyword to find"));
    m_list->setAccessibleName(QStringLiteral("Keywords"));
    m_list->setUniformItemSizes(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(m_list);

    connect(m_field, &QLineEdit::textEdited, this, &HelpIndexPane::jumpTo);
    connect(m_field, &QLineEdit::returnPressed, this, [this] { choose(m_list->currentItem()); });
    connect(m_list, &QListWidget::itemActivated, this, &HelpIndexPane::choose);
    m_field->installEventFilter(this);
}

void HelpIndexPane::setEntries(const QList<SitemapEntry> &entries)
{
    m_list->clear();
    m_entries.clear();
    m_field->clear();
    addEntries(entries, 0);
}

void HelpIndexPane::addEntries(const QList<SitemapEntry> &entries, int depth)
{
    for (const SitemapEntry &entry : entries) {
        auto *item = new QListWidgetItem(QString(depth * 4, QLatin1Char(' ')) + entry.name, m_list);
        item->setData(Qt::AccessibleTextRole, entry.name);
        item->setData(entryRole, int(m_entries.size()));
        item->setData(depthRole, depth);
        m_entries.append(entry);
        addEntries(entry.children, depth + 1);
    }
}

// Only keywords of the first level are looked up: a sub-keyword is found under its keyword.
void HelpIndexPane::jumpTo(const QString &typed)
{
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty())
        return;
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (item->data(depthRole).toInt() != 0)
            continue;
        if (m_entries.at(item->data(entryRole).toInt()).name.startsWith(wanted, Qt::CaseInsensitive)) {
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpIndexPane::choose(QListWidgetItem *item)
{
    if (!item)
        return;
    const SitemapEntry &entry = m_entries.at(item->data(entryRole).toInt());
    if (!entry.topics.isEmpty()) {
        emit keywordChosen(entry.name, entry.topics);
        return;
    }
    // A keyword without pages of its own sends the reader to the keyword it names.
    if (!entry.seeAlso.isEmpty()) {
        m_field->setText(entry.seeAlso);
        jumpTo(entry.seeAlso);
    }
}

// Up, Down and the page keys in the field move through the keywords, so typing and choosing
// need no change of focus.
bool HelpIndexPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QKeyEvent forwarded(QEvent::KeyPress, key, static_cast<QKeyEvent *>(event)->modifiers());
            QCoreApplication::sendEvent(m_list, &forwarded);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
