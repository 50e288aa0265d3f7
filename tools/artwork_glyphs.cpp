// The folder browser's glyphs, drawn pixel by pixel in the sixteen colours of the classic display
// palette. Each picture is kept here as text, one character per pixel; '.' is the background,
// which every glyph has in its bottom-left pixel and nowhere inside its picture.

#include "artwork.h"

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

std::string toXpm(const std::string &name, const std::vector<std::string> &rows, size_t width, size_t height)
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
    return {
        {"openfolder", toXpm("openfolder", withFlap(openFolder, false), 16, 15)},
        {"currentfolder", toXpm("currentfolder", withFlap(openFolder, true), 16, 15)},
        {"closedfolder", toXpm("closedfolder", closedFolder, 16, 15)},
        {"unknownfile", toXpm("unknownfile", unknownFile, 16, 15)},
        {"executable", toXpm("executable", executable, 16, 15)},
        {"floppy", toXpm("floppy", floppy, 16, 11)},
        {"hard", toXpm("hard", hard, 16, 11)},
        {"network", toXpm("network", network, 16, 11)},
        {"cdrom", toXpm("cdrom", cdrom, 16, 11)},
        {"ram", toXpm("ram", ram, 16, 11)},
    };
}
