#include "browser/folderpaths.h"

#include "browser/collation.h"
#include "browser/deferredfailure.h"
#include "platform/folder.h"
#include "platform/listing.h"
#include "platform/workdir.h"

#include <algorithm>

namespace {

// Puts the working directory back where it was, also when resolving ends in an exception.
class WorkingDirectoryRestorer
{
public:
    explicit WorkingDirectoryRestorer(std::string saved) : m_saved(std::move(saved)) {}
    ~WorkingDirectoryRestorer()
    {
        if (!m_saved.empty() && platform::folderExists(m_saved))
            platform::trySetCurrentDirectory(m_saved);
    }
    WorkingDirectoryRestorer(const WorkingDirectoryRestorer &) = delete;
    WorkingDirectoryRestorer &operator=(const WorkingDirectoryRestorer &) = delete;

private:
    std::string m_saved;
};

} // namespace

ResolvedFolder ResolveFolderPath(const std::string &text, DeferredFailure &failures)
{
    std::string saved;
    try {
        saved = platform::currentDirectory();
    } catch (const EInOutError &failure) {
        failures.note(failure);
    }
    const WorkingDirectoryRestorer restorer(saved);

    ResolvedFolder result;
    const std::string::size_type cut = text.find_last_of('/');
    if (cut == std::string::npos) {
        result.filePart = text;
        result.folderPart = saved.empty() ? "/" : saved;
    } else {
        result.filePart = text.substr(cut + 1);
        result.folderPart = cut == 0 ? "/" : text.substr(0, cut);
    }
    if (!result.folderPart.empty())
        failures.enter(result.folderPart);

    const bool wildcard = result.filePart.find_first_of("*?") != std::string::npos;
    if (!result.filePart.empty() && !wildcard && !platform::fileExists(result.filePart)) {
        failures.enter(result.filePart);
        result.folderPart = platform::joinPath(result.folderPart, result.filePart);
        result.filePart.clear();
    }
    return result;
}

bool sameFolder(const std::string &a, const std::string &b, const platform::CaseFlags &flags)
{
    if (flags.caseSensitive)
        return a == b;
    return equalIgnoringCase(a, b);
}

FolderLines BuildFolderLines(const std::string &folder)
{
    FolderLines result;
    result.folder = folder;
    result.caseFlags = platform::volumeCaseFlags(folder);

    if (folder.empty() || folder == "/") {
        result.lines.push_back({"/", LineGlyph::CurrentFolder});
    } else {
        result.lines.push_back({"/", LineGlyph::OpenFolder});
        std::string::size_type from = folder.front() == '/' ? 1 : 0;
        for (;;) {
            const std::string::size_type next = folder.find('/', from);
            if (next == std::string::npos) {
                result.lines.push_back({folder.substr(from), LineGlyph::CurrentFolder});
                break;
            }
            if (next > from)
                result.lines.push_back({folder.substr(from, next - from), LineGlyph::OpenFolder});
            from = next + 1;
        }
    }
    result.currentLine = int(result.lines.size()) - 1;

    std::vector<std::string> subfolders;
    platform::forEachEntry(folder, [&subfolders](const platform::DirEntry &entry) {
        if (entry.isFolder && !entry.hidden)
            subfolders.push_back(entry.name);
    });
    sortNames(subfolders);
    subfolders.erase(std::unique(subfolders.begin(), subfolders.end()), subfolders.end());
    for (std::string &name : subfolders)
        result.lines.push_back({std::move(name), LineGlyph::ClosedFolder});
    return result;
}

std::string LinePath(const FolderLines &lines, int index)
{
    if (index < 0 || index >= int(lines.lines.size()))
        return {};
    if (index > lines.currentLine)
        return platform::joinPath(lines.folder, lines.lines[index].text);
    if (index == lines.currentLine)
        return lines.folder;
    if (index == 0)
        return "/";
    // Path line k: the folder up to, and not including, its (k+1)-th "/".
    std::string::size_type at = 0;
    for (int separators = 0; separators <= index; ++separators) {
        at = lines.folder.find('/', separators == 0 ? 0 : at + 1);
        if (at == std::string::npos)
            return lines.folder;
    }
    return lines.folder.substr(0, at);
}

int lineIndent(const FolderLines &lines, int index)
{
    constexpr int leftMargin = 2; // from the list's edge to the root line's glyph
    constexpr int levelStep = 4;  // each level down the tree
    // A path or current line's level is its index. A subfolder stands one level below its
    // folder's separators: one below the current line, two at the root ("/" is level 0).
    const int level = index <= lines.currentLine
                          ? index
                          : int(std::count(lines.folder.begin(), lines.folder.end(), '/')) + 1;
    return leftMargin + levelStep * level;
}

std::string reportedWorkingFolder(const std::string &fallback)
{
    try {
        return platform::currentDirectory();
    } catch (const EInOutError &) {
    }
    std::string folder = fallback;
    while (!folder.empty()) {
        if (platform::trySetCurrentDirectory(folder) == 0)
            return platform::currentDirectory();
        if (folder == "/")
            break;
        const std::string::size_type cut = folder.find_last_of('/');
        folder = cut == 0 || cut == std::string::npos ? "/" : folder.substr(0, cut);
    }
    platform::setCurrentDirectory("/");
    return platform::currentDirectory();
}
