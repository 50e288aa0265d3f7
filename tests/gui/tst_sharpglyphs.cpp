// The browser's glyphs as the real main window draws them, at the screen's pixel ratio: this binary
// runs once as it is and once under QT_SCALE_FACTOR=2. At 1 the lines and the drive box show the
// 16-pixel art pixel for pixel; at 2 they show the "@2x" art, not the small one scaled up, in the
// same room on screen.

#include "app/drivecombobox.h"
#include "app/glyphs.h"
#include "guitestutil.h"
#include "ui_mainform.h"

#include <QAbstractItemView>
#include <QtTest>
#include <optional>

namespace {

const QRgb artBackground = qRgb(0xFF, 0x00, 0xFF);

/** The art the screen's ratio calls for, read by its file name, not through the code under test. */
QImage expectedArt(const QString &name)
{
    const QString suffix = qApp->devicePixelRatio() >= 2 ? QStringLiteral("@2x") : QString();
    return QImage(QStringLiteral(":/glyphs/%1%2.xpm").arg(name, suffix)).convertToFormat(QImage::Format_RGB32);
}

/** Whether `art` shows, pixel for pixel, with its background see-through, at (x, y) of `shot`. */
bool showsArtAt(const QImage &shot, const QImage &art, int x, int y)
{
    for (int j = 0; j < art.height(); ++j)
        for (int i = 0; i < art.width(); ++i) {
            const QRgb want = art.pixel(i, j) & 0xFFFFFF, seen = shot.pixel(x + i, y + j) & 0xFFFFFF;
            const bool seeThrough = want == (artBackground & 0xFFFFFF);
            if (seeThrough ? seen == want : seen != want)
                return false;
        }
    return true;
}

/** Where in `area` (in the widget's own coordinates) the shot of a widget shows `art`, in its pixels. */
std::optional<QPoint> findArt(const QPixmap &shot, const QRect &area, const QImage &art)
{
    const QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = shot.devicePixelRatio();
    const QRect pixels = QRect(area.topLeft() * ratio, area.size() * ratio).intersected(image.rect());
    for (int y = pixels.top(); y + art.height() <= pixels.bottom() + 1; ++y)
        for (int x = pixels.left(); x + art.width() <= pixels.right() + 1; ++x)
            if (showsArtAt(image, art, x, y))
                return QPoint(x, y);
    return std::nullopt;
}

} // namespace

class SharpGlyphsTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void theLargeArtIsMoreThanTheSmallScaledUp();
    void browserLinesShowTheArtOfTheScreensRatio_data();
    void browserLinesShowTheArtOfTheScreensRatio();
    void theDriveBoxShowsTheArtOfTheScreensRatio();
    void aFractionalRatioGetsTheWholeArtUnblended();

private:
    QAbstractItemView *listNamed(const QString &name) const;
};

void SharpGlyphsTest::init()
{
    DriveComboBox::setVolumeSource([] { return std::vector<platform::Volume>{{"/", platform::VolumeType::CdRom, "DISC", {}}}; });
    makeFolder();
    m_folder->writeFile("photo.jpg");
    m_folder->writeFile("sub/inner.jpg");
    start();
}

void SharpGlyphsTest::cleanup()
{
    closeAll();
    DriveComboBox::setVolumeSource({});
}

QAbstractItemView *SharpGlyphsTest::listNamed(const QString &name) const
{
    return name == QLatin1String("File001") ? static_cast<QAbstractItemView *>(u->File001) : u->Dir001;
}

void SharpGlyphsTest::theLargeArtIsMoreThanTheSmallScaledUp()
{
    for (const char *name : {"openfolder", "currentfolder", "closedfolder", "unknownfile", "executable", "floppy",
                             "hard", "network", "cdrom", "ram"}) {
        const QImage small(QStringLiteral(":/glyphs/%1.xpm").arg(QLatin1String(name)));
        const QImage large(QStringLiteral(":/glyphs/%1@2x.xpm").arg(QLatin1String(name)));
        QCOMPARE(large.size(), small.size() * 2);
        QVERIFY2(large.convertToFormat(QImage::Format_RGB32)
                     != small.scaled(small.size() * 2).convertToFormat(QImage::Format_RGB32),
                 name);
        QCOMPARE(large.pixel(0, large.height() - 1), small.pixel(0, small.height() - 1));
    }
}

void SharpGlyphsTest::browserLinesShowTheArtOfTheScreensRatio_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("row"); // from the end when negative
    QTest::addColumn<QString>("glyph");
    QTest::newRow("file") << "File001" << 0 << "unknownfile";
    QTest::newRow("root") << "Dir001" << 0 << "openfolder";
    QTest::newRow("current folder") << "Dir001" << -2 << "currentfolder";
    QTest::newRow("subfolder") << "Dir001" << -1 << "closedfolder";
}

void SharpGlyphsTest::browserLinesShowTheArtOfTheScreensRatio()
{
    QFETCH(QString, list);
    QFETCH(int, row);
    QFETCH(QString, glyph);
    QAbstractItemView *view = listNamed(list);
    const int rows = view->model()->rowCount();
    const QRect line = view->visualRect(view->model()->index(row < 0 ? rows + row : row, 0));
    QVERIFY(line.isValid());
    const QPixmap shot = view->viewport()->grab();
    QCOMPARE(shot.devicePixelRatio(), qApp->devicePixelRatio());

    const std::optional<QPoint> found = findArt(shot, line, expectedArt(glyph));
    QVERIFY2(found, qPrintable(glyph));
    // The glyph keeps its place on screen: vertically centred on the line, whatever the ratio.
    const qreal ratio = shot.devicePixelRatio();
    QCOMPARE(found->y(), qRound((line.top() + (line.height() - 15) / 2) * ratio));
}

void SharpGlyphsTest::theDriveBoxShowsTheArtOfTheScreensRatio()
{
    DriveComboBox *box = u->Drive001;
    QCOMPARE(box->currentIndex(), 0);
    const QImage art = expectedArt(QStringLiteral("cdrom"));
    QVERIFY(findArt(box->grab(), box->rect(), art));

    box->showPopup();
    QAbstractItemView *entries = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(entries->window()));
    QVERIFY(findArt(entries->viewport()->grab(), entries->visualRect(entries->model()->index(0, 0)), art));
    box->hidePopup();
}

void SharpGlyphsTest::aFractionalRatioGetsTheWholeArtUnblended()
{
    const QPixmap shown = glyph(QStringLiteral("network"), 1.5);
    QCOMPARE(shown.deviceIndependentSize(), QSizeF(16, 11));
    QVERIFY(findArt(shown, QRect(0, 0, 16, 11), expectedArt(QStringLiteral("network"))));
}

QUARIMO_GUI_TEST_MAIN(SharpGlyphsTest)
#include "tst_sharpglyphs.moc"
