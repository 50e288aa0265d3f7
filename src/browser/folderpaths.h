#pragma once

#include "browser/lineglyph.h"
#include "platform/caseflags.h"

#include <string>
#include <vector>

class DeferredFailure;

// The directory list's logic. ResolveFolderPath, BuildFolderLines and LinePath are the steps of
// a folder change as the program's design names them, and keep those names; the helpers
// around them are named as everything else is.

/** What a path text names: the folder to open, and a file or wildcard part left over. */
struct ResolvedFolder
{
    /** Absolute, or relative to the working directory as it was when resolving began. */
    std::string folderPart;
    /** The last component when it names an existing file or holds "*" or "?"; else empty. */
    std::string filePart;
};

/**
 * Splits a path text into the folder it opens and a file part. A relative text is taken
 * from the working directory; a last component that names no existing file (and holds no
 * wildcard) is one more folder. Walks the working directory through the folders to find
 * out, noting failed steps in failures, and sets it back to where it was at the end.
 */
ResolvedFolder ResolveFolderPath(const std::string &text, DeferredFailure &failures);

/** Equal folder texts: exactly on a case-sensitive volume, else without regard to case. */
bool sameFolder(const std::string &a, const std::string &b, const platform::CaseFlags &flags);

/** A line of the directory list. */
struct FolderLine
{
    std::string text; ///< the folder name's bytes; "/" for the root
    LineGlyph glyph;  ///< OpenFolder for the path down, CurrentFolder, then ClosedFolder
};

/** The directory list's lines for one folder: the path down to it, then its subfolders. */
struct FolderLines
{
    std::string folder;
    platform::CaseFlags caseFlags;
    std::vector<FolderLine> lines;
    int currentLine = 0;
};

/**
 * The root, one path line per folder name down to the folder, the folder as the current
 * line, then its subfolders that are not hidden, in the locale's order without regard to
 * case. A folder that cannot be listed has no subfolder lines.
 */
FolderLines BuildFolderLines(const std::string &folder);

/** The folder a line stands for. */
std::string LinePath(const FolderLines &lines, int index);

/** How far a line's glyph stands from the left edge, in pixels. */
int lineIndent(const FolderLines &lines, int index);

/**
 * The working directory as the platform reports it. When the folder it was has been
 * removed, the working directory moves to the nearest folder above `fallback` that
 * still exists, and that is reported.
 */
std::string reportedWorkingFolder(const std::string &fallback);
