#pragma once

/** The small picture in front of a line of the folder browser; its name is the artwork's name. */
enum class LineGlyph {
    OpenFolder,    ///< a folder on the way down to the current one
    CurrentFolder, ///< the folder shown
    ClosedFolder,  ///< a subfolder
    UnknownFile,   ///< a file
    Executable,    ///< a program file
};
