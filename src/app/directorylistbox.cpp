#include "app/directorylistbox.h"

#include "browser/deferredfailure.h"
#include "app/browserlinedelegate.h"
#include "shell/messageboxes.h"
#include "platform/workdir.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <filesystem>

DirectoryListBox::DirectoryListBox(QWidget *parent) : QListView(parent), m_model(new BrowserLineModel(this))
{
    setModel(m_model);
    setItemDelegate(new BrowserLineDelegate([this](int row) { return lineIndent(m_lines, row); },
                                            [this] {
                                                return !m_lines.caseFlags.preservesCase
                                                       && !m_lines.caseFlags.caseSensitive;
                                            },
                                            this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lines.folder = platform::currentDirectory();
    rebuildLines();
}

void DirectoryListBox::changeFolder(const std::string &path)
{
    if (path.empty() || sameFolder(path, m_lines.folder, m_lines.caseFlags))
        return;
    DeferredFailure failures;
    ResolvedFolder resolved = ResolveFolderPath(path, failures);
    // The volume is the one the folder will be reported on once entered: links resolved.
    std::error_code unresolved;
    const std::filesystem::path target = std::filesystem::weakly_canonical(
        std::filesystem::path(m_lines.folder) / resolved.folderPart, unresolved);
    const std::string volume = unresolved ? std::string() : volumeOf(target.string());
    if (!volume.empty() && volume != volumeOf(m_lines.folder)) {
        // Onto another volume through its mount point, as a pick in the drive box goes; the
        // lines wait for the folder itself.
        enterVolume(volume, failures);
        emit driveSwitched(volume);
        // The switch moved the folder to the mount point; a relative part still means the old one.
        resolved.folderPart = target.string();
    }
    // A relative folder part is taken from the folder shown. Only the last step decides:
    // once the folder is entered, what failed on the way to finding it does not matter.
    if (platform::folderExists(m_lines.folder))
        platform::trySetCurrentDirectory(m_lines.folder);
    if (failures.enter(resolved.folderPart))
        failures.clear();
    m_lines.folder = reportedWorkingFolder(m_lines.folder);
    rebuildLines();
    folderChanged();
    failures.raise();
}

void DirectoryListBox::switchDrive(const std::string &mountPoint)
{
    if (mountPoint == volumeOf(m_lines.folder))
        return;
    DeferredFailure failures;
    enterVolume(mountPoint, failures);
    rebuildLines();
    folderChanged();
    failures.raise();
}

// A volume's own folder is its mount point. When that cannot be entered, the folder stays.
void DirectoryListBox::enterVolume(const std::string &mountPoint, DeferredFailure &failures)
{
    if (failures.enter(mountPoint))
        m_lines.folder = reportedWorkingFolder(mountPoint);
}

std::string DirectoryListBox::volumeOf(const std::string &path)
{
    if (!m_volumes)
        m_volumes = platform::mountedVolumes();
    return platform::mountPointOf(*m_volumes, path);
}

void DirectoryListBox::rebuildLines()
{
    m_lines = BuildFolderLines(m_lines.folder);
    std::vector<BrowserLine> lines;
    lines.reserve(m_lines.lines.size());
    for (const FolderLine &line : m_lines.lines)
        lines.push_back({line.text, line.glyph});
    m_search.clear();
    m_model->resetLines(std::move(lines));
    const QModelIndex current = m_model->index(m_lines.currentLine);
    setCurrentIndex(current);
    scrollTo(current);
}

void DirectoryListBox::folderChanged()
{
    emit folderEntered(m_lines.folder);
    emit changed();
}

void DirectoryListBox::openLine(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const std::string path = LinePath(m_lines, row);
    runHandler(window(), [this, path] { changeFolder(path); });
}

void DirectoryListBox::keyPressEvent(QKeyEvent *event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        openLine(currentIndex().row());
    } else if (const std::optional<QString> prefix = m_search.takeKey(event)) {
        searchFor(*prefix);
    } else {
        QListView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void DirectoryListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        QListView::mouseDoubleClickEvent(event);
        return;
    }
    setCurrentIndex(index);
    openLine(index.row());
    event->accept();
}

void DirectoryListBox::searchFor(const QString &prefix)
{
    const int row = prefix.isEmpty() ? 0 : m_model->findPrefix(prefix);
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row);
    setCurrentIndex(index);
    scrollTo(index);
}
