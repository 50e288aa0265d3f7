#pragma once

#include "browser/folderpaths.h"
#include "app/browserlinemodel.h"
#include "platform/volumes.h"

#include <QListView>
#include <optional>
#include <string>
#include <vector>

/**
 * The directory list: the root and each folder down to the current folder, then its
 * subfolders. Double-click or Enter opens the highlighted line; a single click and the
 * arrow keys only move the highlight. It tells what happened by its signals and knows
 * no other widget: the window passes a folder entered on to the file list and a volume
 * reached on the way to the drive box.
 */
class DirectoryListBox : public QListView
{
    Q_OBJECT

public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    /**
     * The volumes the list tells apart when a folder lies on another one; until given, the
     * machine's mounts, read when first needed. The window gives the drive box's table.
     */
    void setVolumes(std::vector<platform::Volume> volumes) { m_volumes = std::move(volumes); }
    const std::string &folder() const { return m_lines.folder; }
    /** The lines shown, with the case flags of the folder's volume. */
    const FolderLines &folderLines() const { return m_lines; }

    /**
     * Opens the folder a path text names (a relative text is taken from the folder shown;
     * a text naming a file opens the folder that holds it); ends in folderEntered() and
     * changed() like every folder change. A folder on another volume is reached through
     * that volume's mount point, and driveSwitched() tells so. Nothing happens for an empty text or the folder shown. When the folder
     * cannot be entered, the list stays on the folder it is in, changed() still runs, and
     * then the failure is thrown as EInOutError.
     */
    void changeFolder(const std::string &path);

    /**
     * Moves to another volume: its mount point becomes the working directory and the
     * folder, then the lines, folderEntered() and changed() follow.
     * Nothing happens for the volume of the folder shown. When the mount point cannot be
     * entered, the folder stays, and the failure is thrown as EInOutError after the lists.
     */
    void switchDrive(const std::string &mountPoint);

signals:
    /** On the way to a folder on another volume, the list went through its mount point. */
    void driveSwitched(const std::string &mountPoint);
    /** A folder change ends with the folder shown, first here, then in changed(). */
    void folderEntered(const std::string &folder);
    /** Raised at the end of every folder change, after folderEntered(). */
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void enterVolume(const std::string &mountPoint, DeferredFailure &failures);
    void rebuildLines();
    void folderChanged();
    void openLine(int row);
    void searchFor(const QString &prefix);
    std::string volumeOf(const std::string &path);

    BrowserLineModel *m_model;
    std::optional<std::vector<platform::Volume>> m_volumes;
    FolderLines m_lines;
    SearchPrefix m_search;
};
