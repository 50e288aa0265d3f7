#include "help/viewer/helpsearchpane.h"

#include "help/compiledhelp.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int pathRole = Qt::UserRole;

} // namespace

HelpSearchPane::HelpSearchPane(QWidget *parent)
    : QWidget(parent), m_field(new QLineEdit(this)), m_results(new QListWidget(this)), m_count(new QLabel(this))
{
    setObjectName(QStringLiteral("search"));
    m_field->setObjectName(QStringLiteral("searchWords"));
    m_results->setObjectName(QStringLiteral("searchResults"));
    m_count->setObjectName(QStringLiteral("searchCount"));
    auto *label = new QLabel(QStringLiteral("Type in the &words to search for:"), this);
    label->setBuddy(m_field);
    m_field->setAccessibleName(QStringLiteral("Type in the words to search for"));
    m_results->setAccessibleName(QStringLiteral("Topics found"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(m_results);
    layout->addWidget(m_count);

    connect(m_field, &QLineEdit::textChanged, this, &HelpSearchPane::search);
    connect(m_field, &QLineEdit::returnPressed, this, [this] { choose(m_results->currentItem()); });
    connect(m_results, &QListWidget::itemActivated, this, &HelpSearchPane::choose);
}

HelpSearchPane::~HelpSearchPane() = default;

void HelpSearchPane::setHelp(const CompiledHelp *help)
{
    m_help = help;
    m_index.reset();
    m_field->clear();
    m_results->clear();
    m_count->clear();
}

void HelpSearchPane::prepare()
{
    if (m_index || !m_help)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_index = std::make_unique<SearchIndex>(*m_help);
    QApplication::restoreOverrideCursor();
    search(m_field->text());
}

void HelpSearchPane::search(const QString &query)
{
    prepare();
    m_results->clear();
    if (!m_index || SearchIndex::wordsOf(query).isEmpty()) {
        m_count->clear();
        return;
    }
    const QList<FoundPage> found = m_index->find(query);
    for (const FoundPage &page : found) {
        auto *item = new QListWidgetItem(page.title, m_results);
        item->setData(pathRole, page.path);
    }
    if (!found.isEmpty())
        m_results->setCurrentRow(0);
    m_count->setText(found.isEmpty() ? QStringLiteral("No topics found.")
                                     : QStringLiteral("Topics found: %1").arg(found.size()));
}

void HelpSearchPane::choose(QListWidgetItem *item)
{
    if (!item)
        return;
    QStringList words = SearchIndex::wordsOf(m_field->text());
    words.removeDuplicates();
    emit pageChosen(item->data(pathRole).toString(), words);
}
