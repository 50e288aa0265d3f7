#pragma once

#include "browser/lineglyph.h"

#include <functional>
#include <string>
#include <vector>

/**
 * True when name matches one of the mask's patterns (separated by ";"). "*" stands for any
 * run of bytes, "?" for one byte; letters match without regard to case, since cameras write
 * ".JPG" as often as ".jpg". "*.*" matches every name, with or without a dot.
 */
bool matchesMask(const std::string &name, const std::string &mask);

/** The glyph of a listed file: Executable for ".exe", ".com", ".bat" and ".pif", else UnknownFile. */
LineGlyph fileGlyph(const std::string &name);

/**
 * The names of the files in folder that match mask and are not hidden, sorted as sortNames
 * sorts; folders are never listed, read-only files are. A folder that cannot be listed gives
 * no names. manyLines runs once, when the 101st name is found, so a window can show that a
 * long listing is under way.
 */
std::vector<std::string> listMatchingFiles(const std::string &folder, const std::string &mask,
                                           const std::function<void()> &manyLines = {});
