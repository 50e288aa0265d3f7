#pragma once

#include "app/browser/folderpaths.h"
#include "app/browserlinemodel.h"

#include <QListView>
#include <string>

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

    BrowserLineModel *m_model;
    FileListBox *m_fileList = nullptr;
    FolderLines m_lines;
    SearchPrefix m_search;
};
