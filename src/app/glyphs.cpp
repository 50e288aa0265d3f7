#include "app/glyphs.h"

#include <QBitmap>
#include <QImage>
#include <QPixmapCache>

// The resources are linked from a static library, whose registration runs only when asked for;
// widgets that draw glyphs may exist before, or without, the main window that otherwise asks.
static void registerResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(quarimo);
        return true;
    }();
    Q_UNUSED(registered);
}

QPixmap glyph(const QString &name)
{
    const QString key = QStringLiteral("quarimo-glyph:") + name;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    registerResources();
    const QImage image(QStringLiteral(":/glyphs/%1.xpm").arg(name));
    if (image.isNull())
        return {};
    pixmap = QPixmap::fromImage(image);
    const QColor transparent = image.pixelColor(0, image.height() - 1);
    pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}
