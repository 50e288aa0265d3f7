#pragma once

#include <QByteArray>
#include <QImage>
#include <string>
#include <vector>

/** The decorative photograph: a baseline JPEG of 166 x 314 pixels at 300 dots per inch. */
std::vector<unsigned char> makePhotograph();

/** The program icon as the program embeds it: 64 x 64 pixels, 256-colour palette with transparency. */
QImage makePaletteIcon();

/** The program icon at size x size pixels in full colour with alpha, for the desktop's icon theme. */
QImage makeIcon(int size);

/** The program icon as SVG, drawn with the same strokes on a 64 x 64 view box. */
QByteArray makeScalableIcon();

struct Glyph
{
    std::string name;
    std::string xpm;
};

/**
 * The browser's sixteen-colour glyphs as XPM text; each bottom-left pixel holds the transparent colour.
 * Each comes twice: "<name>" at 16 pixels wide and "<name>@2x" at 32, which Qt picks on screens scaled by two.
 */
std::vector<Glyph> makeGlyphs();
