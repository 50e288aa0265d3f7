#pragma once

#include <QListView>
#include <string>

/** The file list: the current folder's "*.jpg" files, sorted, with extended selection. */
class FileListBox : public QListView
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    /** The folder shown, in the working-directory form. */
    const std::string &folder() const { return m_folder; }

    /** Shows another folder (nothing happens when it is the one shown). */
    void showFolder(const std::string &path);
    /** Re-reads the folder; makes it the working directory. */
    void listFiles();

    int lineCount() const;
    /** The exact bytes of line i's file name. */
    std::string lineText(int line) const;
    bool isLineSelected(int line) const;
    void selectAllLines();

signals:
    /** The user changed the selection (mouse, keys or incremental search). */
    void userClicked();

private:
    std::string m_folder;
};
