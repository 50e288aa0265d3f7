// The artwork embedded in the program: the glyphs as the browser draws them, the icon and the
// decorative photograph in the forms the window expects.

#include "app/glyphs.h"
#include "app/photograph.h"
#include "guitestutil.h"

#include <QBitmap>
#include <QFile>
#include <QSet>
#include <QtTest>

class ArtworkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(quarimo); }
    void glyphsAreSixteenColourWithTheirCornerTransparent_data();
    void glyphsAreSixteenColourWithTheirCornerTransparent();
    void anUnknownGlyphIsNull();
    void iconIsA256ColourImage();
    void photographIsABaselineJpegAt300Dpi();
};

void ArtworkTest::glyphsAreSixteenColourWithTheirCornerTransparent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    for (const char *name : {"openfolder", "currentfolder", "closedfolder", "unknownfile", "executable"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(16, 15);
    for (const char *name : {"floppy", "hard", "network", "cdrom", "ram"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(16, 11);
}

void ArtworkTest::glyphsAreSixteenColourWithTheirCornerTransparent()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage source(QStringLiteral(":/glyphs/%1.xpm").arg(name));
    QCOMPARE(source.size(), size);
    QSet<QRgb> colours;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            colours.insert(source.pixel(x, y));
    QVERIFY(colours.size() <= 16);

    const QPixmap pixmap = glyph(name);
    QCOMPARE(pixmap.size(), size);
    // Exactly the pixels of the bottom-left pixel's colour are transparent.
    const QRgb background = source.pixel(0, size.height() - 1);
    const QImage drawn = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int transparent = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            QCOMPARE(qAlpha(drawn.pixel(x, y)) == 0, source.pixel(x, y) == background);
            transparent += qAlpha(drawn.pixel(x, y)) == 0;
        }
    QVERIFY(transparent > 0 && transparent < size.width() * size.height() / 2);
    // Loaded once: the second call hands out the same pixmap.
    QCOMPARE(glyph(name).cacheKey(), pixmap.cacheKey());
}

void ArtworkTest::anUnknownGlyphIsNull()
{
    QVERIFY(glyph(QStringLiteral("nosuchglyph")).isNull());
}

void ArtworkTest::iconIsA256ColourImage()
{
    const QImage icon(QStringLiteral(":/icon.png"));
    QCOMPARE(icon.size(), QSize(64, 64));
    QCOMPARE(icon.format(), QImage::Format_Indexed8);
    QVERIFY(icon.colorCount() <= 256 && icon.colorCount() > 16);
}

void ArtworkTest::photographIsABaselineJpegAt300Dpi()
{
    QFile file(QStringLiteral(":/photograph.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    auto byteAt = [&](qsizetype i) { return quint8(bytes.at(i)); };
    QCOMPARE(byteAt(0), quint8(0xFF));
    QCOMPARE(byteAt(1), quint8(0xD8));
    // JFIF APP0: marker, length, "JFIF\0", version, units (1: dots per inch), X density, Y density.
    QCOMPARE(byteAt(3), quint8(0xE0));
    QCOMPARE(bytes.mid(6, 5), QByteArray("JFIF\0", 5));
    QCOMPARE(byteAt(13), quint8(1));
    QCOMPARE(byteAt(14) << 8 | byteAt(15), 300);
    QCOMPARE(byteAt(16) << 8 | byteAt(17), 300);
    // The frame header is SOF0 (baseline): marker, length, precision, height, width, components.
    qsizetype at = 2;
    while (at + 4 < bytes.size() && byteAt(at + 1) != 0xC0) {
        QVERIFY2(byteAt(at) == 0xFF && ((byteAt(at + 1) & 0xF0) != 0xC0 || byteAt(at + 1) == 0xC4),
                 "a frame header other than baseline");
        at += 2 + (byteAt(at + 2) << 8 | byteAt(at + 3));
    }
    QCOMPARE(byteAt(at + 1), quint8(0xC0));
    QCOMPARE(byteAt(at + 5) << 8 | byteAt(at + 6), 314);
    QCOMPARE(byteAt(at + 7) << 8 | byteAt(at + 8), 166);
    QCOMPARE(byteAt(at + 9), quint8(3));

    QCOMPARE(decodedPhotograph().size(), QSize(166, 314));
}

QUARIMO_GUI_TEST_MAIN(ArtworkTest)
#include "tst_artwork.moc"
