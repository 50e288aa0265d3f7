// Draws the program's artwork and writes it into the resources folder given on the command line:
// photograph.jpg, icon.png, icons/quarimo-<size>.png and icons/quarimo.svg, and glyphs/*.xpm.
// Run through `make artwork`; the results are committed.

#include "artwork.h"
#include "jpegwriter.h"

#include <QDir>
#include <cstdio>
#include <exception>

namespace {

// The sizes of the desktop's icon theme besides 64, which is the program's own icon.png.
constexpr int iconSizes[] = {16, 24, 32, 48, 128, 256};

void savePng(const QImage &image, const std::string &path)
{
    if (!image.save(QString::fromStdString(path), "PNG"))
        throw std::runtime_error("cannot write " + path);
}

void makeFolder(const std::string &path)
{
    if (!QDir().mkpath(QString::fromStdString(path)))
        throw std::runtime_error("cannot make " + path);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::string folder = argv[1];
        writeFile(folder + "/photograph.jpg", makePhotograph());
        savePng(makePaletteIcon(), folder + "/icon.png");
        makeFolder(folder + "/icons");
        for (int size : iconSizes)
            savePng(makeIcon(size), folder + "/icons/quarimo-" + std::to_string(size) + ".png");
        const QByteArray svg = makeScalableIcon();
        writeFile(folder + "/icons/quarimo.svg", std::vector<unsigned char>(svg.begin(), svg.end()));
        makeFolder(folder + "/glyphs");
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
