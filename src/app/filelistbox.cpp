#include "app/filelistbox.h"

#include "platform/workdir.h"

FileListBox::FileListBox(QWidget *parent) : QListView(parent), m_folder(platform::currentDirectory())
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void FileListBox::showFolder(const std::string &path)
{
    m_folder = path;
}

void FileListBox::listFiles() {}

int FileListBox::lineCount() const
{
    return 0;
}

std::string FileListBox::lineText(int) const
{
    return {};
}

bool FileListBox::isLineSelected(int) const
{
    return false;
}

void FileListBox::selectAllLines() {}
