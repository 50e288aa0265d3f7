#pragma once

#include <QPixmap>
#include <QString>

/**
 * The browser glyph ":/glyphs/<name>.xpm" with its bottom-left pixel's colour made transparent,
 * for a paint device of the given pixel ratio: above 1 the pixmap is Qt's pick of the "@2x" art,
 * unscaled and with its own ratio, so it takes the same room as at 1. Loaded once per art and kept
 * in Qt's pixmap cache. A null pixmap when there is no such glyph.
 */
QPixmap glyph(const QString &name, qreal devicePixelRatio = 1);
