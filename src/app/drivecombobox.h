#pragma once

#include <QComboBox>

class DirectoryListBox;

/** The drive box: the machine's volumes, each with its glyph and label. */
class DriveComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveComboBox(QWidget *parent = nullptr);

    void setDirList(DirectoryListBox *dirList) { m_dirList = dirList; }

private:
    DirectoryListBox *m_dirList = nullptr;
};
