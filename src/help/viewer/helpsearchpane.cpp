#include "help/viewer/helpsearchpane.h"

#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

constexpr int pathRole = Qt::UserRole;

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

void HelpSearchPane::setHelp(const CompiledHelp *help)
{
    m_help = help;
    m_reading.reset();
    m_index.reset();
    m_unavailable = false;
    m_field->clear();
    m_results->clear();
    m_count->clear();
}

void HelpSearchPane::prepare()
{
    if (m_index || m_reading || !m_help)
        return;
    using Built = std::shared_ptr<const SearchIndex>;
    m_reading = std::make_unique<ReadingWatcher<Built>>();
    connect(m_reading.get(), &QFutureWatcherBase::progressValueChanged, this,
            [this](int read) { showProgress(read, m_reading->progressMaximum()); });
    connect(m_reading.get(), &QFutureWatcherBase::finished, this, [this] {
        takeIndex();
        search(m_field->text());
    });
    m_reading->setFuture(readInBackground<Built>(m_help->path(), [](QPromise<Built> &promise, const CompiledHelp &help) {
        promise.addResult(std::make_shared<const SearchIndex>(help, [&promise](int read, int total) {
            promise.setProgressRange(0, total);
            promise.setProgressValue(read);
            return !promise.isCanceled();
        }));
    }));
    showProgress(0, 0);
}

void HelpSearchPane::takeIndex()
{
    const QFuture<std::shared_ptr<const SearchIndex>> done = m_reading->future();
    try {
        m_index = done.resultCount() > 0 ? done.result() : nullptr;
    } catch (...) {
        // Whatever ended the reading, the rest of the viewer goes on without the search.
    }
    m_unavailable = !m_index;
    if (!m_index)
        m_index = std::make_shared<const SearchIndex>();
}

void HelpSearchPane::showProgress(int read, int total)
{
    if (m_index)
        return;
    const QLocale locale;
    m_count->setText(total > 0 ? QStringLiteral("Indexing the help file: %1 of %2 pages read\u2026")
                                     .arg(locale.toString(read), locale.toString(total))
                               : QStringLiteral("Indexing the help file\u2026"));
}

void HelpSearchPane::search(const QString &query)
{
    prepare();
    m_results->clear();
    if (!m_index)
        return;
    if (m_unavailable) {
        m_count->setText(QStringLiteral("The search is not available for this file."));
        return;
    }
    if (SearchIndex::wordsOf(query).isEmpty()) {
        m_count->clear();
        return;
    }
    const QList<FoundPage> found = m_index->find(query);
    for (const FoundPage &page : found) {
        auto *item = new QListWidgetItem(page.title, m_results);
        item->setData(pathRole, page.path);
    }
    // A list announces its current entry as focus: a hidden one picks it when it shows.
    if (!found.isEmpty() && isVisible())
        m_results->setCurrentRow(0);
    m_count->setText(found.isEmpty() ? QStringLiteral("No topics found.")
                                     : QStringLiteral("Topics found: %1").arg(found.size()));
}

void HelpSearchPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_results->currentItem() && m_results->count() > 0)
        m_results->setCurrentRow(0);
}

void HelpSearchPane::choose(QListWidgetItem *item)
{
    if (!item)
        return;
    QStringList words = SearchIndex::wordsOf(m_field->text());
    words.removeDuplicates();
    emit pageChosen(item->data(pathRole).toString(), words);
}
