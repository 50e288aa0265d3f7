#include "help/viewer/helpsearchpane.h"

#include "help/compiledhelp.h"
#include "help/helpreadjob.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int pathRole = Qt::UserRole;

// A query typed while the words are read waits for them this long in all, so that a small file
// answers at once; a large one answers when its reading ends.
constexpr int longestWaitForTheIndex = 250;

} // namespace

struct HelpSearchPane::Reading
{
    // Filled on the job's thread, taken here once the job has ended.
    std::shared_ptr<std::unique_ptr<SearchIndex>> built = std::make_shared<std::unique_ptr<SearchIndex>>();
    std::unique_ptr<HelpReadJob> job;
    int waitLeft = longestWaitForTheIndex;
};

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
    m_reading.reset();
    m_index.reset();
    m_field->clear();
    m_results->clear();
    m_count->clear();
}

void HelpSearchPane::prepare()
{
    if (m_index || m_reading || !m_help)
        return;
    m_reading = std::make_unique<Reading>();
    const auto built = m_reading->built;
    m_reading->job = std::make_unique<HelpReadJob>(m_help->path(), [built](const CompiledHelp &help, HelpReadJob &job) {
        *built = std::make_unique<SearchIndex>(help, [&job](int read, int total) {
            job.report(read, total);
            return !job.stopRequested();
        });
    });
    connect(m_reading->job.get(), &HelpReadJob::progressed, this, &HelpSearchPane::showProgress);
    connect(m_reading->job.get(), &HelpReadJob::finished, this, [this] {
        if (!m_index && takeIndex())
            search(m_field->text());
    });
    showProgress(0, 0);
}

bool HelpSearchPane::takeIndex()
{
    if (m_index)
        return true;
    if (!m_reading || !m_reading->job->isFinished())
        return false;
    // The ended job stays until the next file: this may run in a slot of its own signal.
    m_index = std::move(*m_reading->built);
    if (!m_index)
        m_index = std::make_unique<SearchIndex>();
    return true;
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
    if (!m_index && m_reading && m_reading->waitLeft > 0) {
        QElapsedTimer waited;
        waited.start();
        m_reading->job->waitFor(m_reading->waitLeft);
        m_reading->waitLeft -= int(waited.elapsed());
    }
    if (!takeIndex())
        return;
    if (!m_index || SearchIndex::wordsOf(query).isEmpty()) {
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
