#pragma once

#include <QListView>
#include <string>

class FileListBox;

/** The directory list: the path down to the current folder, then its subfolders. */
class DirectoryListBox : public QListView
{
    Q_OBJECT

public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    void setFileList(FileListBox *fileList) { m_fileList = fileList; }
    const std::string &folder() const { return m_folder; }

    /** Opens the folder a path text names; ends in changed() like every folder change. */
    void changeFolder(const std::string &path);

signals:
    /** Raised at the end of every folder change. */
    void changed();

private:
    FileListBox *m_fileList = nullptr;
    std::string m_folder;
};
