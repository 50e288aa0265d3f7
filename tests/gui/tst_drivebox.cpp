// The drive box: its entries, its drawing and typed picking, driven as a user would.
#include "app/drivecombobox.h"
#include "app/glyphs.h"
#include "guitestutil.h"

#include <QAbstractItemView>
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

class DriveBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void entriesAreBuiltOnceWhenTheBoxIsFirstShown();
    void typedPrefixPicksTheFirstMatchingEntry();
    void entriesAreAtLeastElevenPixelsHigh();
    void eachEntryShowsTheGlyphOfItsType();
    void anEntryIsDrawnGlyphFirstThenItsClippedText();
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
    QSignalSpy changes(&box, &DriveComboBox::changed);
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

QTEST_MAIN(DriveBoxTest)
#include "tst_drivebox.moc"
