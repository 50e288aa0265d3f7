// The browser's glyphs as the real main window draws them, at the screen's pixel ratio: this binary
// runs once as it is and once under QT_SCALE_FACTOR=2. At 1 the lines and the drive box show the
// 16-pixel art pixel for pixel; at 2 the "@2x" art, not the small one scaled up, in the same room.

#include "app/drivecombobox.h"
#include "app/glyphs.h"
#include "guitestutil.h"
#include "ui_mainform.h"

#include <QAbstractItemView>
#include <QtTest>
#include <optional>

namespace {

QImage artFile(const QString &file)
{
    return QImage(QStringLiteral(":/glyphs/") + file).convertToFormat(QImage::Format_RGB32);
}

/** The art the screen's ratio calls for, read by its file name, not through the code under test. */
QImage expectedArt(const QString &name)
{
    const QString suffix = qApp->devicePixelRatio() >= 2 ? QStringLiteral("@2x") : QString();
    return artFile(name + suffix + QStringLiteral(".xpm"));
}

/**
 * Where in `area` (in the shot widget's own coordinates) the shot shows `art` pixel for pixel, its
 * background colour see-through; in the shot's pixels.
 */
std::optional<QPoint> findArt(const QPixmap &shot, const QRect &area, const QImage &art)
{
    const QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = art.pixel(0, art.height() - 1);
    const auto showsAt = [&](int x, int y) {
        for (int j = 0; j < art.height(); ++j)
            for (int i = 0; i < art.width(); ++i) {
                const QRgb want = art.pixel(i, j), seen = image.pixel(x + i, y + j);
                if (want == background ? seen == want : seen != want)
                    return false;
            }
        return true;
    };
    const qreal ratio = shot.devicePixelRatio();
    const QRect pixels = QRect(area.topLeft() * ratio, area.size() * ratio).intersected(image.rect());
    for (int y = pixels.top(); y + art.height() <= pixels.bottom() + 1; ++y)
        for (int x = pixels.left(); x + art.width() <= pixels.right() + 1; ++x)
            if (showsAt(x, y))
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
};

void SharpGlyphsTest::init()
{
    DriveComboBox::setVolumeSource([] {
        return std::vector<platform::Volume>{{"/", platform::VolumeType::CdRom, "", {}}};
    });
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

void SharpGlyphsTest::theLargeArtIsMoreThanTheSmallScaledUp()
{
    for (const char *name : {"openfolder", "currentfolder", "closedfolder", "unknownfile", "executable", "floppy",
                             "hard", "network", "cdrom", "ram"}) {
        const QImage small = artFile(QLatin1String(name) + QStringLiteral(".xpm"));
        const QImage large = artFile(QLatin1String(name) + QStringLiteral("@2x.xpm"));
        QCOMPARE(large.size(), small.size() * 2);
        QVERIFY2(large != small.scaled(small.size() * 2), name);
        QCOMPARE(large.pixel(0, large.height() - 1), small.pixel(0, small.height() - 1));
    }
}

void SharpGlyphsTest::browserLinesShowTheArtOfTheScreensRatio_data()
{
    QTest::addColumn<bool>("fileList");
    QTest::addColumn<int>("row"); // from the end when negative
    QTest::addColumn<QString>("glyph");
    QTest::newRow("file") << true << 0 << "unknownfile";
    QTest::newRow("root") << false << 0 << "openfolder";
    QTest::newRow("current folder") << false << -2 << "currentfolder";
    QTest::newRow("subfolder") << false << -1 << "closedfolder";
}

void SharpGlyphsTest::browserLinesShowTheArtOfTheScreensRatio()
{
    QFETCH(bool, fileList);
    QFETCH(int, row);
    QFETCH(QString, glyph);
    QAbstractItemView *view = fileList ? static_cast<QAbstractItemView *>(u->File001) : u->Dir001;
    const QRect line = view->visualRect(view->model()->index(row < 0 ? view->model()->rowCount() + row : row, 0));
    const QPixmap shot = view->viewport()->grab();
    QCOMPARE(shot.devicePixelRatio(), qApp->devicePixelRatio());
    const std::optional<QPoint> found = findArt(shot, line, expectedArt(glyph));
    QVERIFY2(found, qPrintable(glyph));
    // Its place on screen is the same at every ratio: vertically centred on the line.
    QCOMPARE(found->y(), qRound((line.top() + (line.height() - 15) / 2) * shot.devicePixelRatio()));
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
