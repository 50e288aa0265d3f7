#pragma once

#include <QImage>
#include <string>
#include <vector>

/** The decorative photograph: a baseline JPEG of 166 x 314 pixels at 300 dots per inch. */
std::vector<unsigned char> makePhotograph();

/** The program icon: 64 x 64 pixels, 256-colour palette with transparency. */
QImage makeIcon();

struct Glyph
{
    std::string name;
    std::string xpm;
};

/** The browser's sixteen-colour glyphs as XPM text; each bottom-left pixel holds the transparent colour. */
std::vector<Glyph> makeGlyphs();
