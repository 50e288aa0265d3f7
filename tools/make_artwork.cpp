// Draws the program's artwork and writes it into the resources folder given on the command line:
// photograph.jpg, icon.png and glyphs/*.xpm. Run through `make artwork`; the results are committed.

#include "artwork.h"
#include "jpegwriter.h"

#include <QDir>
#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::string folder = argv[1];
        writeFile(folder + "/photograph.jpg", makePhotograph());
        if (!makeIcon().save(QString::fromStdString(folder + "/icon.png"), "PNG"))
            throw std::runtime_error("cannot write " + folder + "/icon.png");
        if (!QDir().mkpath(QString::fromStdString(folder + "/glyphs")))
            throw std::runtime_error("cannot make " + folder + "/glyphs");
        for (const Glyph &glyph : makeGlyphs()) {
            const std::string &text = glyph.xpm;
            writeFile(folder + "/glyphs/" + glyph.name + ".xpm", std::vector<unsigned char>(text.begin(), text.end()));
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
