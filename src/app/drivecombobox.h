#pragma once

#include "platform/volumes.h"

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

class DirectoryListBox;

/**
 * The drive box: the machine's volumes, each with its glyph and label. Picking one
 * moves the linked directory list to that volume's mount point.
 */
class DriveComboBox : public QComboBox
{
    Q_OBJECT

public:
    using VolumeSource = std::function<std::vector<platform::Volume>()>;

    explicit DriveComboBox(QWidget *parent = nullptr);

    void setDirList(DirectoryListBox *dirList) { m_dirList = dirList; }

    /**
     * Where drive boxes constructed from now on read the volume table: the machine's
     * mounts, unless replaced (tests give temporary folders as volumes). An empty
     * source restores the machine's.
     */
    static void setVolumeSource(VolumeSource source);

    /** The selected drive's mount point; until the first pick, the volume of the start directory. */
    const std::string &drive() const { return m_drive; }

    /** The mount point of the volume that holds an absolute path, "/" at least. */
    std::string mountPointOf(const std::string &path) const;

    /** The mount point that entry `index` stands for. */
    std::string entryMountPoint(int index) const;

    /** Builds the entries from the volume table; runs once, when the box is first shown. */
    void ListDrives();

    /** Makes a volume the selected drive and moves the directory list there. */
    void SelectDrive(const std::string &mountPoint);

signals:
    /** Raised at the end of every SelectDrive that did not return at once. */
    void changed();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void userPicked(int index);

    DirectoryListBox *m_dirList = nullptr;
    VolumeSource m_source;
    std::vector<platform::Volume> m_volumes;
    std::string m_drive;
    bool m_listed = false;
};
