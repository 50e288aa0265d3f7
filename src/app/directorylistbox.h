#pragma once

#include "browser/folderpaths.h"
#include "app/browserlinemodel.h"

#include <QListView>
#include <string>

class DriveComboBox;
class FileListBox;

/**
 * The directory list: the root and each folder down to the current folder, then its
 * subfolders. Double-click or Enter opens the highlighted line; a single click and the
 * arrow keys only move the highlight.
 */
class DirectoryListBox : public QListView
{
    Q_OBJECT

public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    void setFileList(FileListBox *fileList) { m_fileList = fileList; }
    /** The drive box that follows this list onto another volume. */
    void setDriveBox(DriveComboBox *driveBox) { m_driveBox = driveBox; }
    const std::string &folder() const { return m_lines.folder; }
    /** The lines shown, with the case flags of the folder's volume. */
    const FolderLines &folderLines() const { return m_lines; }

    /**
     * Opens the folder a path text names (a relative text is taken from the folder shown;
     * a text naming a file opens the folder that holds it); ends in changed() like every
     * folder change. Nothing happens for an empty text or the folder shown. When the folder
     * cannot be entered, the list stays on the folder it is in, changed() still runs, and
     * then the failure is thrown as EInOutError.
     */
    void changeFolder(const std::string &path);

    /**
     * Moves to another volume: its mount point becomes the working directory and the
     * folder, then the lines and changed() follow (not while changeFolder switches).
     * Nothing happens for the volume of the folder shown. When the mount point cannot be
     * entered, the folder stays, and the failure is thrown as EInOutError after the lists.
     */
    void switchDrive(const std::string &mountPoint);

signals:
    /** Raised at the end of every folder change, after the file list shows the folder. */
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void rebuildLines();
    void folderChanged();
    void openLine(int row);
    void searchFor(const QString &prefix);
    std::string volumeOf(const std::string &path) const;

    BrowserLineModel *m_model;
    FileListBox *m_fileList = nullptr;
    DriveComboBox *m_driveBox = nullptr;
    bool m_driveSwitch = false; // set only while changeFolder moves to another volume
    FolderLines m_lines;
    SearchPrefix m_search;
};
