#pragma once

#include "platform/volumes.h"

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

/**
 * The drive box: the machine's volumes, each with its glyph and label. Picking one raises
 * drivePicked(), which the window passes on to the directory list.
 */
class DriveComboBox : public QComboBox
{
    Q_OBJECT

public:
    using VolumeSource = std::function<std::vector<platform::Volume>()>;

    explicit DriveComboBox(QWidget *parent = nullptr);

    /**
     * Where drive boxes constructed from now on read the volume table: the machine's
     * mounts, unless replaced (tests give temporary folders as volumes). An empty
     * source restores the machine's.
     */
    static void setVolumeSource(VolumeSource source);

    /** The selected drive's mount point; until the first pick, the volume of the start directory. */
    const std::string &drive() const { return m_drive; }

    /** The volume table the entries were built from (at construction, until they are). */
    const std::vector<platform::Volume> &volumes() const { return m_volumes; }

    /** The mount point of the volume that holds an absolute path, "/" at least. */
    std::string mountPointOf(const std::string &path) const;

    /** The mount point that entry `index` stands for. */
    std::string entryMountPoint(int index) const;

    /** Builds the entries from the volume table; runs once, when the box is first shown. */
    void ListDrives();

    /**
     * Makes a volume the selected drive and raises drivePicked() for it. Nothing happens
     * when it is the drive shown.
     */
    void SelectDrive(const std::string &mountPoint);

    /**
     * Shows a volume that the directory list reached by itself: selected as SelectDrive
     * does, without drivePicked(). Nothing happens when it is the drive shown.
     */
    void followDrive(const std::string &mountPoint);

signals:
    /** A volume was picked, by the user or at the first show: the folder should move there. */
    void drivePicked(const std::string &mountPoint);
    /** The entries were built from a fresh read of the volume table. */
    void volumesListed(const std::vector<platform::Volume> &volumes);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool showDrive(const std::string &mountPoint);

    VolumeSource m_source;
    std::vector<platform::Volume> m_volumes;
    std::string m_drive;
    bool m_listed = false;
};
