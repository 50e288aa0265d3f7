#pragma once

#include <string>

/**
 * The settings file: one line, the last folder's bytes as held, ended by CR LF.
 * Reading takes the first line up to the first LF, drops a CR before it and any
 * other CR; an empty file reads as an empty line. Something that is not a regular
 * file (a pipe, a device) is refused as "File access denied". Failures raise EInOutError.
 */
std::string readSettingsLine(const std::string &settingsPath);

/**
 * Rewrites the settings file with one line. The text goes to a temporary file of a
 * fresh name in the same folder first, which then replaces the file, so a write that fails
 * part-way leaves the previous content whole. A folder or a read-only file under the
 * settings file's name is refused as "File access denied", as opening it for writing would be.
 */
void writeSettingsLine(const std::string &settingsPath, const std::string &line);
