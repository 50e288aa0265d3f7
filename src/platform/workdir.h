#pragma once

#include <string>

namespace platform {

/** The process working directory as getcwd reports it: absolute, no trailing "/" except "/" itself. */
std::string currentDirectory();

/** Changes the process working directory; throws EInOutError with the mapped code on failure. */
void setCurrentDirectory(const std::string &path);

/** Changes the working directory; returns 0 on success, else the errno value. Never throws. */
int trySetCurrentDirectory(const std::string &path) noexcept;

/** True when path names a folder (following links). */
bool folderExists(const std::string &path);

/** True when path names something that is not a folder (relative to the working directory when bare). */
bool fileExists(const std::string &path);

} // namespace platform
