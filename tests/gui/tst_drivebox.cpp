// The drive box: its entries, its drawing and typed picking, and picking volumes in the main
// window, driven as a user would.
#include "app/directorylistbox.h"
#include "app/drivecombobox.h"
#include "app/filelistbox.h"
#include "app/glyphs.h"
#include "app/mainform.h"
#include "guitestutil.h"
#include "platform/workdir.h"
#include "ui_mainform.h"

#include <QAbstractItemView>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using platform::Volume;
using platform::VolumeType;

namespace {

// Drive boxes built while one of these lives read the given volumes instead of the machine's.
class GivenVolumes
{
public:
    explicit GivenVolumes(std::vector<Volume> volumes)
    {
        DriveComboBox::setVolumeSource([volumes] { return volumes; });
    }
    ~GivenVolumes() { DriveComboBox::setVolumeSource({}); }
};

QStringList entryTexts(const DriveComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

const std::vector<Volume> someVolumes{
    {"/", VolumeType::Fixed, "System", {}},
    {"/data", VolumeType::Fixed, "DATA", {}},
    {"/media/ann/CAMERA", VolumeType::Removable, {}, {}},
    {"/media/ann/cd", VolumeType::CdRom, {}, {}},
    {"/mnt/nas", VolumeType::Remote, {}, "//NAS/Photos"},
    {"/mnt/ram", VolumeType::RamDisk, "R&D", {}},
};

} // namespace

class DriveBoxTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void entriesAreBuiltOnceWhenTheBoxIsFirstShown();
    void typedPrefixPicksTheFirstMatchingEntry();
    void entriesAreAtLeastElevenPixelsHigh();
    void eachEntryShowsTheGlyphOfItsType();
    void anEntryIsDrawnGlyphFirstThenItsClippedText();

    // The main window over a start folder whose subfolders "alpha" and "beta" are volumes of
    // their own, beside "/" and a volume whose mount point has gone.
    void init();
    void cleanup();
    void pickingAnotherVolumeMovesTheListsAndSavesTheFolder();
    void pickingTheVolumeShownDoesNothing();
    void arrowKeysAndTypingPickAsAClickDoes();
    void aVolumeThatCannotBeEnteredShowsTheErrorBoxAndTheListsStay();
    void openingAFolderOnAnotherVolumeSelectsItsEntry();
    void startingInAFolderOnAnotherVolumeSelectsItsEntry();
    void aLinkOrARelativeTextOntoAnotherVolumeSelectsItsEntry();

private:
    std::string path(const char *relative) const { return m_base + "/" + relative; }
    int entryOf(const std::string &mountPoint) const;
    void pick(const std::string &mountPoint);
    void openDirLine(const QString &text);

    std::string m_base;
    std::unique_ptr<GivenVolumes> m_volumes;
};

void DriveBoxTest::entriesAreBuiltOnceWhenTheBoxIsFirstShown()
{
    TemporaryWorkingFolder folder;
    int reads = 0;
    DriveComboBox::setVolumeSource([&reads] {
        ++reads;
        return someVolumes;
    });
    DriveComboBox box;
    DriveComboBox::setVolumeSource({});
    QCOMPARE(box.count(), 0);
    QCOMPARE(box.drive(), std::string("/"));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(entryTexts(box), (QStringList{"/ [system]", "/data [data]", "/media/ann/CAMERA", "/media/ann/cd []",
                                           "/mnt/nas //nas/photos", "/mnt/ram [r&d]"}));
    QCOMPARE(box.currentIndex(), 0); // the start directory's volume
    const int readsWhenShown = reads;

    box.hide();
    box.show();
    QCOMPARE(box.count(), 6);
    QCOMPARE(reads, readsWhenShown);
}

void DriveBoxTest::typedPrefixPicksTheFirstMatchingEntry()
{
    GivenVolumes given(someVolumes);
    DriveComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy changes(&box, &DriveComboBox::drivePicked);
    box.setFocus();

    QTest::keyClick(&box, 'm');
    QCOMPARE(box.currentText(), QStringLiteral("/media/ann/CAMERA"));
    QCOMPARE(box.drive(), std::string("/media/ann/CAMERA"));
    QTest::keyClick(&box, 'n');
    QCOMPARE(box.currentText(), QStringLiteral("/mnt/nas //nas/photos"));
    QCOMPARE(changes.count(), 2);
    // A key within the pause goes on with the prefix "mnx", which matches nothing: the pick stays.
    QTest::keyClick(&box, 'x');
    QCOMPARE(box.currentText(), QStringLiteral("/mnt/nas //nas/photos"));

    QTest::qWait(550);
    QTest::keyClick(&box, 'd');
    QCOMPARE(box.currentText(), QStringLiteral("/data [data]"));
    QTest::qWait(550);
    QTest::keyClicks(&box, "/mnt/r");
    QCOMPARE(box.drive(), std::string("/mnt/ram"));
    QTest::qWait(550);
    QTest::keyClick(&box, '/');
    QCOMPARE(box.drive(), std::string("/"));
}

void DriveBoxTest::entriesAreAtLeastElevenPixelsHigh()
{
    GivenVolumes given(someVolumes);
    DriveComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    for (int pixelSize : {4, 30}) {
        QFont font = box.font();
        font.setPixelSize(pixelSize);
        QStyleOptionViewItem option;
        option.initFrom(&box);
        option.font = font;
        option.fontMetrics = QFontMetrics(font);
        const QSize size = box.itemDelegate()->sizeHint(option, box.model()->index(1, 0));
        QCOMPARE(size.height(), qMax(QFontMetrics(font).height(), 11));
    }
}

void DriveBoxTest::eachEntryShowsTheGlyphOfItsType()
{
    GivenVolumes given(someVolumes);
    DriveComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QStringList names{"hard", "hard", "floppy", "cdrom", "network", "ram"};
    for (int i = 0; i < box.count(); ++i) {
        const QPixmap shown = box.itemData(i, Qt::DecorationRole).value<QPixmap>();
        QCOMPARE(shown.size(), QSize(16, 11));
        QCOMPARE(shown.toImage(), glyph(names[i]).toImage());
    }
}

void DriveBoxTest::anEntryIsDrawnGlyphFirstThenItsClippedText()
{
    std::vector<Volume> volumes = someVolumes;
    volumes[1].label = std::string(80, 'W');
    GivenVolumes given(volumes);
    DriveComboBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    QImage image(225, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QStyleOptionViewItem option;
    option.initFrom(&box);
    option.rect = QRect(0, 0, 120, 20);
    option.state = QStyle::State_Enabled;
    option.palette.setColor(QPalette::Base, Qt::white);
    option.palette.setColor(QPalette::Text, Qt::black);
    QPainter painter(&image);
    box.itemDelegate()->paint(&painter, option, box.model()->index(1, 0));
    painter.end();

    const QImage hard = glyph(QStringLiteral("hard")).toImage();
    const QRgb transparent = hard.pixel(0, hard.height() - 1);
    const int top = (20 - 11) / 2;
    for (int y = 0; y < hard.height(); ++y) {
        for (int x = 0; x < hard.width(); ++x) {
            const QRgb expected = qAlpha(hard.pixel(x, y)) == 255 ? hard.pixel(x, y) : qRgb(255, 255, 255);
            QCOMPARE(image.pixel(2 + x, top + y) & 0xFFFFFF, expected & 0xFFFFFF);
        }
    }
    QCOMPARE(qAlpha(transparent), 0);
    const auto columnIsWhite = [&image](int x) {
        for (int y = 0; y < image.height(); ++y) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                return false;
        }
        return true;
    };
    for (int x : {0, 1, 18, 19, 20, 21})
        QVERIFY2(columnIsWhite(x), qPrintable(QString::number(x)));
    bool inked = false;
    for (int x = 22; x < 40; ++x)
        inked = inked || !columnIsWhite(x);
    QVERIFY2(inked, "the text begins at glyph width + 6");
    for (int x = 120; x < image.width(); ++x)
        QVERIFY2(columnIsWhite(x), "a long label is clipped at the entry's edge");

    option.state |= QStyle::State_Selected;
    painter.begin(&image);
    box.itemDelegate()->paint(&painter, option, box.model()->index(1, 0));
    painter.end();
    QCOMPARE(QColor(image.pixel(0, 0)), option.palette.color(QPalette::Highlight));
}

void DriveBoxTest::init()
{
    makeFolder();
    m_base = m_folder->path().toStdString();
    m_folder->writeFile("start.jpg");
    m_folder->writeFile("alpha/a1.jpg");
    m_folder->writeFile("alpha/inner/deep.jpg");
    m_folder->writeFile("beta/b1.jpg");
    m_volumes = std::make_unique<GivenVolumes>(std::vector<Volume>{
        {"/", VolumeType::Fixed, "System", {}},
        {path("alpha"), VolumeType::Fixed, "Alpha", {}},
        {path("beta"), VolumeType::Removable, {}, {}},
        {path("gone"), VolumeType::Remote, {}, "//nas/gone"},
    });
}

void DriveBoxTest::cleanup()
{
    closeAll();
    m_volumes.reset();
}

int DriveBoxTest::entryOf(const std::string &mountPoint) const
{
    for (int i = 0; i < u->Drive001->count(); ++i) {
        if (u->Drive001->entryMountPoint(i) == mountPoint)
            return i;
    }
    return -1;
}

// Opens the box's list and clicks the volume's entry.
void DriveBoxTest::pick(const std::string &mountPoint)
{
    const int row = entryOf(mountPoint);
    QVERIFY2(row >= 0, mountPoint.c_str());
    u->Drive001->showPopup();
    QAbstractItemView *list = u->Drive001->view();
    QTRY_VERIFY(list->isVisible());
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    QTRY_VERIFY(!list->isVisible());
}

void DriveBoxTest::openDirLine(const QString &text)
{
    QAbstractItemModel *lines = u->Dir001->model();
    for (int row = lines->rowCount() - 1; row >= 0; --row) {
        if (lines->index(row, 0).data().toString() == text) {
            u->Dir001->setCurrentIndex(lines->index(row, 0));
            QTest::keyClick(u->Dir001, Qt::Key_Return);
            return;
        }
    }
    QFAIL(qPrintable("no line " + text));
}

void DriveBoxTest::pickingAnotherVolumeMovesTheListsAndSavesTheFolder()
{
    start();
    QCOMPARE(u->Drive001->currentIndex(), entryOf("/"));
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);

    pick(path("alpha"));
    QCOMPARE(u->Dir001->folder(), path("alpha"));
    QCOMPARE(u->File001->folder(), path("alpha"));
    QCOMPARE(fileLines(), QStringList{"a1.jpg"});
    QCOMPARE(m_form->currentFolder(), path("alpha"));
    QCOMPARE(platform::currentDirectory(), path("alpha"));
    QCOMPARE(settingsContent(), QString::fromStdString(path("alpha") + "\r\n"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(u->Drive001->currentText(), QString::fromStdString(path("alpha") + " [alpha]"));

    pick(path("beta"));
    QCOMPARE(u->Dir001->folder(), path("beta"));
    QCOMPARE(fileLines(), QStringList{"b1.jpg"});
    QCOMPARE(settingsContent(), QString::fromStdString(path("beta") + "\r\n"));
    QCOMPARE(changes.count(), 2);

    // The root volume's own folder is its mount point.
    pick("/");
    QCOMPARE(u->Dir001->folder(), std::string("/"));
    QCOMPARE(settingsContent(), QStringLiteral("/\r\n"));
    QCOMPARE(changes.count(), 3);
}

void DriveBoxTest::pickingTheVolumeShownDoesNothing()
{
    start();
    openDirLine("alpha");
    openDirLine("inner");
    QCOMPARE(u->Dir001->folder(), path("alpha/inner"));
    QVERIFY(QFile::remove(QString::fromStdString(path("quarimo.txt"))));
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    QSignalSpy boxChanges(u->Drive001, &DriveComboBox::drivePicked);

    pick(path("alpha"));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(boxChanges.count(), 0);
    QCOMPARE(settingsContent(), QStringLiteral("<none>"));
    QCOMPARE(u->Dir001->folder(), path("alpha/inner"));
    QCOMPARE(platform::currentDirectory(), path("alpha/inner"));
}

void DriveBoxTest::arrowKeysAndTypingPickAsAClickDoes()
{
    start();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    u->Drive001->setFocus();
    QTest::keyClick(u->Drive001, Qt::Key_Down);
    QCOMPARE(u->Dir001->folder(), path("alpha"));
    QCOMPARE(changes.count(), 1);

    QTest::qWait(550);
    QTest::keyClicks(u->Drive001, QString::fromStdString(path("beta")));
    QCOMPARE(u->Drive001->drive(), path("beta"));
    QCOMPARE(u->Dir001->folder(), path("beta"));
    QCOMPARE(settingsContent(), QString::fromStdString(path("beta") + "\r\n"));
}

void DriveBoxTest::aVolumeThatCannotBeEnteredShowsTheErrorBoxAndTheListsStay()
{
    start();
    const QStringList dirLinesBefore = dirLines();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    {
        MessageBoxCatcher catcher;
        pick(path("gone"));
        QTRY_COMPARE(catcher.seen().size(), 1);
        QVERIFY2(catcher.seen().at(0).endsWith("|File not found.|" + QString::number(int(QMessageBox::Critical))),
                 qPrintable(catcher.seen().at(0)));
    }
    QCOMPARE(u->Dir001->folder(), m_base);
    QCOMPARE(u->File001->folder(), m_base);
    QCOMPARE(fileLines(), QStringList{"start.jpg"});
    QCOMPARE(platform::currentDirectory(), m_base);
    QCOMPARE(dirLines(), dirLinesBefore);
    // The folder shown is still the one saved, if the failed change saved at all.
    QVERIFY(settingsContent() == "<none>" || settingsContent() == QString::fromStdString(m_base + "\r\n"));
    QCOMPARE(u->Drive001->currentText(), QString::fromStdString(path("gone") + " //nas/gone"));

    // The same volume again, or the volume of the folder shown: nothing happens, no box.
    changes.clear();
    MessageBoxCatcher catcher;
    pick(path("gone"));
    pick("/");
    QTest::qWait(100);
    QCOMPARE(catcher.seen(), QStringList());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(u->Drive001->currentIndex(), entryOf("/"));

    pick(path("beta"));
    QCOMPARE(u->Dir001->folder(), path("beta"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(catcher.seen(), QStringList());
}

void DriveBoxTest::openingAFolderOnAnotherVolumeSelectsItsEntry()
{
    start();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    openDirLine("alpha");
    QCOMPARE(u->Dir001->folder(), path("alpha"));
    QCOMPARE(u->Drive001->currentIndex(), entryOf(path("alpha")));
    QCOMPARE(u->Drive001->drive(), path("alpha"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(settingsContent(), QString::fromStdString(path("alpha") + "\r\n"));

    openDirLine("inner");
    QCOMPARE(u->Dir001->folder(), path("alpha/inner"));
    QCOMPARE(u->Drive001->currentIndex(), entryOf(path("alpha")));
    QCOMPARE(fileLines(), QStringList{"deep.jpg"});

    // Back up to the start folder through its path line: the root volume again.
    const QString startName = QString::fromStdString(m_base.substr(m_base.rfind('/') + 1));
    openDirLine(startName);
    QCOMPARE(u->Dir001->folder(), m_base);
    QCOMPARE(u->Drive001->currentIndex(), entryOf("/"));
    QCOMPARE(changes.count(), 3);

    // Straight from one volume to a folder on another.
    u->Dir001->changeFolder(path("beta"));
    QCOMPARE(u->Drive001->drive(), path("beta"));
    u->Dir001->changeFolder(path("alpha/inner"));
    QCOMPARE(u->Drive001->currentIndex(), entryOf(path("alpha")));
    QCOMPARE(fileLines(), QStringList{"deep.jpg"});
    QCOMPARE(changes.count(), 5);
}

void DriveBoxTest::startingInAFolderOnAnotherVolumeSelectsItsEntry()
{
    m_folder->writeFile("quarimo.txt", QByteArray::fromStdString(path("alpha/inner") + "\r\n"));
    start();
    QCOMPARE(u->Dir001->folder(), path("alpha/inner"));
    QCOMPARE(u->Drive001->currentIndex(), entryOf(path("alpha")));
    QCOMPARE(u->Drive001->drive(), path("alpha"));
    QCOMPARE(fileLines(), QStringList{"deep.jpg"});
}

void DriveBoxTest::aLinkOrARelativeTextOntoAnotherVolumeSelectsItsEntry()
{
    QVERIFY(QFile::link(QStringLiteral("alpha"), QString::fromStdString(path("camera"))));
    start();
    QSignalSpy changes(u->Dir001, &DirectoryListBox::changed);
    u->Dir001->changeFolder(path("camera"));
    QCOMPARE(u->Dir001->folder(), path("alpha"));
    QCOMPARE(u->Drive001->drive(), path("alpha"));

    u->Dir001->changeFolder(m_base);
    QCOMPARE(u->Drive001->drive(), std::string("/"));
    // Taken from the folder shown, not from the mount point the switch passes through.
    u->Dir001->changeFolder("alpha/inner");
    QCOMPARE(u->Dir001->folder(), path("alpha/inner"));
    QCOMPARE(u->Drive001->currentIndex(), entryOf(path("alpha")));
    QCOMPARE(changes.count(), 3);
}

QUARIMO_GUI_TEST_MAIN(DriveBoxTest)
#include "tst_drivebox.moc"
