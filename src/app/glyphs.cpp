#include "app/glyphs.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmapCache>
#include <algorithm>
#include <cmath>

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

QPixmap glyph(const QString &name, qreal devicePixelRatio)
{
    // Art is asked for at a whole ratio, so it comes unscaled: at 1.5 the painter shrinks the "@2x"
    // art after its background is transparent, where a smooth scaling here would blend the
    // background's colour into the glyph's edges.
    const qreal artRatio = std::max(1.0, std::ceil(devicePixelRatio));
    const QString key = QStringLiteral("quarimo-glyph:%1@%2").arg(name).arg(artRatio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    registerResources();
    // QIcon adds the "@2x" file beside the named one when the screens ask for it, and hands out the
    // art drawn for the ratio asked; a plain QPixmap or QImage of the name would take the small one.
    const QIcon icon(QStringLiteral(":/glyphs/%1.xpm").arg(name));
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        return {};
    // The glyph's own size is its smallest art's; the ratio picks the art.
    pixmap = icon.pixmap(*std::min_element(sizes.begin(), sizes.end(),
                                           [](QSize a, QSize b) { return a.width() < b.width(); }),
                         artRatio);
    const QImage image = pixmap.toImage();
    const QColor transparent = image.pixelColor(0, image.height() - 1);
    pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}
