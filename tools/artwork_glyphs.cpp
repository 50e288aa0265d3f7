// The folder browser's glyphs, drawn pixel by pixel in the sixteen colours of the classic display
// palette. Each picture is kept here as text, one character per pixel; '.' is the background,
// which every glyph has in its bottom-left pixel and nowhere inside its picture. Each glyph also
// comes at twice the size for screens scaled by two, enlarged from the same picture by Scale2x:
// edges stay one colour or the other, with no blur, and diagonals get steps half as high.

#include "artwork.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

namespace {

const std::map<char, const char *> palette{
    {'.', "#FF00FF"}, // background, drawn transparent
    {'k', "#000000"}, {'r', "#800000"}, {'g', "#008000"}, {'o', "#808000"}, {'n', "#000080"}, {'p', "#800080"},
    {'t', "#008080"}, {'d', "#808080"}, {'s', "#C0C0C0"}, {'R', "#FF0000"}, {'G', "#00FF00"}, {'y', "#FFFF00"},
    {'b', "#0000FF"}, {'c', "#00FFFF"}, {'w', "#FFFFFF"},
};

// 'f' marks the front flap of the open folder, solid in one glyph and shaded in the other.
const std::vector<std::string> openFolder{
    "................",
    "................",
    ".kkkk...........",
    "kyyyyk..........",
    "kyoooykkkkkkkk..",
    "kyooooooooooook.",
    "kyookkkkkkkkkkkk",
    "kyookwwwwwwwwwwk",
    "kyokwffffffffffk",
    "kyokfffffffffok.",
    "kykwfffffffffok.",
    "kykffffffffffk..",
    "kkwfffffffffok..",
    "kkkkkkkkkkkkk...",
    "................",
};

const std::vector<std::string> closedFolder{
    "................",
    "................",
    ".kkkkk..........",
    "kwyyyyk.........",
    "kwyyyyykkkkkkkk.",
    "kwwwwwwwwwwwwwyk",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kwyyyyyyyyyyyyok",
    "kooooooooooooook",
    "kkkkkkkkkkkkkkkk",
    "................",
};

const std::vector<std::string> unknownFile{
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwksk....",
    "..kwwwwwwkssk...",
    "..kwwwwwwkkkkk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kwwwwwwwwwsk..",
    "..kssssssssssk..",
    "..kkkkkkkkkkkk..",
    "................",
};

const std::vector<std::string> executable{
    "................",
    "kkkkkkkkkkkkkkk.",
    "knwnnnnnnnnssnk.",
    "knnnnnnnnnnssnk.",
    "kkkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwskd",
    "kwssssswwwwwwskd",
    "kwwwwwwwwwwwwskd",
    "kwsssssssswwwskd",
    "kwwwwwwwwwwwwskd",
    "kwssssswwwwwwskd",
    "kwwwwwwwwwwwwskd",
    "kssssssssssssskd",
    "kkkkkkkkkkkkkkkd",
    ".ddddddddddddddd",
};

const std::vector<std::string> floppy{
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwsk",
    "kwssssssssssssdk",
    "kwsskkkkkkkkksdk",
    "kwsswwwwwwwwwsdk",
    "kwssssssssssssdk",
    "kwGsssssssddssdk",
    "kwssssssssssssdk",
    "ksdddddddddddddk",
    ".kkkkkkkkkkkkkk.",
};

const std::vector<std::string> hard{
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwsk",
    "kwssssssssssssdk",
    "kwsddddddddddsdk",
    "kwswwwwwwwwwwsdk",
    "kwssssssssssssdk",
    "kwssssssssssGsdk",
    "kwssssssssssssdk",
    "ksdddddddddddddk",
    ".kkkkkkkkkkkkkk.",
};

const std::vector<std::string> network{
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwsk",
    "kwssssssssssssdk",
    "kwssssssssssGsdk",
    "kwssssssssssssdk",
    "ksdddddddddddddk",
    ".kkkkkkkkkkkkkk.",
    ".......nn.......",
    ".......nn.......",
    ".nnnnnnnnnnnnnn.",
    "................",
};

const std::vector<std::string> cdrom{
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwsk",
    "kwssssssskkkkkdk",
    "kwkkkkkskwwccskk",
    "kwwwwwwskwcssskk",
    "kwsssssskcsksskk",
    "kwsssssskssswckk",
    "kwsssssskswccskk",
    "ksdddddddkkkkkdk",
    ".kkkkkkkkkkkkkk.",
};

const std::vector<std::string> ram{
    "................",
    ".gggggggggggggg.",
    ".gdddgdddgdddgg.",
    ".gkkkgkkkgkkkgg.",
    ".gkkkgkkkgkkkgg.",
    ".gkkkgkkkgkkkgg.",
    ".gggggggggggggg.",
    ".gggggggggggggg.",
    ".ygygygygygygyg.",
    ".y.y.y.y.y.y.y..",
    "................",
};

/** The picture with the folder's flap filled: solid yellow, or yellow checked with olive. */
std::vector<std::string> withFlap(std::vector<std::string> rows, bool shaded)
{
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] == 'f')
                rows[y][x] = (shaded && (x + y) % 2 == 0) ? 'o' : 'y';
    return rows;
}

/**
 * Scale2x: each pixel becomes four, and a quarter takes the colour of the two neighbours it
 * touches when those agree and the pixel sits on a corner between them.
 */
std::vector<std::string> scale2x(const std::vector<std::string> &rows)
{
    const long height = long(rows.size()), width = long(rows.front().size());
    const auto at = [&](long x, long y) {
        return rows[size_t(std::clamp(y, 0L, height - 1))][size_t(std::clamp(x, 0L, width - 1))];
    };
    std::vector<std::string> out(size_t(height * 2), std::string(size_t(width * 2), ' '));
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x) {
            const char e = at(x, y), up = at(x, y - 1), left = at(x - 1, y), right = at(x + 1, y),
                       down = at(x, y + 1);
            const bool corner = up != down && left != right;
            std::string &top = out[size_t(2 * y)], &bottom = out[size_t(2 * y + 1)];
            top[size_t(2 * x)] = corner && left == up ? left : e;
            top[size_t(2 * x + 1)] = corner && up == right ? right : e;
            bottom[size_t(2 * x)] = corner && left == down ? left : e;
            bottom[size_t(2 * x + 1)] = corner && down == right ? right : e;
        }
    return out;
}

std::string toXpm(std::string name, const std::vector<std::string> &rows, size_t width, size_t height)
{
    if (rows.size() != height)
        throw std::logic_error(name + ": wrong number of rows");
    std::set<char> used;
    for (const std::string &row : rows) {
        if (row.size() != width)
            throw std::logic_error(name + ": row \"" + row + "\" is not " + std::to_string(width) + " pixels wide");
        for (char c : row) {
            if (!palette.count(c))
                throw std::logic_error(name + ": no colour for '" + std::string(1, c) + "'");
            used.insert(c);
        }
    }
    if (rows.back().front() != '.')
        throw std::logic_error(name + ": the bottom-left pixel must be the background");
    std::replace(name.begin(), name.end(), '@', '_'); // the array's name must be a C identifier
    std::string xpm = "/* XPM */\nstatic const char *const " + name + "[] = {\n";
    xpm += "\"" + std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(used.size()) + " 1\",\n";
    for (char c : used)
        xpm += std::string("\"") + c + " c " + palette.at(c) + "\",\n";
    for (size_t y = 0; y < rows.size(); ++y)
        xpm += "\"" + rows[y] + (y + 1 < rows.size() ? "\",\n" : "\"\n");
    xpm += "};\n";
    return xpm;
}

} // namespace

std::vector<Glyph> makeGlyphs()
{
    struct Picture
    {
        std::string name;
        std::vector<std::string> rows;
        size_t height;
    };
    // The browser's lines take glyphs 16 x 15, the drive box 16 x 11.
    const std::vector<Picture> pictures{
        {"openfolder", withFlap(openFolder, false), 15},
        {"currentfolder", withFlap(openFolder, true), 15},
        {"closedfolder", closedFolder, 15},
        {"unknownfile", unknownFile, 15},
        {"executable", executable, 15},
        {"floppy", floppy, 11},
        {"hard", hard, 11},
        {"network", network, 11},
        {"cdrom", cdrom, 11},
        {"ram", ram, 11},
    };
    std::vector<Glyph> glyphs;
    for (const Picture &picture : pictures) {
        glyphs.push_back({picture.name, toXpm(picture.name, picture.rows, 16, picture.height)});
        const std::string doubled = picture.name + "@2x";
        glyphs.push_back({doubled, toXpm(doubled, scale2x(picture.rows), 32, picture.height * 2)});
    }
    return glyphs;
}
