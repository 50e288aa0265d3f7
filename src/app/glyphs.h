#pragma once

#include <QPixmap>
#include <QString>

/**
 * The browser glyph ":/glyphs/<name>.xpm" with its bottom-left pixel's colour made transparent,
 * loaded once and kept in Qt's pixmap cache. A null pixmap when there is no such glyph.
 */
QPixmap glyph(const QString &name);
