#include "browser/filelisting.h"

#include "browser/collation.h"
#include "platform/listing.h"

#include <string_view>

namespace {

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Classic two-pointer wildcard match: on a mismatch, the last "*" takes one more byte.
bool matchesPattern(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*")
        return true;
    std::size_t n = 0, p = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || foldAscii(pattern[p]) == foldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool endsWithIgnoringCase(std::string_view name, std::string_view tail)
{
    if (name.size() < tail.size())
        return false;
    const std::string_view end = name.substr(name.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (foldAscii(end[i]) != tail[i])
            return false;
    return true;
}

} // namespace

bool matchesMask(const std::string &name, const std::string &mask)
{
    std::string_view rest = mask;
    for (;;) {
        const std::size_t cut = rest.find(';');
        const std::string_view pattern = rest.substr(0, cut);
        if (!pattern.empty() && matchesPattern(name, pattern))
            return true;
        if (cut == std::string_view::npos)
            return false;
        rest.remove_prefix(cut + 1);
    }
}

LineGlyph fileGlyph(const std::string &name)
{
    for (const char *program : {".exe", ".com", ".bat", ".pif"})
        if (endsWithIgnoringCase(name, program))
            return LineGlyph::Executable;
    return LineGlyph::UnknownFile;
}

std::vector<std::string> listMatchingFiles(const std::string &folder, const std::string &mask,
                                           const std::function<void()> &manyLines)
{
    std::vector<std::string> names;
    platform::forEachEntry(folder, [&](const platform::DirEntry &entry) {
        if (entry.isFolder || entry.hidden || !matchesMask(entry.name, mask))
            return;
        names.push_back(entry.name);
        if (names.size() == 101 && manyLines)
            manyLines();
    });
    sortNames(names);
    return names;
}
