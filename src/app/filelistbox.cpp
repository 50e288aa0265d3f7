#include "app/filelistbox.h"

#include "browser/filelisting.h"
#include "browser/folderpaths.h"
#include "app/browserlinedelegate.h"
#include "platform/workdir.h"

#include <QApplication>
#include <QKeyEvent>
#include <optional>

namespace {

// The wait cursor for a long listing; the previous pointer returns on every way out.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Selection changes made by the program are not the user's clicks.
class ProgramSelection
{
public:
    explicit ProgramSelection(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~ProgramSelection() { m_flag = m_was; }
    ProgramSelection(const ProgramSelection &) = delete;
    ProgramSelection &operator=(const ProgramSelection &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

FileListBox::FileListBox(QWidget *parent)
    : QListView(parent), m_model(new BrowserLineModel(this)), m_folder(platform::currentDirectory())
{
    setModel(m_model);
    setItemDelegate(new BrowserLineDelegate([](int) { return 2; }, {}, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragEnabled(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_programSelection)
            emit userClicked();
    });
}

void FileListBox::setMask(const std::string &mask)
{
    m_mask = mask;
    listFiles();
}

void FileListBox::showFolder(const std::string &path)
{
    if (sameFolder(path, m_folder, platform::volumeCaseFlags(m_folder)))
        return;
    // A relative path is taken from the folder shown.
    if (platform::folderExists(m_folder))
        platform::trySetCurrentDirectory(m_folder);
    platform::setCurrentDirectory(path);
    m_folder = platform::currentDirectory();
    listFiles();
}

void FileListBox::listFiles()
{
    m_stale = true;
    // A deferring batch set the working directory when it began, and nothing it does moves it.
    if (m_deferred)
        return;
    platform::trySetCurrentDirectory(m_folder);
    if (!m_windowShown)
        return;
    readFolder();
}

void FileListBox::setListingDeferred(bool deferred)
{
    if (deferred && !m_deferred)
        platform::trySetCurrentDirectory(m_folder);
    m_deferred = deferred;
    if (!deferred)
        flushListing();
}

void FileListBox::flushListing()
{
    if (m_stale && m_windowShown)
        readFolder();
}

void FileListBox::readFolder()
{
    m_stale = false;
    std::optional<WaitCursor> wait;
    std::vector<std::string> names;
    // A folder that can no longer be entered lists nothing, and no failure is left behind.
    if (platform::trySetCurrentDirectory(m_folder) == 0)
        names = listMatchingFiles(m_folder, m_mask, [&wait] { wait.emplace(); });

    std::vector<BrowserLine> lines;
    lines.reserve(names.size());
    for (std::string &name : names) {
        const LineGlyph glyph = fileGlyph(name);
        lines.push_back({std::move(name), glyph});
    }
    const ProgramSelection program(m_programSelection);
    m_search.clear();
    m_model->resetLines(std::move(lines));
    selectionModel()->clear();
    scrollToTop();
}

int FileListBox::lineCount() const
{
    return m_model->rowCount();
}

std::string FileListBox::lineText(int line) const
{
    return m_model->line(line).text;
}

bool FileListBox::isLineSelected(int line) const
{
    return selectionModel()->isSelected(m_model->index(line));
}

void FileListBox::selectAllLines()
{
    if (lineCount() == 0)
        return;
    const ProgramSelection program(m_programSelection);
    selectionModel()->select(QItemSelection(m_model->index(0), m_model->index(lineCount() - 1)),
                             QItemSelectionModel::Select);
}

void FileListBox::showEvent(QShowEvent *event)
{
    QListView::showEvent(event);
    if (!m_windowShown) {
        m_windowShown = true;
        listFiles();
    }
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    if (const std::optional<QString> prefix = m_search.takeKey(event)) {
        searchFor(*prefix);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void FileListBox::searchFor(const QString &prefix)
{
    const int row = prefix.isEmpty() ? 0 : m_model->findPrefix(prefix);
    if (row < 0 || row >= lineCount())
        return;
    {
        const ProgramSelection program(m_programSelection);
        const QModelIndex index = m_model->index(row);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    }
    emit userClicked();
}
