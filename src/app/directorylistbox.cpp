#include "app/directorylistbox.h"

#include "platform/workdir.h"

DirectoryListBox::DirectoryListBox(QWidget *parent) : QListView(parent), m_folder(platform::currentDirectory()) {}

void DirectoryListBox::changeFolder(const std::string &) {}
